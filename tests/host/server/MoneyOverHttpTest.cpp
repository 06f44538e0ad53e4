// Invoices and payments over HTTP against the real server: what they move
// on the stock lines, order lines and orders, on both bounds and on the
// stored rows; reversal and removal; two visitors paying at once; and a
// purchase followed from order to payment and back.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "DocumentsOverHttp.h"

namespace {

class MoneyOverHttp : public DocumentsOverHttp, public ::testing::WithParamInterface<BusinessSide> {
protected:
    const BusinessSide& side() const { return GetParam(); }

    std::string invoiceCommand(const std::string& cmd, const std::string& number)
    {
        return command(side().invoicePage, "invid", cmd, number);
    }
    std::string paymentCommand(const std::string& cmd, const std::string& number)
    {
        return command(side().paymentPage, "pymid", cmd, number);
    }
    std::string orderValue(const std::string& column, const std::string& ordid)
    {
        return text("SELECT " + column + " FROM " + side().orders + " WHERE ordid = '" + ordid + "'");
    }
    std::string lineValue(const std::string& column, const std::string& table, const std::string& key,
                          const std::string& number)
    {
        return text("SELECT " + column + " FROM " + table + " WHERE " + key + " = '" + number + "'");
    }

    // An order with tax of 5 of the demo product at 20 without tax, moved in
    // full; the stock document's number.
    std::string movedOrder(const std::string& ordid, bool taxed = true)
    {
        order(side(), ordid, "甲公司", PRODUCT, SPECS, "5", "20", taxed);
        return numberOf(move(side(), "甲公司", {{PRODUCT, SPECS, "5", "20", ordid, "1"}}));
    }
};

} // namespace

// ------------------------------------------------------------- invoices

TEST_P(MoneyOverHttp, AStockLineIsInvoicedUpToItsQuantity)
{
    std::string moved = movedOrder("O1");
    std::string first = numberOf(invoice(side(), "甲公司", {{PRODUCT, SPECS, "3", "20", moved, "1"}}));
    // Without tax on an order with tax: 3 x 20 x 1.17.
    EXPECT_EQ(lineValue("pramt", side().invoiceLines, "invid", first), "70.2");
    EXPECT_EQ(lineValue("amont", side().invoices, "invid", first), "70.2");
    EXPECT_EQ(text("SELECT invcs FROM " + side().orderLines + " WHERE ordid = 'O1'"), "3.0");

    // The form for the stock line offers the 2 still to invoice.
    std::string form =
        visitor->get("/" + side().invoicePage + "Edit.htm?" + side().moveKey + "=" + moved + "%2C1").body;
    EXPECT_TRUE(contains(form, "2.0")) << form.substr(0, 200);

    std::string before = snapshot();
    EXPECT_TRUE(contains(invoice(side(), "甲公司", {{PRODUCT, SPECS, "3", "20", moved, "1"}}), "开票数量"));
    EXPECT_TRUE(contains(invoice(side(), "乙公司", {{PRODUCT, SPECS, "1", "20", moved, "1"}}), "名称"));
    EXPECT_EQ(snapshot(), before);
    order(side(), "O9", "乙公司", PRODUCT, SPECS, "1", "20");
    EXPECT_TRUE(contains(invoice(side(), "乙公司", {{PRODUCT, SPECS, "1", "20", moved, "1"}}), "不是这个"));
    before = snapshot();
    EXPECT_TRUE(contains(invoice(side(), "甲公司", {{PRODUCT, SPECS, "0", "20", moved, "1"}}), "数量"));
    EXPECT_TRUE(contains(invoice(side(), "甲公司", {{PRODUCT, SPECS, "1", "0", moved, "1"}}), "单价"));
    EXPECT_TRUE(contains(invoice(side(), "甲公司", {{PRODUCT, SPECS, "-1", "20", moved, "1"}, {"", "", "1", "1"}}),
                         "产品名称"));
    EXPECT_EQ(snapshot(), before);
    expectBooksBalance("invoiced");
}

TEST_P(MoneyOverHttp, GoodsOfAnOrderNotToBeInvoicedAreNot)
{
    std::string moved = movedOrder("O1", false);
    std::string before = snapshot();
    EXPECT_TRUE(contains(invoice(side(), "甲公司", {{PRODUCT, SPECS, "1", "20", moved, "1"}}), "不开发票"));
    EXPECT_EQ(snapshot(), before);
}

TEST_P(MoneyOverHttp, LinesWithoutStockLinesMoveNothing)
{
    order(side(), "O1", "甲公司", PRODUCT, SPECS, "5", "20", true);
    std::string number = numberOf(invoice(side(), "甲公司", {{"运费", "-", "1", "50"}}));
    EXPECT_EQ(lineValue("amont", side().invoices, "invid", number), "50.0");
    // Edited and deleted without a stock line to touch.
    EXPECT_EQ(invoice(side(), "甲公司", {{"运费", "-", "2", "50", "", "", "update", "1"}}, number), "ok:" + number);
    EXPECT_EQ(lineValue("amont", side().invoices, "invid", number), "100.0");
    EXPECT_EQ(invoice(side(), "甲公司", {{"", "", "", "", "", "", "delete", "1"}, {"运费", "-", "1", "1"}}, number),
              "ok:" + number);
    EXPECT_EQ(lineValue("group_concat(linnm)", side().invoiceLines, "invid", number), "2");
    expectBooksBalance("free lines");
}

