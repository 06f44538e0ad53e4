#pragma once

#include <string>

#include "quillot/frame/PageAction.h"

namespace tessel {
class HttpUpload;
}

// Loads product stock from an uploaded file (POST "import", the file in
// the field "file"): a stock sheet written by the product list, or a CSV
// or tab-separated text with a title line and the columns name,
// specification, unit, quantity and unit price. With "makeform" the rows
// become a stock receipt (FORM.impid its number); without, they are
// received straight into stock. All rows or none. The page shows "kindof":
// 1 before an import, 0 after one ("count" rows), 2 after a refused one
// ("error" the message, naming the line of the file).
class StockProductImportAction : public PageAction {
public:
    void execute() override;

private:
    void _show();
    void _import();
    void _fail(const tessel::String& key, int line);
    const tessel::HttpUpload* _upload() const;
    static bool _readAll(const tessel::HttpUpload& upload, std::string& bytes);
};
