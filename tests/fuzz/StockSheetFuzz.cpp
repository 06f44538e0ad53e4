// Reads arbitrary bytes as an uploaded stock file in each of its formats.
// Besides not crashing, every read must either fail with a key word or
// give rows that keep the promises the import relies on: a name, numbers
// in range, and line numbers past the title in file order.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "quillot/frame/Rounding.h"
#include "quillot/frame/StockSheet.h"

using tessel::String;

namespace {

void check(const StockSheet& sheet, bool read)
{
    if (!read) {
        if (sheet.error().empty() || !sheet.rows().empty())
            std::abort();
        return;
    }
    if (sheet.rows().size() > StockSheet::MAX_ROWS)
        std::abort();
    int previous = 1;
    for (const StockSheetRow& row : sheet.rows()) {
        bool finite = std::isfinite(row.qunty) && std::isfinite(row.itmpr);
        if (row.prdnm.empty() || !finite || std::fabs(row.qunty) > Rounding::LIMIT || row.line <= previous)
            std::abort();
        previous = row.line;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char16_t* name : {u"stock.xml", u"stock.CSV", u"stock.txt"}) {
        StockSheet sheet;
        check(sheet, sheet.read(bytes, String(name)));
    }
    return 0;
}
