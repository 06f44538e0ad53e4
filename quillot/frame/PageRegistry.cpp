#include "quillot/frame/PageRegistry.h"

#include <deque>

#include "quillot/frame/EmptyAction.h"

using tessel::String;

namespace {

// Made on first use: registrations run while the plug-in is loaded, in an
// order no one sets. A deque keeps the entries in place as it grows.
std::deque<PageRegistry::Entry>& entries()
{
    static std::deque<PageRegistry::Entry> registered;
    return registered;
}

} // namespace

void PageRegistry::add(const char16_t* page, Factory create, const Side* side)
{
    String name(page);
    if (name.empty() || !create || find(name))
        return;
    entries().push_back(Entry{name, name + u"Action", create, side});
}

const PageRegistry::Entry* PageRegistry::find(const String& page)
{
    for (const Entry& entry : entries())
        if (entry.page == page)
            return &entry;
    return nullptr;
}

PageAction* PageRegistry::create(const String& page)
{
    const Entry* entry = find(page);
    PageAction* action = entry ? entry->create(entry->side) : new EmptyAction();
    action->setEntry(entry);
    return action;
}

int PageRegistry::size()
{
    return static_cast<int>(entries().size());
}

const PageRegistry::Entry& PageRegistry::at(int index)
{
    return entries()[static_cast<size_t>(index)];
}
