// Stock receipts and issues over HTTP against the real server: the stock
// and its average cost after every kind of movement, the order lines'
// counters, the journal, refusals that leave every table as it was, the
// stock sheet out and back in, and the delivery note.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "DocumentsOverHttp.h"
#include "tessel/core/CodePage.h"

namespace {

class StockOverHttp : public DocumentsOverHttp {};

class MovementsOverHttp : public DocumentsOverHttp, public ::testing::WithParamInterface<BusinessSide> {
protected:
    const BusinessSide& side() const { return GetParam(); }
};

} // namespace

// ------------------------------------------------------------ the cost

TEST_F(StockOverHttp, TheAverageCostFollowsReceiptsIssuesReversalsAndRemovals)
{
    numberOf(move(PURCHASE, "新供应商", {{"新品", "X1", "10", "1"}}));
    EXPECT_EQ(stock("新品", "X1"), "10 @ 1");
    order(PURCHASE, "PO1", "新供应商", "新品", "X1", "10", "2");
    std::string second = numberOf(move(PURCHASE, "新供应商", {{"新品", "X1", "10", "2", "PO1", "1"}}));
    EXPECT_EQ(stock("新品", "X1"), "20 @ 1.5");
    expectBooksBalance("received");

    std::string red = numberOf(command(PURCHASE, "red", second));
    EXPECT_EQ(stock("新品", "X1"), "10 @ 1");
    EXPECT_EQ(text("SELECT stats FROM zwimprt WHERE impid = '" + second + "'"), "5");
    EXPECT_EQ(text("SELECT stats || rmrks FROM zwimprt WHERE impid = '" + red + "'"), "6" + second + "R");
    EXPECT_EQ(text("SELECT qunty FROM zwimprd WHERE impid = '" + red + "'"), "-10.0");
    expectBooksBalance("reversed");

    ASSERT_EQ(command(PURCHASE, "remove", red), "ok:");
    EXPECT_EQ(stock("新品", "X1"), "20 @ 1.5");
    EXPECT_EQ(text("SELECT stats FROM zwimprt WHERE impid = '" + second + "'"), "3");
    expectBooksBalance("reversal removed");

    order(SALES, "SO1", "新客户", "新品", "X1", "8", "5");
    std::string issue = numberOf(move(SALES, "新客户", {{"新品", "X1", "5", "5", "SO1", "1"}}));
    EXPECT_EQ(stock("新品", "X1"), "15 @ 1.5");
    expectBooksBalance("issued");
    numberOf(command(SALES, "red", issue));
    EXPECT_EQ(stock("新品", "X1"), "20 @ 1.5");
    expectBooksBalance("issue reversed");

    // Shipping all that is on hand leaves the cost, at which goods that
    // come back return.
    std::string all = numberOf(move(SALES, "新客户", {{"新品", "X1", "20", "3"}}));
    EXPECT_EQ(stock("新品", "X1"), "0 @ 1.5");
    numberOf(command(SALES, "red", all));
    EXPECT_EQ(stock("新品", "X1"), "20 @ 1.5");
    expectBooksBalance("all shipped and back");
}

TEST_F(StockOverHttp, AnEditMovesQuantityPriceAndProduct)
{
    numberOf(move(PURCHASE, "新供应商", {{"新品", "X1", "10", "1"}}));
    order(PURCHASE, "PO1", "新供应商", "新品", "X1", "10", "2");
    std::string receipt = numberOf(move(PURCHASE, "新供应商", {{"新品", "X1", "10", "2", "PO1", "1"}}));
    ASSERT_EQ(stock("新品", "X1"), "20 @ 1.5");

    // Lowered to 6: 4 go out at the line's own price, 2.00.
    Line lowered{"新品", "X1", "6", "2", "", "", "update", "1"};
    EXPECT_EQ(move(PURCHASE, "新供应商", {lowered}, receipt), "ok:" + receipt);
    EXPECT_EQ(stock("新品", "X1"), "16 @ 1.375");
    EXPECT_EQ(text("SELECT ldngs FROM zpordrd WHERE ordid = 'PO1'"), "6.0");

    // Another product: out of the old one, into the new; the order keeps
    // counting the stored line.
    Line moved{"新品", "X2", "6", "3", "PO9", "7", "update", "1"};
    EXPECT_EQ(move(PURCHASE, "新供应商", {moved}, receipt), "ok:" + receipt);
    EXPECT_EQ(stock("新品", "X1"), "10 @ 1");
    EXPECT_EQ(stock("新品", "X2"), "6 @ 3");
    EXPECT_EQ(text("SELECT orgid || '/' || orgln FROM zwimprd WHERE impid = '" + receipt + "'"), "PO1/1");
    expectBooksBalance("edited");

    Line removed{"", "", "", "", "", "", "delete", "1"};
    Line added{"新品", "X1", "2", "2", "PO1", "1"};
    EXPECT_EQ(move(PURCHASE, "新供应商", {removed, added}, receipt), "ok:" + receipt);
    EXPECT_EQ(stock("新品", "X2"), "0 @ 0");
    EXPECT_EQ(text("SELECT group_concat(linnm) FROM zwimprd WHERE impid = '" + receipt + "'"), "2");
    EXPECT_EQ(text("SELECT ldngs FROM zpordrd WHERE ordid = 'PO1'"), "2.0");
    expectBooksBalance("line replaced");
}

