#pragma once

#include <string>
#include <vector>

#include "tessel/core/String.h"

namespace tessel {
class TextWriter;
}

// One product row of a stock sheet.
struct StockSheetRow {
    tessel::String prdnm, specs, unitg;
    double qunty = 0;   // quantity on hand
    double itmpr = 0;   // average unit cost
    double demand = 0;  // still to ship (written only)
    double ordered = 0; // still to receive (written only)
    int line = 0;       // line (CSV) or row (XML) number in the file, 1-based, title row included (read only)
};

// The product stock as a spreadsheet file: written as an Excel 2003 XML
// workbook, and read back from such a workbook or from a comma- or
// tab-separated text file that a person prepared in any spreadsheet program.
class StockSheet {
public:
    // At most this many data rows are read from one file.
    static constexpr int MAX_ROWS = 100000;
    // Files beyond this many bytes are refused unread.
    static constexpr size_t MAX_BYTES = 64u << 20;

    // Writes the workbook (SpreadsheetML 2003) with the title row and one row per product, in the given order.
    static void writeHead(tessel::TextWriter& out);
    static void writeRow(tessel::TextWriter& out, const StockSheetRow& row);
    static void writeEnd(tessel::TextWriter& out);

    // Reads an uploaded file's bytes. `fileName` chooses the format by its extension, in any letter case:
    // ".xml" SpreadsheetML, ".csv" comma-separated, anything else tab-separated. False with error()/errorLine() set
    // when the file is not a stock sheet; then rows() holds nothing usable.
    bool read(const std::string& bytes, const tessel::String& fileName);
    const std::vector<StockSheetRow>& rows() const { return rows_; }
    // A key word: "format" (not a sheet / not well formed / a CSV line with fewer than 5 fields / unterminated quote),
    // "prdnm" (a row with values but no product name; specs may be empty),
    // "qunty" or "itmpr" (a field that is not a number, or not finite, or beyond 1e12 in size).
    const tessel::String& error() const { return error_; }
    int errorLine() const { return errorLine_; }

    // The first five fields of one row as read, before they are checked.
    struct RawRow;

private:
    bool readDelimited(const tessel::String& text, char16_t separator);
    bool readSpreadsheet(const tessel::String& text);
    bool addRow(const RawRow& raw);
    bool fail(const char16_t* key, int line);

    std::vector<StockSheetRow> rows_;
    tessel::String error_;
    int errorLine_ = 0;
};
