#pragma once

#include "quillot/frame/PageAction.h"

class DbDatabase;

namespace tessel {
class HttpUpload;
}

// Loads an export file (DataFile) back into the open company database
// ("import", the file uploaded in the field "file"): every table the file
// holds replaces the table's rows, all in one transaction, and data of an
// older version is brought to the current one before the commit. The
// visitor's session is then built anew from the loaded data. The page
// shows "kindof": 1 before an import, 0 after one ("count" tables), 2
// after a refused one ("error" its message; the database is as it was).
class SystemImportAction : public PageAction {
public:
    void execute() override;

private:
    void _show();
    void _import();
    // The key of what failed, or an empty text once the data is committed.
    tessel::String _load(DbDatabase& data);
    const tessel::HttpUpload* _upload() const;
    void _fail(const tessel::String& key);
};
