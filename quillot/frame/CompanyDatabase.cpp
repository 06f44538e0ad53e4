#include "quillot/frame/CompanyDatabase.h"

#include <initializer_list>
#include <utility>

#include "dbdriver/DbDatabase.h"
#include "dbdriver/IDbAdmin.h"
#include "dbdriver/IDbSession.h"
#include "dbdriver/SqliteSession.h"
#include "quillot/frame/PasswordHash.h"
#include "tessel/core/Date.h"
#include "tessel/core/IInputStream.h"
#include "tessel/core/TextReader.h"
#include "tessel/core/XmlParser.h"
#include "tessel/fs/IFileSystem.h"

using tessel::Date;
using tessel::IFileSystem;
using tessel::IInputStream;
using tessel::Ref;
using tessel::String;

namespace {

using Match = std::initializer_list<std::pair<const char16_t*, const char16_t*>>;

bool matches(const DbRow& row, Match match)
{
    for (const auto& [column, value] : match) {
        int index = row.indexOf(column);
        if (index < 0 || row.isNull(index) || row.getValue(index) != value)
            return false;
    }
    return true;
}

// The first row of `table`'s datasets whose columns hold the values.
DbRow* findRow(DbDatabase* schema, const char16_t* table, Match match)
{
    for (int d = 0; d < schema->datasets(); d++) {
        DbDataset* dataset = schema->getDataset(d);
        if (dataset->getTable() != table)
            continue;
        for (int r = 0; r < dataset->rows(); r++)
            if (matches(*dataset->getRow(r), match))
                return dataset->getRow(r);
    }
    return nullptr;
}

bool setSetting(DbDatabase* schema, const char16_t* classid, const char16_t* nameid, const String& value)
{
    DbRow* row = findRow(schema, u"zsysconf", {{u"classid", classid}, {u"nameid", nameid}});
    if (!row)
        return false;
    row->set(u"svalue", value);
    return true;
}

} // namespace

Ref<DbDatabase> CompanyDatabase::read(IFileSystem* fs, const String& path)
{
    Ref<IInputStream> in;
    if (!fs || !fs->open(path, in.out()) || !in)
        return nullptr;
    tessel::TextReader reader(in, 65001);
    reader.readBOM();
    tessel::XmlParser parser;
    parser.loadXml(reader);
    Ref<DbDatabase> database = new DbDatabase();
    if (!database->parseXML(parser))
        return nullptr;
    return database;
}

// The first rows of the schema file become this company's: the rows are
// changed before the database is made, so that it is created with them in
// one step.
bool CompanyDatabase::_prepare(DbDatabase* schema, const String& company, const String& password, int64_t now)
{
    String hash = PasswordHash::make(password);
    DbRow* administrator = findRow(schema, u"zsysuser", {{u"userid", u"SYSTEM"}});
    if (hash.empty() || !administrator)
        return false;
    administrator->set(u"password", hash);
    String time;
    time.format(u"%lld", static_cast<long long>(now));
    return setSetting(schema, u"2", u"1", company) && setSetting(schema, u"1", u"3", time) &&
           setSetting(schema, u"1", u"4", time) && setSetting(schema, u"1", u"7", String()) &&
           setSetting(schema, u"1", u"8", u"xml");
}

bool CompanyDatabase::_addDemo(DbDatabase* schema, IFileSystem* app, int64_t now)
{
    Ref<DbDatabase> demo = read(app, DEMO_FILE);
    if (!demo)
        return false;
    String month = Date(now).format(u"%Y%m");
    for (int d = 0; d < demo->datasets(); d++) {
        DbDataset* dataset = demo->getDataset(d);
        // The opening stock is booked in the month the database starts.
        if (dataset->getTable() == u"zwacntt")
            for (int r = 0; r < dataset->rows(); r++)
                dataset->getRow(r)->set(u"fnmth", month);
        schema->addDataset(dataset);
    }
    return true;
}

String CompanyDatabase::create(IDbSession* session, IFileSystem* app, const String& dbname, const String& company,
                               const String& password, bool demo, int64_t now)
{
    if (company.empty())
        return u"company";
    if (password.empty())
        return u"passwd";
    if (!SqliteSession::isBareName(dbname))
        return u"dbname";
    if (!session)
        return u"failed";
    if (session->exists(dbname))
        return u"dbexist";
    Ref<DbDatabase> schema = read(app, SCHEMA_FILE);
    if (!schema || !_prepare(schema, company, password, now) || (demo && !_addDemo(schema, app, now)))
        return u"failed";
    schema->setName(dbname);
    Ref<IDbAdmin> admin;
    if (!session->getAdmin(admin.out()) || !admin || !admin->createTables(schema, true))
        return session->exists(dbname) ? u"dbexist" : u"failed";
    return String();
}

String CompanyDatabase::areaOf(IDbSession* session, const char16_t* area)
{
    String file;
    if (!session || !session->isOpen() || session->getFileName(file).empty())
        return String();
    int slash = file.lastIndexOf(u'/');
    return (slash > 0 ? file.substr(0, slash) : String(u".")) + u"/" + area;
}
