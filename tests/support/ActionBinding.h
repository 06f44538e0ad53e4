#pragma once

#include <initializer_list>
#include <string>
#include <utility>

#include "tessel/core/MemoryStream.h"
#include "tessel/core/String.h"
#include "tessel/core/TextWriter.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpResponse.h"

namespace tessel::testing {

// What the host hands an action for one request, kept in memory: the
// request (with its visitor's session), the response and a UTF-8 writer
// whose bytes the test reads back.
class ActionBinding {
public:
    using Fields = std::initializer_list<std::pair<const char16_t*, String>>;

    // The host's binding before it runs a page. A null context leaves the
    // action without one.
    static void bind(HttpAction& action, HttpRequest& request, HttpResponse& response, TextWriter* writer,
                     HttpContext* context, const String& pageId)
    {
        action.setRequest(&request);
        action.setResponse(&response);
        action.setWriter(writer);
        action.setContext(context);
        action.setPageId(pageId);
    }

    void bind(HttpAction& action, HttpContext* context, const String& pageId = String())
    {
        bind(action, request, response, writer, context, pageId);
    }

    // A sent form: each field under FORM and, for a POST, under POST as
    // well, with the request's method to match.
    void send(HttpAction& action, Fields fields, bool post = false)
    {
        Value* data = action.getValue();
        data->insert(u"FORM");
        if (post) {
            request.setMethod(u"POST");
            data->insert(u"POST");
        }
        for (const auto& [name, value] : fields) {
            data->insert(String(u"FORM.") + name, value);
            if (post)
                data->insert(String(u"POST.") + name, value);
        }
    }

    // Every byte the action wrote so far.
    std::string written() const
    {
        return std::string(out->getBuffer() ? out->getBuffer() : "", static_cast<size_t>(out->getSize()));
    }

    HttpRequest request;
    HttpResponse response;
    Ref<MemoryStream> out = new MemoryStream();
    Ref<TextWriter> writer = new TextWriter(out, 65001);
};

} // namespace tessel::testing
