#pragma once

// The business documents over HTTP: a signed-in visitor of the demo company
// who saves orders, stock movements, invoices and payments through their
// pages, and the checks that the counters and the stock balance.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CompanyServer.h"

// What differs between buying and selling for the tests: pages, form
// fields and tables.
struct BusinessSide {
    const char* name;
    std::string movePage;  // "stockImport"
    std::string moveKey;   // "impid"
    std::string pname;     // "splnm"
    std::string orderPage; // "purchaseOrder"
    std::string invoicePage, paymentPage;
    std::string orders, orderLines, moves, moveLines, invoices, invoiceLines, payments, paymentLines;
};

inline const BusinessSide PURCHASE{"purchase",        "stockImport",     "impid",   "splnm",   "purchaseOrder",
                                   "purchaseInvoice", "purchasePayment", "zpordrt", "zpordrd", "zwimprt",
                                   "zwimprd",         "zpinvct",         "zpinvcd", "zppymnt", "zppymnd"};
inline const BusinessSide SALES{"sales",        "stockExport",  "expid",   "cltnm",   "salesOrder",
                                "salesInvoice", "salesPayment", "zsordrt", "zsordrd", "zwexprt",
                                "zwexprd",      "zsinvct",      "zsinvcd", "zspymnt", "zspymnd"};

inline void PrintTo(const BusinessSide& side, std::ostream* out)
{
    *out << side.name;
}

inline bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

using Fields = std::vector<std::pair<std::string, std::string>>;

// A line of a stock form: product, specification, quantity, price and the
// order line it moves (none when `orgid` is empty).
struct Line {
    std::string prdnm, specs, qunty, itmpr, orgid = "", orgln = "";
    std::string type = "", linnm = "";
};

// A product the demo company holds: 120 on hand at 15.5.
inline const char* const PRODUCT = "不锈钢螺丝";
inline const char* const SPECS = "M6×20";

class DocumentsOverHttp : public CompanyOverHttp {
protected:
    void SetUp() override
    {
        CompanyOverHttp::SetUp();
        visitor = std::make_unique<PageVisitor>(signedIn());
        db = database(u"demo");
    }

    std::string send(const std::string& page, const Fields& fields, const PageVisitor* who = nullptr)
    {
        std::string body;
        for (const auto& [name, value] : fields)
            body += (body.empty() ? "" : "&") + formBody({{name, value}});
        HttpClient::Response response = (who ? who : visitor.get())->post("/" + page + ".htm", body);
        EXPECT_EQ(response.status, 200) << page;
        return response.body;
    }

    // "list.001.name" fields of `rows`, each row a list of name and value.
    static Fields rowsOf(const std::vector<Fields>& rows)
    {
        Fields fields;
        for (size_t i = 0; i < rows.size(); i++) {
            char prefix[32];
            std::snprintf(prefix, sizeof prefix, "list.%03zu.", i + 1);
            for (const auto& [name, value] : rows[i])
                fields.emplace_back(prefix + name, value);
        }
        return fields;
    }
    static Fields joined(Fields head, const Fields& tail)
    {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    }