TEST_F(StockOverHttp, ALineWithoutTaxOnAnOrderWithTaxTakesTheFactor)
{
    order(PURCHASE, "PT1", "新供应商", "新品", "X1", "3", "10", true);
    std::string receipt = numberOf(move(PURCHASE, "新供应商", {{"新品", "X1", "3", "10", "PT1", "1"}}));
    EXPECT_EQ(text("SELECT pramt || '/' || taxrt FROM zwimprd WHERE impid = '" + receipt + "'"), "35.1/0");
    // The stock is valued before tax.
    EXPECT_EQ(stock("新品", "X1"), "3 @ 10");
}

TEST_F(StockOverHttp, OrderLinesOfReturnsAreBoundToo)
{
    order(PURCHASE, "PR1", "新供应商", PRODUCT, SPECS, "-3", "15.5");
    double onHand = number(std::string("SELECT qunty FROM zcprdct WHERE prdnm = '") + PRODUCT + "'AND specs = '" +
                           SPECS + "'");
    // Sending goods back to the supplier: a negative receipt.
    numberOf(move(PURCHASE, "新供应商", {{PRODUCT, SPECS, "-2", "15.5", "PR1", "1"}}));
    EXPECT_EQ(text("SELECT ldngs FROM zpordrd WHERE ordid = 'PR1'"), "-2.0");
    EXPECT_EQ(number(std::string("SELECT qunty FROM zcprdct WHERE prdnm = '") + PRODUCT + "'AND specs = '" + SPECS +
                     "'"),
              onHand - 2);
    std::string before = snapshot();
    EXPECT_TRUE(contains(move(PURCHASE, "新供应商", {{PRODUCT, SPECS, "-2", "15.5", "PR1", "1"}}), "不能超过"));
    EXPECT_TRUE(contains(move(PURCHASE, "新供应商", {{PRODUCT, SPECS, "3", "15.5", "PR1", "1"}}), "不能超过"));
    EXPECT_EQ(snapshot(), before);
}

// ----------------------------------------------------- both directions

TEST_P(MovementsOverHttp, RefusedSavesLeaveEveryTableAsItWas)
{
    order(side(), "O1", "甲公司", PRODUCT, SPECS, "5", "20");
    order(side(), "O2", "乙公司", PRODUCT, SPECS, "5", "20");
    numberOf(move(side(), "甲公司", {{PRODUCT, SPECS, "5", "20", "O1", "1"}}));
    std::string before = snapshot();
    const struct {
        const char* what;
        std::vector<Line> rows;
        const char* answer;
    } refusals[] = {
        {"more than the order's open quantity", {{PRODUCT, SPECS, "1", "20", "O1", "1"}}, "不能超过"},
        {"another partner's order", {{PRODUCT, SPECS, "1", "20", "O2", "1"}}, "不是这个"},
        {"an order that is not there", {{PRODUCT, SPECS, "1", "20", "O9", "1"}}, "订单行不存在"},
        {"more than on hand, or a product without stock",
         {{PRODUCT, SPECS, side().name == PURCHASE.name ? "-200" : "200", "20"}},
         "库存不够"},
        {"a line with values but no product between two",
         {{PRODUCT, SPECS, "1", "20"}, {"", "", "1", "20"}, {PRODUCT, SPECS, "1", "20"}},
         "产品名称"},
        {"a quantity of 0", {{PRODUCT, SPECS, "0", "20"}}, "数量"},
        {"a quantity that is no number", {{PRODUCT, SPECS, "1e400", "20"}}, "数量"},
        {"a negative price", {{PRODUCT, SPECS, "1", "-1"}}, "单价"},
        {"a price of 0 against an order", {{PRODUCT, SPECS, "1", "0", "O2", "1"}}, "单价"},
        {"no line", {{"", "", "", ""}}, "至少"},
    };
    for (const auto& refusal : refusals) {
        std::string answer = move(side(), "甲公司", refusal.rows);
        EXPECT_TRUE(contains(answer, refusal.answer)) << refusal.what << ": " << answer;
        EXPECT_EQ(snapshot(), before) << refusal.what;
    }
    // A second line over the stock undoes the first one's movement too.
    EXPECT_TRUE(contains(move(side(), "甲公司", {{PRODUCT, SPECS, "1", "20"}, {"无库存", "Z", "-1", "1"}}), "库存"));
    EXPECT_EQ(snapshot(), before);
}

