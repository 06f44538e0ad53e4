#pragma once

#include <cstdint>

#include "quillot/frame/TableClass.h"

// The general settings of a company database (table zsysconf: a setting is
// addressed by its class and name, its value is text): the data version,
// the company data, the backup settings, the order clauses, the notice
// texts and the drop-down lists. Also brings an older database to the
// current data version.
class SettingsTable : public TableClass {
public:
    // The data version this program works on, and the older ones it
    // upgrades from.
    static constexpr int DATA_VERSION = 20110401;
    static constexpr int VERSION_DISCOUNT = 20110228;
    static constexpr int VERSION_TAX_AMOUNTS = 20100228;

    // Setting classes.
    static constexpr int SYSTEM = 1;
    static constexpr int COMPANY = 2;
    static constexpr int BACKUP = 3;
    static constexpr int SALES_CLAUSES = 6;
    static constexpr int PURCHASE_CLAUSES = 7;
    static constexpr int NOTICE_1 = 8;
    static constexpr int NOTICE_2 = 9;
    static constexpr int FIRST_LIST = 10; // "money"
    static constexpr int LAST_LIST = 14;  // "paytype"

    // Names in the system class.
    static constexpr int SYSTEM_VERSION = 0;
    static constexpr int SYSTEM_CREATED = 3;
    static constexpr int SYSTEM_SIGNED_IN = 4;
    static constexpr int SYSTEM_NOTICE_TIME = 9;
    // Names in the company class: its name first, its tax rate in percent
    // last.
    static constexpr int COMPANY_NAME = 1;
    static constexpr int COMPANY_TAX_RATE = 9;
    // Names in the backup class: the reminder at sign-in (1 = on), the
    // folder inside the data folder's backup area, the days between
    // automatic backups (0 = none), and when the last backup was made.
    static constexpr int BACKUP_REMINDER = 1;
    static constexpr int BACKUP_FOLDER = 2;
    static constexpr int BACKUP_PERIOD = 3;
    static constexpr int BACKUP_LAST = 4;

    static constexpr double DEFAULT_TAX_FACTOR = 1.17;
    // The longest tax rate text taken.
    static constexpr int MAX_RATE_TEXT = 16;

    using TableClass::TableClass;

    // Set a setting, adding its row when it is missing; true when exactly
    // one row took the value.
    bool setInt(int classid, int nameid, int value);
    bool setText(int classid, int nameid, const tessel::String& value);
    // A time in seconds since 1970, as decimal text.
    bool setTime(int classid, int nameid, int64_t seconds);
    // The value of a setting; empty (0) when it is missing.
    tessel::String getText(int classid, int nameid);
    int64_t getTime(int classid, int nameid);

    // The data version of the database (0 when it has none).
    int dataVersion();
    // Brings the database to DATA_VERSION, step by step, each step in its
    // own transaction together with the version it reaches. False when a
    // step failed; the database then stays at the version before it.
    bool upgrade();

    // 1 + the company's tax rate in percent x 0.01, to four decimals;
    // DEFAULT_TAX_FACTOR when no rate is set or it is not a sensible rate.
    double taxFactor();
    // Whether `text` is a tax rate the company can have: a plain decimal
    // number (digits and at most one point) from 0 to 100.
    static bool isTaxRate(const tessel::String& text, double& rate);

    // The drop-down lists for the session tree: a child per list ("money",
    // "sextype", ...) with the option texts under their codes, and
    // "dropdowns", the script that declares the same lists (none without
    // options). False when the lists cannot be read.
    bool fillDropdowns(tessel::Value* tree);
    // The list name of a drop-down class; null for other classes.
    static const char16_t* listName(int classid);
    // `text` made safe inside a '...' literal of a script in a page.
    static tessel::String scriptText(const tessel::String& text);

    // The notice text the page sent: Base64 of its UTF-8 bytes. The result
    // is the text as typed; it is stored and read back as it is.
    static tessel::String decodeNotice(const tessel::String& base64);
};
