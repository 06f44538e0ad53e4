#pragma once

#include <vector>

#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"

// Checks a company database against the rules every business document
// keeps, and tells each finding with its document and figures:
// - every order line's received (shipped) and invoiced quantity, every
//   stock line's invoiced quantity and every order's paid amount lies
//   within its total and equals the sum of the lines of the active
//   documents (states 1 to 4) behind it;
// - every product's quantity on hand equals its journal's receipts less
//   its issues and is not negative, nor is its average cost;
// - every red-ink copy stands beside its original in state 5 and every
//   document in state 5 beside its copy;
// - no line is without its document, and no document number is used twice.
class BooksCheck : public TableClass {
public:
    explicit BooksCheck(const PageAction& page);
    explicit BooksCheck(IDbSession* session);

    // Runs every check; false when a check could not run (then the error is
    // READ_FAILED). `findings` gets one text per fault found.
    bool run(std::vector<tessel::String>& findings);

private:
    bool _collect(const tessel::String& sql, const DbParams& params, std::vector<tessel::String>& findings);
    bool _checkSide(const Side& side, std::vector<tessel::String>& findings);
    bool _checkDocuments(std::vector<tessel::String>& findings);
    bool _checkStock(std::vector<tessel::String>& findings);
};