TEST_P(MovementsOverHttp, WhollyEmptyLinesAreSkipped)
{
    std::string number = numberOf(
        move(side(), "甲公司", {{PRODUCT, SPECS, "1", "20"}, {"", "", "", ""}, {PRODUCT, SPECS, "2", "20"}}));
    EXPECT_EQ(text("SELECT group_concat(linnm || ':' || qunty) FROM " + side().moveLines + " WHERE " + side().moveKey +
                   " = '" + number + "'"),
              "1:1.0,2:2.0");
    // Only goods shipped may go free of charge.
    std::string free = move(side(), "甲公司", {{PRODUCT, SPECS, "1", "0"}});
    EXPECT_EQ(contains(free, "ok:"), side().name == SALES.name) << free;
}

TEST_P(MovementsOverHttp, StatesRuleEditsReversalsAndRemovals)
{
    std::string number = numberOf(move(side(), "甲公司", {{PRODUCT, SPECS, "2", "20"}}));
    EXPECT_TRUE(contains(command(side(), "remove", number), "只能删除"));
    ASSERT_TRUE(run("UPDATE " + side().moves + " SET stats = 4 WHERE " + side().moveKey + " = '" + number + "'"));
    Line edit{PRODUCT, SPECS, "1", "20", "", "", "update", "1"};
    EXPECT_TRUE(contains(move(side(), "甲公司", {edit}, number), "只有有效"));
    std::string red = numberOf(command(side(), "red", number));
    EXPECT_TRUE(contains(command(side(), "red", number), "冲红"));
    EXPECT_TRUE(contains(command(side(), "red", red), "冲红"));
    ASSERT_EQ(command(side(), "remove", red), "ok:");
    EXPECT_EQ(text("SELECT stats FROM " + side().moves + " WHERE " + side().moveKey + " = '" + number + "'"), "3");
    EXPECT_EQ(text("SELECT count(*) FROM " + side().moveLines + " WHERE " + side().moveKey + " = '" + red + "'"), "0");
    expectBooksBalance("reversed and removed");
    EXPECT_TRUE(contains(command(side(), "red", "NOSUCH"), "找不到"));
    EXPECT_TRUE(contains(command(side(), "fly", number), "不支持"));
}

TEST_P(MovementsOverHttp, AnInvoicedLineKeepsWhatWasInvoiced)
{
    std::string number = numberOf(move(side(), "甲公司", {{PRODUCT, SPECS, "5", "20"}, {PRODUCT, SPECS, "1", "20"}}));
    ASSERT_TRUE(run("UPDATE " + side().moveLines + " SET invcs = 3 WHERE linnm = 1 AND " + side().moveKey + " = '" +
                    number + "'"));
    std::string before = snapshot();
    const struct {
        const char* what;
        std::vector<Line> rows;
    } edits[] = {
        {"lowered below", {{PRODUCT, SPECS, "2", "20", "", "", "update", "1"}}},
        {"another product", {{"新品", "X1", "5", "20", "", "", "update", "1"}}},
        {"deleted", {{"", "", "", "", "", "", "delete", "1"}}},
    };
    for (const auto& edit : edits) {
        EXPECT_TRUE(contains(move(side(), "甲公司", edit.rows, number), "已开票")) << edit.what;
        EXPECT_EQ(snapshot(), before) << edit.what;
    }
    EXPECT_TRUE(contains(command(side(), "red", number), "开票"));
    EXPECT_EQ(snapshot(), before);
    // Down to what was invoiced is fine.
    EXPECT_EQ(move(side(), "甲公司", {{PRODUCT, SPECS, "3", "20", "", "", "update", "1"}}, number), "ok:" + number);
}

