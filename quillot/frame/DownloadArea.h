#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

class PageAction;

// The visitor's own folder in the data folder's download area. Files a page
// makes for one visitor (order spreadsheets, stock sheets, exports) are
// written there, under a folder name drawn at random for the visitor's
// session: the server hands a file of it only to that session, no other
// visitor or company can read or overwrite it, and the folder goes with the
// session.
class DownloadArea : public tessel::IObject {
public:
    // The session attribute that tells the server the folder's name (a
    // Value holding the name as its text).
    static constexpr const char16_t* FOLDER_ATTRIBUTE = u"downloads";

    // The area of the page's visitor, made on first use; null when no
    // database is open (the data folder is not known then).
    static DownloadArea* of(PageAction& page);

    // A file name made of `stem` and `extension` (".xls"): letters, digits,
    // "-" and "_" are kept, every other character becomes "_".
    static tessel::String fileName(const tessel::String& stem, const char16_t* extension);

    // Where a file of this name is written; the folder is made when
    // missing. Empty when it cannot be.
    tessel::String pathOf(const tessel::String& name);
    // What the visitor's page fetches the file by: "download/<folder>/<name>".
    tessel::String addressOf(const tessel::String& name) const;

protected:
    ~DownloadArea() override;

private:
    DownloadArea(const tessel::String& root, const tessel::String& folder);

    tessel::String root_;   // the data folder's download area
    tessel::String folder_; // the random name
};