TEST_P(MoneyOverHttp, AnInvoiceLineKeepsItsStockLineAndReversesExactly)
{
    std::string moved = movedOrder("O1");
    std::string number = numberOf(invoice(side(), "甲公司", {{PRODUCT, SPECS, "3", "20", moved, "1"}}));
    // The update names another stock line: the stored one moves.
    EXPECT_EQ(invoice(side(), "甲公司", {{PRODUCT, SPECS, "4", "20", "X9", "9", "update", "1"}}, number),
              "ok:" + number);
    EXPECT_EQ(text("SELECT invcs FROM " + side().moveLines + " WHERE " + side().moveKey + " = '" + moved + "'"), "4.0");

    std::string red = numberOf(invoiceCommand("red", number));
    EXPECT_EQ(lineValue("stats || rmrks", side().invoices, "invid", red), "6" + number + "R");
    EXPECT_EQ(lineValue("qunty", side().invoiceLines, "invid", red), "-4.0");
    EXPECT_EQ(lineValue("amont", side().invoices, "invid", red), "-93.6");
    EXPECT_EQ(text("SELECT invcs FROM " + side().orderLines + " WHERE ordid = 'O1'"), "0.0");
    expectBooksBalance("invoice reversed");
    // A stock document invoiced is held; once the invoice is reversed it
    // may go.
    EXPECT_EQ(invoiceCommand("remove", red), "ok:");
    EXPECT_TRUE(contains(command(side(), "red", moved), "开票"));
    numberOf(invoiceCommand("red", number));
    numberOf(command(side(), "red", moved));
    expectBooksBalance("all reversed");
}

// ------------------------------------------------------------- payments

TEST_P(MoneyOverHttp, AnOrderIsPaidUpToItsTotalInCents)
{
    order(side(), "O1", "甲公司", PRODUCT, SPECS, "10", "10");
    ASSERT_EQ(orderValue("amont", "O1"), "100.0");
    std::string first = numberOf(pay(side(), "甲公司", {{"O1", "100", "100", "60"}}));
    numberOf(pay(side(), "甲公司", {{"O1", "100", "40", "40"}}));
    EXPECT_EQ(orderValue("paids", "O1"), "100.0");
    std::string before = snapshot();
    EXPECT_TRUE(contains(pay(side(), "甲公司", {{"O1", "100", "0.01", "0.01"}}), "超过"));
    EXPECT_TRUE(contains(pay(side(), "甲公司", {{"O1", "100", "0", "5"}}), "未"));
    EXPECT_TRUE(contains(pay(side(), "甲公司", {{"O9", "100", "5", "5"}}), "不存在"));
    EXPECT_TRUE(contains(pay(side(), "乙公司", {{"O1", "100", "5", "5"}}), "名称"));
    EXPECT_EQ(snapshot(), before);

    // 60 lowered to 50 gives back 10; deleted, all 50.
    EXPECT_EQ(pay(side(), "甲公司", {{"O2", "100", "100", "50", "update", "1"}}, first), "ok:" + first);
    EXPECT_EQ(orderValue("paids", "O1"), "90.0");
    EXPECT_EQ(lineValue("ordid", side().paymentLines, "pymid", first), "O1");
    EXPECT_EQ(pay(side(), "甲公司", {{"", "", "", "", "delete", "1"}, {"O1", "100", "50", "0.005"}}, first),
              "ok:" + first);
    EXPECT_EQ(orderValue("paids", "O1"), "40.01");
    expectBooksBalance("paid");

    // Cents add up exactly: 0.10 and 0.20 pay 0.30.
    order(side(), "O3", "甲公司", "小件", "S", "3", "0.1");
    numberOf(pay(side(), "甲公司", {{"O3", "0.3", "0.3", "0.10"}}));
    numberOf(pay(side(), "甲公司", {{"O3", "0.3", "0.2", "0.20"}}));
    EXPECT_EQ(orderValue("round(paids, 2)", "O3"), "0.3");
}

TEST_P(MoneyOverHttp, AReversedPaymentTakesItsMoneyBackExactly)
{
    order(side(), "O1", "甲公司", PRODUCT, SPECS, "3", "33.333333");
    std::string number = numberOf(pay(side(), "甲公司", {{"O1", "100", "100", "60.005"}}));
    EXPECT_EQ(orderValue("paids", "O1"), "60.01");
    std::string red = numberOf(paymentCommand("red", number));
    EXPECT_EQ(lineValue("stats || ':' || amont", side().payments, "pymid", red), "6:-60.01");
    EXPECT_EQ(lineValue("paids", side().paymentLines, "pymid", red), "-60.01");
    EXPECT_EQ(orderValue("paids", "O1"), "0.0");
    EXPECT_EQ(paymentCommand("remove", red), "ok:");
    EXPECT_EQ(orderValue("paids", "O1"), "60.01");
    EXPECT_EQ(lineValue("stats", side().payments, "pymid", number), "3");
    EXPECT_TRUE(contains(paymentCommand("remove", number), "只能删除"));
    expectBooksBalance("payment reversed and back");
}

