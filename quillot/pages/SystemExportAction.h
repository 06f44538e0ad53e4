#pragma once

#include <vector>

#include "quillot/frame/PageAction.h"

class DbDatabase;

// Exports tables of the company database into an XML file (DataFile) for
// the visitor to download. Without a command the form offers the tables
// of the schema file that have a title ("tables": "name" and "title").
// "export" takes the file name ("filename", ".xml" added when it has no
// ".") and the tables ("tables", names separated by ";"); the file is
// written from a consistent copy of the database into the visitor's own
// download folder, never over a file there, and the answer is
// "ok:<address>".
class SystemExportAction : public PageAction {
public:
    static constexpr int MAX_FILE_NAME = 64;

    void execute() override;

    // Whether a file name from a form is a bare name: no folder, no way
    // up, not hidden, no control characters, at most MAX_FILE_NAME long.
    static bool isFileName(const tessel::String& name);

private:
    void _show();
    void _export();
    // The tables of the form that the schema file has, in the form's
    // order; false when one is not there or none is named.
    bool _chosenTables(DbDatabase& schema, std::vector<tessel::String>& out);
    bool _writeFile(const tessel::String& path, const std::vector<tessel::String>& tables);
};