    // Saves a stock movement; the answer ("ok:<number>" on success).
    std::string move(const BusinessSide& side, const std::string& partner, const std::vector<Line>& rows,
                     const std::string& exist = "", const PageVisitor* who = nullptr)
    {
        std::vector<Fields> lines;
        for (const Line& row : rows)
            lines.push_back({{"prdnm", row.prdnm},
                             {"specs", row.specs},
                             {"qunty", row.qunty},
                             {"itmpr", row.itmpr},
                             {"orgid", row.orgid},
                             {"orgln", row.orgln},
                             {"_type", row.type},
                             {"linnm", row.linnm},
                             {"unitg", row.prdnm.empty() ? "" : "个"},
                             {"taxrt", "不含税"}});
        Fields header{{"cmd", "save"},   {side.pname, partner}, {"excdt", "2026-12-07"}, {"crncy", "人民币"},
                      {"_exist", exist}, {"trsid", "YT-1"},     {"invdt", "2026-12-20"}};
        return send(side.movePage + "Edit", joined(header, rowsOf(lines)), who);
    }
    // An invoice for `partner` of lines (product, specs, quantity, price,
    // stock document, its line).
    std::string invoice(const BusinessSide& side, const std::string& partner,
                        const std::vector<std::vector<std::string>>& lines, const std::string& exist = "",
                        Fields more = {})
    {
        std::vector<Fields> rows;
        for (const auto& line : lines) {
            Fields row{{"prdnm", line[0]}, {"specs", line[1]}, {"qunty", line[2]}, {"itmpr", line[3]}};
            if (line.size() > 5)
                row.insert(row.end(), {{"orgid", line[4]}, {"orgln", line[5]}});
            if (line.size() > 7)
                row.insert(row.end(), {{"_type", line[6]}, {"linnm", line[7]}});
            rows.push_back(row);
        }
        Fields header{{"cmd", "save"},   {side.pname, partner}, {"excdt", "2026-12-08"},
                      {"_exist", exist}, {"bilid", "No.0001"},  {"invty", "增值税专用发票"}};
        return send(side.invoicePage + "Edit", joined(joined(header, more), rowsOf(rows)));
    }
    // A payment of lines (order, its total, open before, paid now).
    std::string pay(const BusinessSide& side, const std::string& partner,
                    const std::vector<std::vector<std::string>>& lines, const std::string& exist = "",
                    const PageVisitor* who = nullptr)
    {
        std::vector<Fields> rows;
        for (const auto& line : lines) {
            Fields row{{"ordid", line[0]}, {"amont", line[1]}, {"lefts", line[2]}, {"paids", line[3]}};
            if (line.size() > 5)
                row.insert(row.end(), {{"_type", line[4]}, {"linnm", line[5]}});
            rows.push_back(row);
        }
        Fields header{{"cmd", "save"}, {side.pname, partner}, {"excdt", "2026-12-09"}, {"_exist", exist}};
        return send(side.paymentPage + "Edit", joined(header, rowsOf(rows)), who);
    }
    std::string numberOf(const std::string& answer)
    {
        EXPECT_EQ(answer.rfind("ok:", 0), 0u) << answer;
        return answer.size() > 3 ? answer.substr(3) : "";
    }
    // A command of a document's view page.
    std::string command(const std::string& page, const std::string& key, const std::string& cmd,
                        const std::string& number, Fields more = {})
    {
        more.insert(more.begin(), {{"cmd", cmd}, {key, number}});
        return send(page + "View", more);
    }
    std::string command(const BusinessSide& side, const std::string& cmd, const std::string& number, Fields more = {})
    {
        return command(side.movePage, side.moveKey, cmd, number, std::move(more));
    }

    // An order of one line. `taxed`: the order is with tax; `lineTaxed`:
    // the line's price includes it.
    void order(const BusinessSide& side, const std::string& ordid, const std::string& partner, const std::string& prdnm,
               const std::string& specs, const std::string& qunty, const std::string& itmpr, bool taxed = false,
               bool lineTaxed = false)
    {
        Fields fields{{"cmd", "save"},
                      {"ordid", ordid},
                      {side.pname, partner},
                      {"excdt", "2026-12-01"},
                      {"taxrt", taxed ? "含税" : "不含税"},
                      {"list.001.prdnm", prdnm},
                      {"list.001.specs", specs},
                      {"list.001.qunty", qunty},
                      {"list.001.itmpr", itmpr},
                      {"list.001.taxrt", lineTaxed ? "含税" : "不含税"},
                      {"list.001.plndt", "2026-12-20"}};
        ASSERT_EQ(send(side.orderPage + "Edit", fields), "ok:") << ordid;
    }

    std::string text(const std::string& sql)
    {
        tessel::String out;
        return db->queryString(out, tessel::String::fromUTF8(sql)).toStdString();
    }
    double number(const std::string& sql) { return db->queryDouble(tessel::String::fromUTF8(sql), 0); }
    bool run(const std::string& sql) { return db->execute(tessel::String::fromUTF8(sql)); }

