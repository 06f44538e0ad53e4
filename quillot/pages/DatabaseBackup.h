#pragma once

#include <cstdint>

#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"

// Copies of the open company database in the data folder's backup area,
// made on the backup page and at sign-in once the days of the automatic
// backup have passed. A copy is the database's own consistent snapshot,
// never the open file copied, and is named after the database and the
// minute it was made ("shop.20110630.1405.db"), in the folder that the
// backup settings name inside the area. Copies are only ever added.
class DatabaseBackup : public TableClass {
public:
    static constexpr const char16_t* AREA = u"backup";
    static constexpr int SECONDS_PER_DAY = 24 * 60 * 60;
    // The longest folder name taken.
    static constexpr int MAX_FOLDER = 64;

    enum Result {
        DONE = 1,
        NO_DATABASE = -1, // no database open, or its file is gone
        NO_FOLDER = -3,   // the folder is not a name inside the area, or cannot be made
        NOT_COPIED = -4,
    };

    explicit DatabaseBackup(const PageAction& page);

    // Makes a copy now. `where` gets the copy's path within the data folder
    // ("backup/daily/shop.20110630.1405.db"), or the folder's when that is
    // what failed.
    Result backUp(int64_t now, tessel::String& where);
    // A copy when automatic backups are on and their days have passed
    // since the last copy; a copy that fails is written to the server's
    // log. True when a copy was made.
    bool backUpWhenDue(int64_t now);

    // Whether a folder setting names a folder inside the area: empty (the
    // area itself) or one plain name, no path, no way up.
    static bool isFolderName(const tessel::String& name);
};
