#pragma once

#include <cstdint>
#include <vector>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

class DbDatabase;
class IDbSession;

namespace tessel {
class IInputStream;
class TextWriter;
} // namespace tessel

// The export file of a company database: UTF-8 XML, a <database> element
// named after the database that holds one <dataset> per exported table,
// each as the database driver writes and reads it (dbdriver/SCHEMA.md).
// Texts keep every character: the driver's own quoting is the only one.
class DataFile {
public:
    // The largest file read back.
    static constexpr int64_t MAX_BYTES = 128LL * 1024 * 1024;

    // Writes the rows of `tables` of the database open in `source`, under
    // the name `name`. False when a table cannot be exported.
    static bool write(IDbSession* source, const tessel::String& name, const std::vector<tessel::String>& tables,
                      tessel::TextWriter& out);
    // Reads an export file (a byte order mark is skipped). Null when the
    // text is not one: not a database description, a schema (it has
    // tables), no dataset at all, or two datasets of one table.
    static tessel::Ref<DbDatabase> read(tessel::IInputStream* in);
};
