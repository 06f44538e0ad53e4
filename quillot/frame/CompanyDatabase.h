#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

class DbDatabase;
class IDbSession;

namespace tessel {
class IFileSystem;
}

// Making a new company database: the tables and first rows of the
// application's schema file, the administrator's password, the company's
// name and the creation time, and on request the demonstration partners
// and products, all created together or not at all.
class CompanyDatabase {
public:
    static constexpr const char16_t* SCHEMA_FILE = u"quillot.xml";
    static constexpr const char16_t* DEMO_FILE = u"demo.xml";

    // A database description read through `fs` (UTF-8 XML); null when the
    // file is missing or is not a description.
    // A folder of the data folder that holds the open database, such as
    // "<data folder>/backup"; empty when no database is open.
    static tessel::String areaOf(IDbSession* session, const char16_t* area);

    static tessel::Ref<DbDatabase> read(tessel::IFileSystem* fs, const tessel::String& path);

    // Creates the database `dbname` in the session's data folder from the
    // schema file of the application folder `app`; the session is then open
    // on it. Returns the key of what failed, or an empty text: "company"
    // and "passwd" (missing), "dbname" (not a bare database name), "dbexist"
    // (the name is taken), "failed" (anything else; nothing is left behind).
    static tessel::String create(IDbSession* session, tessel::IFileSystem* app, const tessel::String& dbname,
                                 const tessel::String& company, const tessel::String& password, bool demo, int64_t now);

private:
    static bool _prepare(DbDatabase* schema, const tessel::String& company, const tessel::String& password,
                         int64_t now);
    static bool _addDemo(DbDatabase* schema, tessel::IFileSystem* app, int64_t now);
};
