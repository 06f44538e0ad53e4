// Reads arbitrary text as a schema description. Whatever is accepted must
// make a database: every table and index statement the schema gives runs
// in SQLite (in memory, rolled back after each input).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <sqlite3.h>

#include "tessel/core/XmlParser.h"

#include "dbdriver/DbDatabase.h"

using namespace tessel;

namespace {

sqlite3* memoryDatabase()
{
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        if (sqlite3_open(":memory:", &opened) != SQLITE_OK)
            std::abort();
        return opened;
    }();
    return db;
}

void mustRun(sqlite3* db, const String& sql)
{
    std::string text = sql.toStdString();
    if (sqlite3_exec(db, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        std::abort();
}

void createAll(DbDatabase& schema)
{
    sqlite3* db = memoryDatabase();
    mustRun(db, u"BEGIN");
    for (int i = 0; i < schema.tables(); i++) {
        DbTable* table = schema.getTable(i);
        mustRun(db, table->createStatement());
        for (int j = 0; j < table->indexes(); j++)
            mustRun(db, table->getIndex(j)->createStatement(table->getName()));
    }
    mustRun(db, u"ROLLBACK");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    String text = String::fromUTF8(std::string_view(reinterpret_cast<const char*>(data), size));
    XmlParser parser(size % 2 ? XmlParser::CASE_LOWER : XmlParser::CASE_KEEP);
    parser.setXml(text.c_str(), text.size());
    Ref<DbDatabase> schema = new DbDatabase();
    if (schema->parseXML(parser))
        createAll(*schema);
    else if (schema->tables() != 0 || schema->datasets() != 0)
        std::abort();
    return 0;
}
