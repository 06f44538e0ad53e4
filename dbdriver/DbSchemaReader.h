#pragma once

#include <vector>

#include "tessel/core/String.h"

namespace tessel {
class XmlParser;
}
class DbDatabase;
class DbDataset;
class DbTable;

// Reads a schema or export document (SCHEMA.md) into a DbDatabase. The
// elements are taken one after the other as the parser gives them: a
// <column> belongs to the <table> before it, a <row> to the <dataset>
// before it, a <null> to the <row> it is in. Element and attribute names
// compare without regard to letter case; unknown elements are skipped.
class DbSchemaReader {
public:
    DbSchemaReader(tessel::XmlParser& parser, DbDatabase& database);

    // False at the first broken rule; the database may then hold a part.
    bool read();

private:
    bool isComplete() const;
    bool startElement(const tessel::String& tag);
    void endElement(const tessel::String& tag);
    bool readTable();
    bool readColumn();
    bool readKeyOrIndex(const tessel::String& tag);
    bool readDataset();
    bool readRow();
    bool readNull();

    tessel::String attribute(const char16_t* name) const;
    bool hasAttribute(const char16_t* name) const;
    bool flag(const char16_t* name) const;
    std::vector<tessel::String> nameList(const char16_t* name) const;

    tessel::XmlParser& parser_;
    DbDatabase& database_;
    bool sawDatabase_ = false;
    DbTable* table_ = nullptr;
    DbDataset* dataset_ = nullptr;
    int row_ = -1; // the open row of dataset_, or -1
};