TEST_P(MoneyOverHttp, TwoVisitorsPayingTheLastAmountCannotBothSucceed)
{
    order(side(), "O1", "甲公司", PRODUCT, SPECS, "10", "10");
    numberOf(pay(side(), "甲公司", {{"O1", "100", "100", "70"}}));
    PageVisitor other = signedIn();
    std::string answers[2];
    std::thread first([&] { answers[0] = pay(side(), "甲公司", {{"O1", "100", "30", "30"}}, "", visitor.get()); });
    std::thread second([&] { answers[1] = pay(side(), "甲公司", {{"O1", "100", "30", "30"}}, "", &other); });
    first.join();
    second.join();
    EXPECT_EQ(contains(answers[0], "ok:") + contains(answers[1], "ok:"), 1) << answers[0] << " / " << answers[1];
    EXPECT_EQ(orderValue("paids", "O1"), "100.0");
    expectBooksBalance("two at once");
}

TEST_P(MoneyOverHttp, PayingAnInvoicePaysTheOrdersBehindIt)
{
    std::string moved = movedOrder("O1");
    std::string invoiced = numberOf(invoice(side(), "甲公司", {{PRODUCT, SPECS, "5", "20", moved, "1"}}));
    ASSERT_EQ(orderValue("amont", "O1"), "117.0");
    std::string form = visitor->get("/" + side().paymentPage + "Edit.htm?invid=" + invoiced).body;
    EXPECT_TRUE(contains(form, "O1"));
    EXPECT_TRUE(contains(form, "117.00"));
    numberOf(pay(side(), "甲公司", {{"O1", "117", "117", "117"}}));
    // Paid: the invoice is no longer offered.
    form = visitor->get("/" + side().paymentPage + "Edit.htm?invid=" + invoiced).body;
    EXPECT_FALSE(contains(form, "117.00"));
    EXPECT_TRUE(contains(visitor->get("/" + side().invoicePage + "View.htm?invid=" + invoiced).body, invoiced));
    EXPECT_TRUE(contains(visitor->get("/" + side().invoicePage + "List.htm").body, invoiced));
    EXPECT_TRUE(contains(visitor->get("/" + side().paymentPage + "List.htm").body, "O1"));
}

INSTANTIATE_TEST_SUITE_P(BothSides, MoneyOverHttp, ::testing::Values(PURCHASE, SALES));

// -------------------------------------------------- a purchase end to end

TEST_F(DocumentsOverHttp, APurchaseGoesFromOrderToPaymentAndBackStepByStep)
{
    order(PURCHASE, "P1", "新供应商", "新品", "X1", "10", "2", true, true);
    std::string receipt = numberOf(move(PURCHASE, "新供应商", {{"新品", "X1", "6", "2", "P1", "1"}}));
    expectBooksBalance("received");
    std::string invoice = numberOf(send("purchaseInvoiceEdit", {{"cmd", "save"},
                                                                {"splnm", "新供应商"},
                                                                {"excdt", "2026-12-08"},
                                                                {"list.001.prdnm", "新品"},
                                                                {"list.001.specs", "X1"},
                                                                {"list.001.qunty", "6"},
                                                                {"list.001.itmpr", "2"},
                                                                {"list.001.orgid", receipt},
                                                                {"list.001.orgln", "1"}}));
    expectBooksBalance("invoiced");
    std::string payment = numberOf(send("purchasePaymentEdit", {{"cmd", "save"},
                                                                {"splnm", "新供应商"},
                                                                {"excdt", "2026-12-09"},
                                                                {"list.001.ordid", "P1"},
                                                                {"list.001.amont", "20"},
                                                                {"list.001.lefts", "20"},
                                                                {"list.001.paids", "12"}}));
    expectBooksBalance("paid");
    EXPECT_TRUE(contains(command("purchaseOrder", "ordid", "red", "P1"), "收货"));

    numberOf(command("purchasePayment", "pymid", "red", payment));
    expectBooksBalance("payment reversed");
    numberOf(command("purchaseInvoice", "invid", "red", invoice));
    expectBooksBalance("invoice reversed");
    numberOf(command(PURCHASE, "red", receipt));
    expectBooksBalance("receipt reversed");
    EXPECT_EQ(text("SELECT ldngs || '/' || invcs FROM zpordrd WHERE ordid = 'P1'"), "0.0/0.0");
    EXPECT_EQ(text("SELECT paids FROM zpordrt WHERE ordid = 'P1'"), "0.0");
    EXPECT_EQ(stock("新品", "X1"), "0 @ 0");
}
