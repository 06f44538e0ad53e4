#include "quillot/frame/StockSheet.h"

#include <algorithm>
#include <cstdint>

#include "tessel/core/CodePage.h"
#include "tessel/core/TextWriter.h"
#include "tessel/core/XmlParser.h"

#include "quillot/frame/Rounding.h"

using tessel::CodePage;
using tessel::String;
using tessel::TextWriter;
using tessel::XmlParser;

// Product name, specs, unit, quantity and cost: the columns a row must hold.
constexpr int FIELDS = 5;

struct StockSheet::RawRow {
    int line = 0;
    int fields = 0; // all fields of the row, kept or not
    String values[FIELDS];
    bool blank = true; // every field, kept or not, is blank
};

namespace {

constexpr int CODE_PAGE_GBK = 936;
constexpr int MAX_COLUMN = 1 << 20;

const char16_t* const HEAD =
    u"<?xml version=\"1.0\"?>\n<?mso-application progid=\"Excel.Sheet\"?>\n"
    u"<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\n"
    u" xmlns:x=\"urn:schemas-microsoft-com:office:excel\"\n"
    u" xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\n"
    u" <Styles><Style ss:ID=\"Default\" ss:Name=\"Normal\">\n"
    u"   <Alignment ss:Horizontal=\"Left\" ss:Vertical=\"Center\"/>\n"
    u"   <Font ss:FontName=\"Tahoma\" x:Family=\"Swiss\" ss:Size=\"9\"/>\n"
    u"  </Style></Styles>\n"
    u"<Worksheet ss:Name=\"sheet1\">\n"
    u"<Table x:FullColumns=\"1\" x:FullRows=\"1\" ss:DefaultColumnWidth=\"80\" ss:DefaultRowHeight=\"14\">\n";

const char16_t* const TITLES[] = {u"品牌名称",   u"型号",     u"单位",       u"当前库存",
                                  u"平均成本价", u"当前需求", u"当前已采购", u"备货数量"};

// ---- writing

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Whether XML can hold the unit at `i` of the text: not a control character
// other than tab, CR and LF, not U+FFFE or U+FFFF, not half a surrogate pair.
bool isXmlChar(const String& text, int i)
{
    char16_t c = text[i];
    if (c < 0x20)
        return c == u'\t' || c == u'\r' || c == u'\n';
    if (c == 0xFFFE || c == 0xFFFF)
        return false;
    if (isHighSurrogate(c))
        return i + 1 < text.size() && isLowSurrogate(text[i + 1]);
    if (isLowSurrogate(c))
        return i > 0 && isHighSurrogate(text[i - 1]);
    return true;
}

// The text as element content, so that any product name keeps the
// workbook well formed.
String xmlText(const String& text)
{
    String out(text.size() + 16);
    for (int i = 0; i < text.size(); i++) {
        if (!isXmlChar(text, i))
            continue;
        switch (char16_t c = text[i]) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

void appendCell(String& out, const char16_t* type, const String& data)
{
    out += u"\t<Cell><Data ss:Type=\"";
    out += type;
    out += u"\">";
    out += data;
    out += u"</Data></Cell>\n";
}

// ---- decoding

// Whether the bytes are well-formed UTF-8: no stray continuation bytes, no
// overlong forms, no surrogates, nothing beyond U+10FFFF.
bool isUtf8(const char* bytes, size_t size)
{
    size_t i = 0;
    while (i < size) {
        auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            i++;
            continue;
        }
        size_t extra;
        uint32_t code;
        uint32_t least;
        if ((lead & 0xE0) == 0xC0) {
            extra = 1, code = lead & 0x1F, least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, code = lead & 0x0F, least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, code = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (size - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; k++) {
            auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

String decodeUtf16(const char* bytes, size_t size, bool littleEndian)
{
    int units = static_cast<int>(size / 2);
    String text(units + 1);
    for (int i = 0; i < units; i++) {
        auto first = static_cast<unsigned char>(bytes[2 * i]);
        auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text += static_cast<char16_t>(littleEndian ? first | second << 8 : first << 8 | second);
    }
    return text;
}

// The file's text. Spreadsheet programs in China save text files in UTF-8
// (often with a byte order mark), in UTF-16 for "Unicode text", or in the
// system code page GBK; bytes that are not UTF-8 as a whole are GBK.
String decode(const std::string& bytes)
{
    const char* data = bytes.data();
    size_t size = bytes.size();
    int codePage;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        data += 3, size -= 3;
        codePage = CodePage::UTF8;
    } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return decodeUtf16(data + 2, size - 2, bytes[0] == '\xFF');
    } else {
        codePage = isUtf8(data, size) ? CodePage::UTF8 : CODE_PAGE_GBK;
    }
    String text;
    if (size > 0)
        text.fromCharset(data, codePage, static_cast<int>(size));
    return text;
}

// ---- fields

bool isBlankUnit(char16_t c)
{
    return c <= 0x20 || c == 0x7F;
}

bool isBlank(const String& text)
{
    for (int i = 0; i < text.size(); i++)
        if (!isBlankUnit(text[i]))
            return false;
    return true;
}

// A text field as stored: control characters left out, blanks trimmed.
String cleanText(const String& raw)
{
    String out(raw.size() + 1);
    for (int i = 0; i < raw.size(); i++)
        if (raw[i] >= 0x20 && raw[i] != 0x7F)
            out += raw[i];
    out.trim();
    return out;
}

void addField(StockSheet::RawRow& row, const String& value)
{
    if (row.fields < FIELDS)
        row.values[row.fields] = value;
    if (!isBlank(value))
        row.blank = false;
    row.fields++;
}

// Reads the records of a delimited text: fields split at the separator,
// "..." quoting with "" for a quote inside, quoted line breaks kept, lines
// ended by CRLF, LF or a lone CR.
class DelimitedReader {
public:
    DelimitedReader(const String& text, char16_t separator) : text_(text), separator_(separator) {}

    // The next record; false at the end of the text, or at a quote left
    // open (then openQuoteLine() tells where it began).
    bool next(StockSheet::RawRow& row)
    {
        if (pos_ >= text_.size())
            return false;
        row = StockSheet::RawRow();
        row.line = line_;
        for (;;) {
            String field;
            if (!readField(field))
                return false;
            addField(row, field);
            if (pos_ < text_.size() && text_[pos_] == separator_) {
                pos_++;
                continue;
            }
            skipLineBreak();
            return true;
        }
    }

    int openQuoteLine() const { return openQuoteLine_; }

private:
    char16_t at(int pos) const { return pos < text_.size() ? text_[pos] : 0; }
    bool endsField(int pos) const
    {
        return pos >= text_.size() || text_[pos] == separator_ || text_[pos] == u'\r' || text_[pos] == u'\n';
    }
    bool isPadding(char16_t c) const { return c == u' ' || (c == u'\t' && separator_ != u'\t'); }

    void skipLineBreak()
    {
        if (at(pos_) == u'\r')
            pos_++;
        if (at(pos_) == u'\n')
            pos_++;
        line_++;
    }

    // Text up to the end of the field, as it stands.
    String readPlain()
    {
        int start = pos_;
        while (!endsField(pos_))
            pos_++;
        return text_.substr(start, pos_ - start);
    }

    bool readQuoted(String& out)
    {
        int firstLine = line_;
        for (pos_++;; pos_++) {
            if (pos_ >= text_.size()) {
                openQuoteLine_ = firstLine;
                return false;
            }
            char16_t c = text_[pos_];
            if (c == u'"') {
                if (at(pos_ + 1) != u'"')
                    break;
                pos_++;
            } else if (c == u'\n' || (c == u'\r' && at(pos_ + 1) != u'\n')) {
                line_++;
            }
            out += c;
        }
        pos_++;
        // Text after the closing quote belongs to the field, as spreadsheet
        // programs read it.
        out += readPlain();
        return true;
    }

    bool readField(String& out)
    {
        int start = pos_;
        while (isPadding(at(pos_)))
            pos_++;
        if (at(pos_) == u'"')
            return readQuoted(out);
        pos_ = start;
        out = readPlain();
        out.trim();
        return true;
    }

    const String& text_;
    char16_t separator_;
    int pos_ = 0;
    int line_ = 1;
    int openQuoteLine_ = 0;
};

// ---- spreadsheet XML

// The name without its namespace prefix ("ss:Row" is "Row").
String localName(const String& name)
{
    int colon = name.lastIndexOf(u':');
    return colon < 0 ? name : name.substr(colon + 1);
}

bool appendReference(String& out, const String& name)
{
    static const struct {
        const char16_t* name;
        char16_t c;
    } named[] = {{u"lt", u'<'}, {u"gt", u'>'}, {u"amp", u'&'}, {u"quot", u'"'}, {u"apos", u'\''}};
    for (const auto& entity : named) {
        if (name == entity.name) {
            out += entity.c;
            return true;
        }
    }
    if (name.size() < 2 || name[0] != u'#')
        return false;
    bool hex = name[1] == u'x' || name[1] == u'X';
    int start = hex ? 2 : 1;
    if (start >= name.size())
        return false;
    uint32_t code = 0;
    for (int i = start; i < name.size(); i++) {
        char16_t c = name[i];
        int digit = c >= u'0' && c <= u'9' ? c - u'0' : -1;
        if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            return false;
        code = code * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
        if (code > 0x10FFFF)
            return false;
    }
    if (code == 0 || (code >= 0xD800 && code <= 0xDFFF))
        return false;
    if (code >= 0x10000) {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (code >> 10));
        out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
        out += static_cast<char16_t>(code);
    }
    return true;
}

// Element text with its entity and character references replaced; a
// reference that is not one stays as written.
String decodeReferences(const String& raw)
{
    if (raw.indexOf(u'&') < 0)
        return raw;
    String out(raw.size() + 1);
    for (int i = 0; i < raw.size(); i++) {
        if (raw[i] == u'&') {
            int semicolon = raw.indexOf(u';', i + 1);
            if (semicolon > i && semicolon - i <= 12 && appendReference(out, raw.substr(i + 1, semicolon - i - 1))) {
                i = semicolon;
                continue;
            }
        }
        out += raw[i];
    }
    return out;
}

// A positive whole number of at most six digits, else 0.
int attributeCount(const String& value)
{
    if (value.empty() || value.size() > 6)
        return 0;
    int number = 0;
    for (int i = 0; i < value.size(); i++) {
        if (value[i] < u'0' || value[i] > u'9')
            return 0;
        number = number * 10 + (value[i] - u'0');
    }
    return number;
}

// The value of the attribute with the local name, in whatever prefix.
String attribute(const XmlParser& parser, const char16_t* local)
{
    for (const auto& entry : parser.getAttrs())
        if (localName(entry.first) == local)
            return entry.second;
    return String();
}

// Walks the rows of the first worksheet. A Cell takes the column after the
// previous cell's last one, or the column its Index names (Excel writes it
// to skip empty cells); a merged cell spans MergeAcross more columns.
class SpreadsheetReader {
public:
    enum Step { ROW, END, BROKEN };

    explicit SpreadsheetReader(const String& text) : text_(text) { parser_.setXml(text.c_str(), text.size(), true); }

    Step next(StockSheet::RawRow& row)
    {
        String name;
        while (!finished_ && parser_.nextTag(name)) {
            if (name.empty())
                continue;
            bool closing = name[0] == u'/';
            String local = localName(closing ? name.substr(1) : name);
            if (closing)
                close(local);
            else if (!open(local, row))
                return BROKEN;
            if (inData_)
                appendData(row, textAfterTag(closing));
            if (rowEnded_) {
                rowEnded_ = false;
                return ROW;
            }
        }
        if (!inRow_)
            row.line = 0;
        return inRow_ || !workbook_ || rows_ == 0 ? BROKEN : END;
    }

private:
    bool open(const String& local, StockSheet::RawRow& row)
    {
        if (local == u"Cell" && inRow_)
            return openCell();
        parser_.skipAttrs();
        if (local == u"Workbook") {
            workbook_ = true;
        } else if (local == u"Row") {
            if (inRow_)
                return false;
            inRow_ = true;
            row = StockSheet::RawRow();
            row.line = ++rows_;
            lastColumn_ = 0;
        } else if (local == u"Data" && cellColumn_ > 0) {
            inData_ = true;
        }
        return true;
    }

    bool openCell()
    {
        parser_.initAttrs();
        String index = attribute(parser_, u"Index");
        cellColumn_ = index.empty() ? lastColumn_ + 1 : attributeCount(index);
        int span = attributeCount(attribute(parser_, u"MergeAcross"));
        // Columns far beyond any sheet's are all alike to the reader.
        lastColumn_ = std::min(cellColumn_ + span, MAX_COLUMN);
        return cellColumn_ > 0;
    }

    void close(const String& local)
    {
        if (local == u"Data") {
            inData_ = false;
        } else if (local == u"Cell") {
            inData_ = false;
            cellColumn_ = 0;
        } else if (local == u"Row" && inRow_) {
            inRow_ = inData_ = false;
            cellColumn_ = 0;
            rowEnded_ = true;
        } else if (local == u"Worksheet" && rows_ > 0) {
            finished_ = true;
        }
    }

    // The text that follows the tag just read. The parser stops on the ">"
    // of a closing tag it found in the text.
    String textAfterTag(bool closing)
    {
        int pos = parser_.getPosition();
        if (closing && pos < text_.size() && text_[pos] == u'>')
            parser_.seekTo(1, true);
        return parser_.nextText();
    }

    void appendData(StockSheet::RawRow& row, const String& text)
    {
        if (text.empty())
            return;
        String value = decodeReferences(text);
        if (cellColumn_ <= FIELDS)
            row.values[cellColumn_ - 1] += value;
        if (!isBlank(value))
            row.blank = false;
    }

    const String& text_;
    XmlParser parser_;
    bool workbook_ = false;
    bool finished_ = false;
    bool inRow_ = false;
    bool inData_ = false;
    bool rowEnded_ = false;
    int rows_ = 0;
    int lastColumn_ = 0;
    int cellColumn_ = 0; // 0 outside a cell
};

} // namespace

void StockSheet::writeHead(TextWriter& out)
{
    String text(HEAD);
    text += u"<Row>";
    for (const char16_t* title : TITLES)
        appendCell(text, u"String", title);
    text += u"</Row>\n";
    out.write(text);
}

void StockSheet::writeRow(TextWriter& out, const StockSheetRow& row)
{
    String text(u"<Row>\n");
    for (const String* value : {&row.prdnm, &row.specs, &row.unitg})
        appendCell(text, u"String", xmlText(*value));
    // The cost keeps all its decimals, so that a sheet loaded back gives
    // the same average cost; the quantities have four.
    double count = row.ordered + row.qunty - row.demand;
    appendCell(text, u"Number", Rounding::text(row.qunty, Rounding::QUANTITY));
    appendCell(text, u"Number", Rounding::text(row.itmpr, Rounding::PRICE));
    for (double value : {row.demand, row.ordered, count})
        appendCell(text, u"Number", Rounding::text(value, Rounding::QUANTITY));
    text += u"</Row>\n";
    out.write(text);
}

void StockSheet::writeEnd(TextWriter& out)
{
    out.write(u"</Table>\n</Worksheet>\n</Workbook>");
}

bool StockSheet::read(const std::string& bytes, const String& fileName)
{
    rows_.clear();
    error_.clear();
    errorLine_ = 0;
    if (bytes.size() > MAX_BYTES)
        return fail(u"format", 0);
    String text = decode(bytes);
    if (fileName.endsWithIgnoreCase(u".xml"))
        return readSpreadsheet(text);
    return readDelimited(text, fileName.endsWithIgnoreCase(u".csv") ? u',' : u'\t');
}

bool StockSheet::readDelimited(const String& text, char16_t separator)
{
    DelimitedReader reader(text, separator);
    RawRow raw;
    if (!reader.next(raw)) // the title
        return reader.openQuoteLine() == 0 || fail(u"format", reader.openQuoteLine());
    while (reader.next(raw)) {
        if (raw.blank)
            continue;
        if (raw.fields < FIELDS)
            return fail(u"format", raw.line);
        if (!addRow(raw))
            return false;
    }
    return reader.openQuoteLine() == 0 || fail(u"format", reader.openQuoteLine());
}

bool StockSheet::readSpreadsheet(const String& text)
{
    SpreadsheetReader reader(text);
    RawRow raw;
    for (;;) {
        switch (reader.next(raw)) {
        case SpreadsheetReader::END: return true;
        case SpreadsheetReader::BROKEN: return fail(u"format", raw.line);
        case SpreadsheetReader::ROW: break;
        }
        // Excel leaves out the empty cells at the end of a row, so a row may
        // hold fewer than five.
        if (raw.line > 1 && !raw.blank && !addRow(raw))
            return false;
    }
}

bool StockSheet::addRow(const RawRow& raw)
{
    if (rows_.size() >= MAX_ROWS)
        return fail(u"format", raw.line);
    StockSheetRow row;
    row.line = raw.line;
    row.prdnm = cleanText(raw.values[0]);
    if (row.prdnm.empty())
        return fail(u"prdnm", raw.line);
    row.specs = cleanText(raw.values[1]);
    row.unitg = cleanText(raw.values[2]);
    if (!Rounding::parse(raw.values[3], row.qunty))
        return fail(u"qunty", raw.line);
    if (!Rounding::parse(raw.values[4], row.itmpr))
        return fail(u"itmpr", raw.line);
    row.qunty = Rounding::quantity(row.qunty);
    row.itmpr = Rounding::price(row.itmpr);
    rows_.push_back(std::move(row));
    return true;
}

bool StockSheet::fail(const char16_t* key, int line)
{
    rows_.clear();
    error_ = key;
    errorLine_ = line;
    return false;
}
