#include "quillot/pages/SystemExportAction.h"

#include <algorithm>

#include "dbdriver/DbDatabase.h"
#include "dbdriver/IDbSession.h"
#include "dbdriver/SqliteSession.h"
#include "quillot/frame/CompanyDatabase.h"
#include "quillot/frame/DownloadArea.h"
#include "quillot/frame/TableClass.h"
#include "quillot/pages/DataFile.h"
#include "quillot/pages/DatabaseSnapshot.h"
#include "tessel/core/System.h"
#include "tessel/core/TextWriter.h"

namespace {
const PageRegistration<SystemExportAction> registration(u"SystemExport");

constexpr int UTF8 = 65001;
} // namespace

using tessel::Ref;
using tessel::String;
using tessel::System;
using tessel::Value;

bool SystemExportAction::isFileName(const String& name)
{
    return name.size() <= MAX_FILE_NAME && SqliteSession::isBareName(name);
}

void SystemExportAction::execute()
{
    runCommand<SystemExportAction>(this,
                                   {{u"", &SystemExportAction::_show}, {u"export", &SystemExportAction::_export}});
}

void SystemExportAction::_show()
{
    Ref<DbDatabase> schema = CompanyDatabase::read(getFileSystem(), CompanyDatabase::SCHEMA_FILE);
    Value* list = getValue()->insert(u"tables");
    int row = 0;
    for (int i = 0; schema && i < schema->tables(); i++) {
        DbTable* table = schema->getTable(i);
        if (table->getTitle().empty())
            continue;
        Value* entry = list->insert(TableClass::rowKey(++row, schema->tables()));
        entry->insert(u"name", table->getName());
        entry->insert(u"title", table->getTitle());
    }
    offerMessages();
}

bool SystemExportAction::_chosenTables(DbDatabase& schema, std::vector<String>& out)
{
    tessel::Array<String> names;
    TableClass::textOf(post(), u"tables").split(u";", names);
    for (int i = 0; i < names.size(); i++) {
        String name(*names[i]);
        if (name.trim().empty())
            continue;
        DbTable* table = schema.findTable(name);
        if (!table || table->getTitle().empty())
            return false;
        if (std::find(out.begin(), out.end(), table->getName()) == out.end())
            out.push_back(table->getName());
    }
    return !out.empty();
}

void SystemExportAction::_export()
{
    String name = TableClass::textOf(post(), u"filename");
    if (name.indexOf(u'.') < 0 && !name.empty())
        name += u".xml";
    if (!isFileName(name)) {
        setError(u"filename");
        return;
    }
    Ref<DbDatabase> schema = CompanyDatabase::read(getFileSystem(), CompanyDatabase::SCHEMA_FILE);
    std::vector<String> tables;
    if (!schema || !_chosenTables(*schema, tables)) {
        setError(u"tables");
        return;
    }
    DownloadArea* area = db() && db()->isOpen() ? DownloadArea::of(*this) : nullptr;
    String path = area ? area->pathOf(name) : String();
    if (path.empty()) {
        setError(u"failed");
        return;
    }
    if (System::getInstance().isExists(path)) {
        setError(u"exists");
        return;
    }
    if (!_writeFile(path, tables)) {
        System::getInstance().deleteFile(path);
        setError(u"failed");
        return;
    }
    setError(String(u"ok:") + area->addressOf(name));
}

bool SystemExportAction::_writeFile(const String& path, const std::vector<String>& tables)
{
    DatabaseSnapshot snapshot(db(), path.substr(0, path.lastIndexOf(u'/')));
    Ref<tessel::IOutputStream> stream;
    if (!snapshot.session() || !System::getInstance().open(path, stream.out()) || !stream)
        return false;
    String dbname;
    db()->getName(dbname);
    Ref<tessel::TextWriter> writer = new tessel::TextWriter(stream, UTF8);
    bool written = DataFile::write(snapshot.session(), dbname, tables, *writer);
    writer.reset();
    stream->close();
    return written;
}