TEST_P(MovementsOverHttp, TheDateCommandStoresDatesInTheirOwnForm)
{
    std::string number = numberOf(move(side(), "甲公司", {{PRODUCT, SPECS, "1", "20"}}));
    std::string where = " FROM " + side().moves + " WHERE " + side().moveKey + " = '" + number + "'";
    EXPECT_EQ(command(side(), "date", number, {{"invdt", " 2027-1-5 "}, {"pymdt", ""}}), "ok:");
    EXPECT_EQ(text("SELECT invdt || '/' || coalesce(pymdt, 'null')" + where), "2027-01-05/null");
    EXPECT_TRUE(contains(command(side(), "date", number, {{"invdt", "2027-02-30"}}), "日期"));
    EXPECT_EQ(text("SELECT invdt" + where), "2027-01-05");
    EXPECT_FALSE(contains(command(side(), "date", "NOSUCH", {{"invdt", ""}}), "ok:"));
}

TEST_P(MovementsOverHttp, PagesShowTheDocumentsAndTheOpenOrderLines)
{
    order(side(), "O1", "甲公司", PRODUCT, SPECS, "5", "20");
    order(side(), "O2", "甲公司", "新品<b>", "X1", "4", "20");
    std::string number = numberOf(move(side(), "甲公司", {{PRODUCT, SPECS, "5", "20", "O1", "1"}}));
    std::string form = visitor->get("/" + side().movePage + "Edit.htm?ordid=O1%3BO2").body;
    EXPECT_TRUE(contains(form, "新品&lt;b&gt;"));
    EXPECT_FALSE(contains(form, "新品<b>"));
    std::string view = visitor->get("/" + side().movePage + "View.htm?" + side().moveKey + "=" + number).body;
    EXPECT_TRUE(contains(view, number));
    EXPECT_TRUE(contains(view, PRODUCT));
    std::string list = visitor->get("/" + side().movePage + "List.htm").body;
    EXPECT_TRUE(contains(list, number));
    EXPECT_TRUE(contains(visitor->get("/" + side().movePage + "List.htm?filter=d.prdnm+LIKE+x").body, "<"));
}

INSTANTIATE_TEST_SUITE_P(BothDirections, MovementsOverHttp, ::testing::Values(PURCHASE, SALES));

// ------------------------------------------------------- two at once

TEST_F(StockOverHttp, TwoVisitorsShippingTheLastUnitsCannotBothSucceed)
{
    PageVisitor other = signedIn();
    numberOf(move(PURCHASE, "新供应商", {{"稀缺品", "S1", "5", "2"}}));
    std::string answers[2];
    std::thread first([&] { answers[0] = move(SALES, "甲公司", {{"稀缺品", "S1", "5", "9"}}, "", visitor.get()); });
    std::thread second([&] { answers[1] = move(SALES, "乙公司", {{"稀缺品", "S1", "5", "9"}}, "", &other); });
    first.join();
    second.join();
    int shipped = contains(answers[0], "ok:") + contains(answers[1], "ok:");
    EXPECT_EQ(shipped, 1) << answers[0] << " / " << answers[1];
    EXPECT_EQ(stock("稀缺品", "S1"), "0 @ 2");
    expectBooksBalance("two at once");
}

// ------------------------------------------------ sheets and the note

namespace {

std::string multipart(const std::string& fileName, const std::string& bytes, bool makeform = false)
{
    std::string body = "--b0undary\r\nContent-Disposition: form-data; name=\"cmd\"\r\n\r\nimport\r\n";
    if (makeform)
        body += "--b0undary\r\nContent-Disposition: form-data; name=\"makeform\"\r\n\r\n1\r\n";
    body += "--b0undary\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + fileName +
            "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + bytes + "\r\n--b0undary--\r\n";
    return body;
}

std::string gbk(const std::string& utf8)
{
    tessel::String text = tessel::String::fromUTF8(utf8);
    std::string out(static_cast<size_t>(text.size()) * 2 + 1, '\0');
    int length = tessel::CodePage::encode(936, text.c_str(), text.size(), out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<size_t>(length > 0 ? length : 0));
    return out;
}

} // namespace

