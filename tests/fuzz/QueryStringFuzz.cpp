// Query strings and urlencoded bodies, decoded and put through the data-tree
// field rules: nothing may crash, decoded text never holds a NUL, and no
// field ever lands outside the section it was given.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "host/FieldRules.h"
#include "host/QueryString.h"
#include "tessel/core/Value.h"

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool holdsNul(const tessel::String& text)
{
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == 0)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<host::FormField> fields;
    host::QueryString::parse(text, fields, 2000);
    require(fields.size() <= static_cast<size_t>(std::count(text.begin(), text.end(), '&')) + 1);

    tessel::Ref<tessel::Value> root = new tessel::Value();
    root->insert(u"SESSION.user", u"alice");
    tessel::Value* form = root->insert(u"FORM");
    for (const host::FormField& field : fields) {
        require(!holdsNul(field.name) && !holdsNul(field.value));
        bool inserted = host::FieldRules::insert(*form, field.name, field.value);
        require(!inserted || host::FieldRules::isAcceptable(field.name));
    }
    require(root->size() == 2);
    require(root->getAt(u"SESSION.user") == u"alice");
    require(root->find(u"SESSION")->size() == 1);
    return 0;
}
