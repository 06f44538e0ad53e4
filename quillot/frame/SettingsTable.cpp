#include "quillot/frame/SettingsTable.h"

#include <cmath>

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/DataUpgrade.h"
#include "tessel/core/Base64Codec.h"
#include "tessel/core/MemoryStream.h"

using tessel::Base64Codec;
using tessel::MemoryStream;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

const char16_t* const LIST_NAMES[] = {u"money", u"sextype", u"taxtype", u"invtype", u"paytype"};

} // namespace

bool SettingsTable::isTaxRate(const String& text, double& rate)
{
    if (text.empty() || text.size() > MAX_RATE_TEXT)
        return false;
    int points = 0, digits = 0;
    for (int i = 0; i < text.size(); i++) {
        if (text[i] == u'.' && ++points == 1)
            continue;
        if (text[i] < u'0' || text[i] > u'9')
            return false;
        digits++;
    }
    rate = text.toDouble();
    return digits > 0 && std::isfinite(rate) && rate <= 100;
}

// ----------------------------------------------------------- settings

bool SettingsTable::setText(int classid, int nameid, const String& value)
{
    if (!session())
        return false;
    bool own = !session()->inTransaction();
    DbTransaction transaction(own ? session() : nullptr);
    if (own && !transaction.isActive())
        return false;
    String text = escape(value);
    String sql;
    sql.format(u"UPDATE zsysconf SET svalue = '%s' WHERE classid = %d AND nameid = %d", text.c_str(), classid, nameid);
    int affected = 0;
    if (!session()->executeCount(sql, &affected))
        return false;
    if (affected != 1) {
        sql.format(u"INSERT INTO zsysconf(classid, nameid, svalue) VALUES(%d, %d, '%s')", classid, nameid,
                   text.c_str());
        if (!session()->executeCount(sql, &affected) || affected != 1)
            return false;
    }
    return !own || transaction.commit();
}

bool SettingsTable::setInt(int classid, int nameid, int value)
{
    String text;
    text.format(u"%d", value);
    return setText(classid, nameid, text);
}

bool SettingsTable::setTime(int classid, int nameid, int64_t seconds)
{
    String text;
    text.format(u"%lld", static_cast<long long>(seconds));
    return setText(classid, nameid, text);
}

String SettingsTable::getText(int classid, int nameid)
{
    String value;
    if (!session())
        return value;
    String sql;
    sql.format(u"SELECT svalue FROM zsysconf WHERE classid = %d AND nameid = %d", classid, nameid);
    return session()->queryString(value, sql);
}

int64_t SettingsTable::getTime(int classid, int nameid)
{
    return getText(classid, nameid).toLong();
}

int SettingsTable::dataVersion()
{
    if (!session())
        return 0;
    return session()->queryInt(u"SELECT svalue FROM zsysconf WHERE classid = 1 AND nameid = 0", 0);
}

bool SettingsTable::upgrade()
{
    if (!session() || !session()->isOpen())
        return false;
    DataUpgrade chain(session(), taxFactor());
    return chain.run(dataVersion());
}

double SettingsTable::taxFactor()
{
    double rate = 0;
    if (!isTaxRate(getText(COMPANY, COMPANY_TAX_RATE).trim(), rate))
        return DEFAULT_TAX_FACTOR;
    String factor;
    factor.format(u"%0.4f", 1 + rate * 0.01);
    return factor.toDouble();
}

// ---------------------------------------------------------- drop-downs

const char16_t* SettingsTable::listName(int classid)
{
    return classid >= FIRST_LIST && classid <= LAST_LIST ? LIST_NAMES[classid - FIRST_LIST] : nullptr;
}

String SettingsTable::scriptText(const String& text)
{
    String out;
    for (int i = 0; i < text.size(); i++) {
        char16_t c = text[i];
        switch (c) {
        case u'\\': out += u"\\\\"; break;
        case u'\'': out += u"\\'"; break;
        case u'"': out += u"\\\""; break;
        case u'\n': out += u"\\n"; break;
        case u'\r': out += u"\\r"; break;
        // "</script>" must not end the script, nor "<!--" start a comment.
        case u'<': out += u"\\x3C"; break;
        case u'>': out += u"\\x3E"; break;
        case 0x2028: out += u"\\u2028"; break;
        case 0x2029: out += u"\\u2029"; break;
        default:
            if (c < 0x20) {
                String code;
                code.format(u"\\x%02X", static_cast<unsigned>(c));
                out += code;
            } else {
                out += c;
            }
        }
    }
    return out;
}

bool SettingsTable::fillDropdowns(Value* tree)
{
    if (!session() || !tree)
        return false;
    Ref<IDbCursor> cursor;
    if (!session()->openCursor(u"SELECT classid, nameid, svalue FROM zsysconf WHERE classid >= 10 AND classid <= 14"
                               u" ORDER BY 1, 2",
                               cursor.out()) ||
        !cursor)
        return false;
    for (int classid = FIRST_LIST; classid <= LAST_LIST; classid++)
        tree->remove(listName(classid));
    tree->remove(u"dropdowns");

    String script, code, text;
    Value* list = nullptr;
    int previous = 0;
    while (cursor->next()) {
        int classid = cursor->getIntAt(0);
        cursor->getStringAt(text, 2);
        if (classid != previous) {
            if (!script.empty())
                script += u"'];\n";
            script += u"Dropdowns['";
            script += listName(classid);
            script += u"'] = ['";
            list = tree->insert(listName(classid));
            previous = classid;
        } else {
            script += u"', '";
        }
        script += scriptText(text);
        code.format(u"%d", cursor->getIntAt(1));
        list->insert(code, text);
    }
    if (!script.empty()) {
        script += u"'];\n";
        tree->insert(u"dropdowns", script);
    }
    return true;
}

// ------------------------------------------------------------- notices

String SettingsTable::decodeNotice(const String& base64)
{
    Ref<MemoryStream> bytes = new MemoryStream();
    Base64Codec codec;
    codec.decode(base64, *bytes);
    String text = String::fromUTF8(
        std::string_view(bytes->getBuffer() ? bytes->getBuffer() : "", static_cast<size_t>(bytes->getSize())));
    // A byte order mark is not part of the text.
    if (!text.empty() && text[0] == 0xFEFF)
        text.remove(0, 1);
    return text;
}
