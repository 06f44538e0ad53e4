#include "quillot/frame/PartnerNameCache.h"

#include <memory>
#include <string>

#include "dbdriver/IDbSession.h"
#include "quillot/frame/Side.h"

using tessel::Ref;
using tessel::String;

namespace {

struct DatabaseNames {
    std::unique_ptr<PartnerNameCache::Names> kinds[2];
};

// One entry per database file. The entries live as long as the process,
// as the partners of a database do.
std::map<std::u16string, DatabaseNames>& registry()
{
    static std::map<std::u16string, DatabaseNames> databases;
    return databases;
}

// The file of the session's database names it; empty when none is open.
std::u16string keyOf(IDbSession* session)
{
    if (!session || !session->isOpen())
        return std::u16string();
    String file;
    session->getFileName(file);
    if (file.empty())
        session->getName(file);
    return std::u16string(file.c_str(), file.size());
}

const Side& sideOf(PartnerNameCache::Kind kind)
{
    return kind == PartnerNameCache::CLIENTS ? Side::sales() : Side::purchase();
}

std::unique_ptr<PartnerNameCache::Names> readNames(IDbSession* session, PartnerNameCache::Kind kind)
{
    auto names = std::make_unique<PartnerNameCache::Names>();
    Ref<IDbCursor> cursor;
    if (session->openCursor(sideOf(kind).sql(u"SELECT {pkey}, {pname} FROM {partners}"), cursor.out()) && cursor) {
        String name;
        while (cursor->next())
            (*names)[cursor->getIntAt(0)] = cursor->getStringAt(name, 1);
    }
    return names;
}

} // namespace

const PartnerNameCache::Names& PartnerNameCache::names(IDbSession* session, Kind kind)
{
    static const Names none;
    std::u16string key = keyOf(session);
    if (key.empty())
        return none;
    std::unique_ptr<Names>& held = registry()[key].kinds[kind];
    if (!held)
        held = readNames(session, kind);
    return *held;
}

void PartnerNameCache::drop(IDbSession* session, const String& which)
{
    if (which == u"_all") {
        drop(session, CLIENTS);
        drop(session, SUPPLIERS);
    } else if (const Side* side = Side::byWord(which); side && which == side->cacheWord) {
        drop(session, side->cacheKind);
    }
}

void PartnerNameCache::drop(IDbSession* session, Kind kind)
{
    auto found = registry().find(keyOf(session));
    if (found != registry().end())
        found->second.kinds[kind].reset();
}

bool PartnerNameCache::isHeld(IDbSession* session, Kind kind)
{
    auto found = registry().find(keyOf(session));
    return found != registry().end() && found->second.kinds[kind] != nullptr;
}
