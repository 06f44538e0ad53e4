#include "quillot/pages/DataFile.h"

#include <set>

#include "dbdriver/DbDatabase.h"
#include "dbdriver/IDbAdmin.h"
#include "dbdriver/IDbSession.h"
#include "tessel/core/IInputStream.h"
#include "tessel/core/TextReader.h"
#include "tessel/core/TextWriter.h"
#include "tessel/core/XmlParser.h"

using tessel::Ref;
using tessel::String;

namespace {

constexpr int UTF8 = 65001;

} // namespace

bool DataFile::write(IDbSession* source, const String& name, const std::vector<String>& tables, tessel::TextWriter& out)
{
    Ref<IDbAdmin> admin;
    if (!source || !source->getAdmin(admin.out()) || !admin)
        return false;
    out.write(u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<database name=\"");
    out.write(String(name).htmlEncode());
    out.write(u"\">\n");
    String xml;
    for (const String& table : tables) {
        if (!admin->exportTable(table, xml))
            return false;
        out.write(xml);
    }
    out.write(u"</database>\n");
    return true;
}

Ref<DbDatabase> DataFile::read(tessel::IInputStream* in)
{
    if (!in)
        return nullptr;
    tessel::TextReader reader(in, UTF8);
    reader.readBOM();
    tessel::XmlParser parser;
    parser.loadXml(reader);
    Ref<DbDatabase> data = new DbDatabase();
    if (!data->parseXML(parser) || data->tables() != 0 || data->datasets() == 0)
        return nullptr;
    std::set<String> seen;
    for (int i = 0; i < data->datasets(); i++)
        if (!seen.insert(String(data->getDataset(i)->getTable()).toLower()).second)
            return nullptr;
    return data;
}
