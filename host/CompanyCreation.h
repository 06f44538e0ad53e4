#pragma once

#include <string>

#include "tessel/core/String.h"

namespace tessel {
class HttpContext;
}

namespace host {

// Makes company databases in the data folder through the application's
// own page for it ("systemCreate"), run inside the server with a request of
// its own rather than over HTTP: the demo company on the first run, and the
// databases of `quillot-server --create`.
class CompanyCreation {
public:
    static constexpr const char* PAGE = "systemCreate";
    // The demo company that a new installation signs in to.
    static constexpr const char* DEMO_DATABASE = "demo";
    static constexpr const char* DEMO_COMPANY = "示例贸易有限公司";
    static constexpr const char* DEMO_USER = "SYSTEM";
    static constexpr const char* DEMO_PASSWORD = "demo";

    CompanyCreation(tessel::HttpContext& context, const tessel::String& dataFolder);

    // Whether the application has the page that makes databases.
    bool isOffered() const;
    // Whether the data folder holds a database of that name.
    bool exists(const std::string& name) const;
    // Empty on success; otherwise the page's answer (a message of the
    // application, or a reason of our own when the page could not run).
    std::string create(const std::string& name, const std::string& company, const std::string& password, bool demo);

private:
    tessel::HttpContext& context_;
    tessel::String dataFolder_;
};

} // namespace host
