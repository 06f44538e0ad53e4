#pragma once

#include <string>

#include "tessel/core/String.h"
#include "tessel/core/Value.h"

class IDbSession;

namespace tessel {
class HttpContext;
}

namespace host {

// Runs one page of the application inside the server with a request of its
// own rather than over HTTP, as a browser would post its form: the
// databases that `quillot-server --create` and the first run make, and the
// books check of `--check`.
class InProcessPage {
public:
    InProcessPage(tessel::HttpContext& context, const char* page);

    // Whether the application has the page.
    bool isOffered() const;
    // A field of the posted form (under POST and FORM).
    void setField(const char16_t* name, const tessel::String& value);
    // Runs the page on `database` and gives its whole answer; false, with a
    // reason of our own as `answer`, when the page could not run.
    bool run(IDbSession* database, std::string& answer);

private:
    tessel::HttpContext& context_;
    tessel::String page_;
    tessel::Ref<tessel::Value> fields_;
};

} // namespace host