    // Quantity on hand and average cost of a product, as "20 @ 1.5".
    std::string stock(const std::string& prdnm, const std::string& specs)
    {
        std::string where = " FROM zcprdct WHERE prdnm = '" + prdnm + "' AND specs = '" + specs + "'";
        char text[64];
        std::snprintf(text, sizeof text, "%g @ %g", number("SELECT qunty" + where), number("SELECT itmpr" + where));
        return text;
    }

    // The count of rows of `table` where `counter` is not within 0 and
    // `total`, on the side of zero the total is on.
    std::string outOfBounds(const std::string& table, const std::string& counter, const std::string& total)
    {
        return text("SELECT count(*) FROM " + table + " WHERE NOT ((" + total + " >= 0 AND " + counter +
                    " >= 0 AND round(" + counter + ", 4) <= round(" + total + ", 4)) OR (" + total + " < 0 AND " +
                    counter + " <= 0 AND round(" + counter + ", 4) >= round(" + total + ", 4)))");
    }

    // The books balance: every product's stock equals its journal's
    // receipts less its issues and is not negative; every counter lies
    // within its total and equals the sum of the document lines counted
    // on it (a reversed document and its red-ink copy sum to nothing).
    void expectBooksBalance(const std::string& step)
    {
        EXPECT_EQ(text("SELECT count(*) FROM zcprdct p WHERE qunty < 0 OR round(p.qunty, 4) <> round((SELECT "
                       "coalesce(sum(imprt - exprt), 0) FROM zwacntt j WHERE j.prdnm = p.prdnm AND j.specs = p.specs), "
                       "4)"),
                  "0")
            << step;
        for (const BusinessSide* side : {&PURCHASE, &SALES}) {
            std::string where = step + " " + side->name;
            EXPECT_EQ(outOfBounds(side->orderLines, "ldngs", "qunty"), "0") << where;
            EXPECT_EQ(outOfBounds(side->orderLines, "invcs", "qunty"), "0") << where;
            EXPECT_EQ(outOfBounds(side->moveLines, "invcs", "qunty"), "0") << where;
            EXPECT_EQ(outOfBounds(side->orders, "paids", "amont"), "0") << where;
            EXPECT_EQ(text("SELECT count(*) FROM " + side->orderLines + " o WHERE round(o.ldngs, 4) <> round((SELECT " +
                           "coalesce(sum(d.qunty), 0) FROM " + side->moveLines +
                           " d WHERE d.orgid = o.ordid AND d.orgln = o.linnm), 4)"),
                      "0")
                << where << " ldngs";
            EXPECT_EQ(text("SELECT count(*) FROM " + side->moveLines + " d WHERE round(d.invcs, 4) <> round((SELECT " +
                           "coalesce(sum(i.qunty), 0) FROM " + side->invoiceLines + " i WHERE i.orgid = d." +
                           side->moveKey + " AND i.orgln = d.linnm), 4)"),
                      "0")
                << where << " invcs";
            EXPECT_EQ(text("SELECT count(*) FROM " + side->orderLines + " o WHERE round(o.invcs, 4) <> round((SELECT " +
                           "coalesce(sum(i.qunty), 0) FROM " + side->invoiceLines + " i JOIN " + side->moveLines +
                           " d ON i.orgid = d." + side->moveKey +
                           " AND i.orgln = d.linnm WHERE d.orgid = o.ordid AND d.orgln = o.linnm), 4)"),
                      "0")
                << where << " order invcs";
            EXPECT_EQ(text("SELECT count(*) FROM " + side->orders + " o WHERE round(o.paids, 2) <> round((SELECT " +
                           "coalesce(sum(p.paids), 0) FROM " + side->paymentLines + " p WHERE p.ordid = o.ordid), 2)"),
                      "0")
                << where << " paids";
        }
    }

    // Every row of the tables a document save may touch.
    std::string snapshot()
    {
        return tableRows(db, {"zcprdct", "zwacntt", "zwimprt", "zwimprd", "zwexprt", "zwexprd", "zpordrt", "zpordrd",
                              "zsordrt", "zsordrd", "zpinvct", "zpinvcd", "zsinvct", "zsinvcd", "zppymnt", "zppymnd",
                              "zspymnt", "zspymnd", "zsyslast"});
    }

    std::unique_ptr<PageVisitor> visitor;
    tessel::Ref<IDbSession> db;
};