TEST_F(StockOverHttp, TheStockSheetLoadsIntoAFreshCompanyAsItWasWritten)
{
    numberOf(
        move(PURCHASE, "新供应商", {{"名称 <&> \"引号\"", "1/3", "3", "1"}, {"名称 <&> \"引号\"", "1/3", "6", "1.1"}}));
    order(SALES, "SO1", "新客户", "订货品", "Z1", "500", "20");
    std::string answer = send("stockProductList", {{"cmd", "export"}});
    ASSERT_EQ(answer.rfind("ok:download/", 0), 0u) << answer;
    HttpClient::Response file = visitor->get("/" + answer.substr(3));
    ASSERT_EQ(file.status, 200);
    EXPECT_TRUE(contains(file.body, "<Cell><Data ss:Type=\"Number\">-500.0000</Data></Cell>"));
    std::filesystem::path sheet = temp / "stock.xml";
    std::ofstream(sheet, std::ios::binary) << file.body;
    if (std::system("command -v xmllint >/dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("xmllint --noout '" + sheet.string() + "'").c_str()), 0);
    }

    ASSERT_EQ(send("systemCreate", {{"cmd", "create"}, {"dbname", "fresh"}, {"company", "新公司"}, {"passwd", "pw"}}),
              "ok:");
    PageVisitor fresh = signedIn("fresh", "pw");
    HttpClient::Response loaded = fresh.post("/stockProductImport.htm", multipart("库存.xml", file.body),
                                             "multipart/form-data; boundary=b0undary");
    ASSERT_EQ(loaded.status, 200);
    tessel::Ref<IDbSession> copy = database(u"fresh");
    const char* products = "SELECT group_concat(prdnm || '|' || specs || '|' || round(qunty, 4) || '|' || "
                           "round(itmpr, 8), ';') FROM (SELECT * FROM zcprdct WHERE qunty <> 0 ORDER BY 1, 2)";
    tessel::String original, imported;
    db->queryString(original, tessel::String::fromUTF8(products));
    copy->queryString(imported, tessel::String::fromUTF8(products));
    EXPECT_FALSE(original.empty());
    EXPECT_EQ(imported.toStdString(), original.toStdString());
}

TEST_F(StockOverHttp, CsvFilesOfSpreadsheetProgramsImportAndBadRowsImportNothing)
{
    const std::string multipartType = "multipart/form-data; boundary=b0undary";
    std::string csv = "名称,规格,单位,数量,单价\r\n\"垫片, 大\",\"M8 \"\"厚\"\"\",个,10,0.5\r\n";
    HttpClient::Response answer = visitor->post("/stockProductImport.htm", multipart("a.csv", gbk(csv)), multipartType);
    ASSERT_EQ(answer.status, 200);
    EXPECT_EQ(stock("垫片, 大", "M8 \"厚\""), "10 @ 0.5");
    answer = visitor->post("/stockProductImport.htm", multipart("b.csv", "\xEF\xBB\xBF" + csv), multipartType);
    EXPECT_EQ(stock("垫片, 大", "M8 \"厚\""), "20 @ 0.5");
    expectBooksBalance("imported");

    std::string before = snapshot();
    std::string bad = "名称,规格,单位,数量,单价\n垫圈,M6,个,1,2\n垫圈,M8,个,十,2\n";
    answer = visitor->post("/stockProductImport.htm", multipart("c.csv", bad), multipartType);
    EXPECT_TRUE(contains(answer.body, "第 3 行")) << answer.body;
    EXPECT_EQ(snapshot(), before);

    // As a receipt instead: one document of the rows.
    answer = visitor->post("/stockProductImport.htm", multipart("d.csv", csv, true), multipartType);
    EXPECT_EQ(text("SELECT count(*) FROM zwimprd WHERE prdnm = '垫片, 大'"), "1");
    EXPECT_EQ(stock("垫片, 大", "M8 \"厚\""), "30 @ 0.5");
}

TEST_F(StockOverHttp, TheDeliveryNoteShowsTheIssueTheClientAndTheCompany)
{
    std::string number = numberOf(move(SALES, "客户 <i>", {{PRODUCT, SPECS, "2", "20"}}));
    HttpClient::Response note = visitor->get("/stockExportPrint.htm?expid=" + number + "%2CX");
    EXPECT_EQ(note.status, 200);
    EXPECT_TRUE(contains(note.body, number));
    EXPECT_TRUE(contains(note.body, "客户 &lt;i&gt;"));
    EXPECT_FALSE(contains(note.body, "客户 <i>"));
}
