// Query strings and urlencoded bodies, decoded and put through the data-tree
// field rules and into a page's request sections: nothing may crash, decoded
// text never holds a NUL, no field ever lands outside the section it was
// given, and the request target the pages see holds no quote or bracket.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "host/FieldRules.h"
#include "host/HostRequest.h"
#include "host/QueryString.h"
#include "host/RequestSections.h"
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

    host::HostRequest request;
    request.method = "POST";
    request.path = "/open.htm";
    request.queryString = std::string(text);
    request.query = fields;
    request.form = fields;
    tessel::Ref<tessel::Value> page = new tessel::Value();
    page->insert(u"SESSION.user", u"alice");
    host::RequestSections::fill(*page, request);
    require(page->size() == 5); // SESSION, GET, POST, FORM, SERVER
    require(page->find(u"SESSION")->size() == 1);
    require(page->getAt(u"SERVER.REQUEST_METHOD") == u"POST");
    std::string uri = page->getAt(u"SERVER.REQUEST_URI").toStdString();
    require(uri.find_first_of("\"'<>` ") == std::string::npos);
    return 0;
}
