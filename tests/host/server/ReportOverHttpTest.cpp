// The monthly report, the order tracking pages and the lookups of the page
// scripts over HTTP against the real server, on documents of several
// months entered through their pages.
#include <gtest/gtest.h>

#include <string>

#include "DocumentsOverHttp.h"
#include "tessel/core/Date.h"

namespace {

class ReportOverHttp : public DocumentsOverHttp {
protected:
    // An order of one line with tax in the price, dated `excdt`, to be
    // delivered by `plndt`.
    void datedOrder(const BusinessSide& side, const std::string& ordid, const std::string& partner,
                    const std::string& excdt, const std::string& qunty, const std::string& itmpr,
                    const std::string& plndt = "2025-12-31")
    {
        Fields fields{{"cmd", "save"},           {"ordid", ordid},
                      {side.pname, partner},     {"excdt", excdt},
                      {"taxrt", "含税"},         {"list.001.prdnm", "报表品"},
                      {"list.001.specs", "R1"},  {"list.001.qunty", qunty},
                      {"list.001.itmpr", itmpr}, {"list.001.taxrt", "含税"},
                      {"list.001.plndt", plndt}};
        ASSERT_EQ(send(side.orderPage + "Edit", fields), "ok:") << ordid;
    }
    std::string datedMove(const BusinessSide& side, const std::string& partner, const std::string& ordid,
                          const std::string& excdt, const std::string& qunty, const std::string& itmpr)
    {
        Fields fields{{"cmd", "save"},           {side.pname, partner},
                      {"excdt", excdt},          {"list.001.prdnm", "报表品"},
                      {"list.001.specs", "R1"},  {"list.001.qunty", qunty},
                      {"list.001.itmpr", itmpr}, {"list.001.orgid", ordid},
                      {"list.001.orgln", "1"}};
        return numberOf(send(side.movePage + "Edit", fields));
    }
    void datedInvoice(const BusinessSide& side, const std::string& partner, const std::string& moved,
                      const std::string& excdt, const std::string& qunty, const std::string& itmpr)
    {
        Fields fields{{"cmd", "save"},           {side.pname, partner},
                      {"excdt", excdt},          {"list.001.prdnm", "报表品"},
                      {"list.001.specs", "R1"},  {"list.001.qunty", qunty},
                      {"list.001.itmpr", itmpr}, {"list.001.orgid", moved},
                      {"list.001.orgln", "1"}};
        numberOf(send(side.invoicePage + "Edit", fields));
    }
    void datedPayment(const BusinessSide& side, const std::string& partner, const std::string& ordid,
                      const std::string& excdt, const std::string& paids)
    {
        Fields fields{{"cmd", "save"},           {side.pname, partner},     {"excdt", excdt},
                      {"list.001.ordid", ordid}, {"list.001.amont", "100"}, {"list.001.lefts", "100"},
                      {"list.001.paids", paids}};
        numberOf(send(side.paymentPage + "Edit", fields));
    }

    // A purchase and a sale over May to July 2025.
    void enterHistory()
    {
        datedOrder(PURCHASE, "P1", "华供", "2025-05-20", "5", "20");
        std::string receipt = datedMove(PURCHASE, "华供", "P1", "2025-06-02", "5", "20");
        datedInvoice(PURCHASE, "华供", receipt, "2025-07-01", "5", "20");
        datedPayment(PURCHASE, "华供", "P1", "2025-07-05", "60");
        datedOrder(SALES, "S1", "华客", "2025-06-10", "10", "10");
        std::string issue = datedMove(SALES, "华客", "S1", "2025-06-15", "3", "10");
        datedInvoice(SALES, "华客", issue, "2025-06-20", "3", "10");
        datedPayment(SALES, "华客", "S1", "2025-06-25", "25");
        // Reversed documents and their copies count nowhere.
        datedOrder(SALES, "S9", "华客", "2025-06-11", "1", "1000");
        ASSERT_TRUE(contains(command("salesOrder", "ordid", "red", "S9"), "ok:"));
    }

    std::string report(const Fields& fields) { return send("report", fields); }

    // The text of the report's cell of column `col` and row `row`.
    static std::string cell(const std::string& html, const std::string& col, const std::string& row)
    {
        std::string marker = "data-col=\"" + col + "\" data-row=\"" + row + "\">";
        size_t at = html.find(marker);
        if (at == std::string::npos)
            return "<missing>";
        at += marker.size();
        return html.substr(at, html.find('<', at) - at);
    }
    // The heading of a month column.
    static std::string heading(const std::string& html, const std::string& col)
    {
        std::string marker = "data-col=\"" + col + "\">";
        size_t at = html.find(marker);
        if (at == std::string::npos)
            return "<missing>";
        at += marker.size();
        return html.substr(at, html.find('<', at) - at);
    }

    std::string info(const std::string& query) { return visitor->get("/info.htm?" + query).body; }
};

std::string monthText(int year, int month)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d", year, month);
    return text;
}

} // namespace

TEST_F(ReportOverHttp, MonthColumnsAroundAMonthOfThePastAreActualFigures)
{
    enterHistory();
    std::string html = report({{"month", "2025-06"}, {"begins", "2025-01-01"}, {"ends", "2025-12-31"}});
    const char* columns[] = {"prev3", "prev2", "prev1", "month", "next1", "next2", "next3"};
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(heading(html, columns[i]), monthText(2025, 3 + i)) << columns[i];

    // The sums of the documents entered, month by month.
    const struct {
        const char* col;
        const char* row;
        const char* amount;
    } cells[] = {
        {"month", "zsordr", "100.00"}, {"month", "zwexpr", "30.00"},  {"month", "zsinvc", "30.00"},
        {"month", "zspymn", "25.00"},  {"month", "zpordr", "0.00"},   {"month", "zwimpr", "100.00"},
        {"month", "zpinvc", "0.00"},   {"prev1", "zpordr", "100.00"}, {"next1", "zpinvc", "100.00"},
        {"next1", "zppymn", "60.00"},  {"total", "zsordr", "100.00"}, {"total", "zpordr", "100.00"},
        {"total", "zspymn", "25.00"},  {"total", "zppymn", "60.00"},  {"total", "zwimpr", "100.00"},
    };
    for (const auto& expected : cells)
        EXPECT_EQ(cell(html, expected.col, expected.row), expected.amount) << expected.col << " " << expected.row;

    // A partner of one side blanks the other side's rows.
    html = report({{"month", "2025-06"}, {"begins", "2025-01-01"}, {"ends", "2025-12-31"}, {"splnm", "华供"}});
    EXPECT_EQ(cell(html, "month", "zsordr"), "--");
    EXPECT_EQ(cell(html, "month", "zspymn"), "--");
    EXPECT_EQ(cell(html, "month", "zwimpr"), "100.00");
    html = report({{"month", "2025-06"}, {"begins", "2025-01-01"}, {"ends", "2025-12-31"}, {"cltnm", "华客"}});
    EXPECT_EQ(cell(html, "total", "zpordr"), "--");
    EXPECT_EQ(cell(html, "month", "zsordr"), "100.00");
    // An unknown partner matches nothing; a product filter reads lines and
    // cannot filter payments.
    html = report({{"month", "2025-06"}, {"cltnm", "无此客户"}});
    EXPECT_EQ(cell(html, "month", "zsordr"), "0.00");
    html = report({{"month", "2025-06"}, {"prdnm", "报表品"}, {"specs", "R1"}});
    EXPECT_EQ(cell(html, "month", "zsordr"), "100.00");
    EXPECT_EQ(cell(html, "month", "zspymn"), "--");
    // Dates that do not parse fall back to this year and month.
    html = report({{"month", "garbage"}, {"begins", "2025-02-30"}, {"ends", "x'; DROP TABLE zsordrt; --"}});
    EXPECT_TRUE(contains(html, "data-col=\"month\""));
    EXPECT_EQ(text("SELECT count(*) FROM zsordrt WHERE ordid = 'S1'"), "1");
}

TEST_F(ReportOverHttp, TheCurrentMonthComesTwiceActualThenForecast)
{
    int year = 0, month = 0, day = 0, weekday = 0;
    tessel::Date::getSystemDate().getDate(year, month, day, weekday);
    auto shifted = [&](int offset) {
        int number = year * 12 + month - 1 + offset;
        return monthText(number / 12, number % 12 + 1);
    };
    std::string current = shifted(0);
    // What the demo company's trade has this month, and 40 more.
    auto plus40 = [](const std::string& figure) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", std::stod(figure) + 40);
        return std::string(text);
    };
    std::string html = report({{"month", current}});
    std::string shipped = plus40(cell(html, "next1", "zwexpr")), ordered = plus40(cell(html, "month", "zsordr"));
    // Goods still to ship this month, by the planned date.
    datedOrder(SALES, "S2", "华客", current + "-01", "4", "10", current + "-15");

    html = report({{"month", current}});
    EXPECT_EQ(heading(html, "prev1"), shifted(-1));
    EXPECT_EQ(heading(html, "month"), current);
    EXPECT_EQ(heading(html, "next1"), current + "(预计)");
    EXPECT_EQ(heading(html, "next2"), shifted(1) + "(预计)");
    EXPECT_EQ(heading(html, "next3"), shifted(2) + "(预计)");
    EXPECT_EQ(cell(html, "next1", "zwexpr"), shipped);
    EXPECT_EQ(cell(html, "next1", "zsordr"), "--");
    EXPECT_EQ(cell(html, "month", "zsordr"), ordered);

    // "a": the forecast copy in the middle, the actual month before it.
    for (const std::string& page : {visitor->get("/report.htm").body, report({{"month", current + "a"}})}) {
        EXPECT_EQ(heading(page, "prev1"), current);
        EXPECT_EQ(heading(page, "month"), current + "(预计)");
        EXPECT_EQ(heading(page, "next1"), shifted(1) + "(预计)");
        EXPECT_EQ(cell(page, "month", "zwexpr"), shipped);
    }
}

TEST_F(ReportOverHttp, TrackingListsOpenOrCompletedLinesBySwitch)
{
    // P1 is received, invoiced and paid in full; P2 is still open.
    datedOrder(PURCHASE, "P1", "华供", "2025-05-20", "5", "20");
    std::string receipt = datedMove(PURCHASE, "华供", "P1", "2025-06-02", "5", "20");
    datedInvoice(PURCHASE, "华供", receipt, "2025-07-01", "5", "20");
    datedPayment(PURCHASE, "华供", "P1", "2025-07-05", "100");
    datedOrder(PURCHASE, "P2", "华供", "2025-05-21", "5", "20");
    const struct {
        Fields switches;
        bool p1, p2;
    } cases[] = {
        {{}, true, true},
        {{{"s1", "1"}}, false, true},
        {{{"s2", "1"}}, true, false},
        {{{"s1", "1"}, {"s2", "1"}}, true, true},
    };
    for (const auto& check : cases) {
        std::string html = send("purchase", check.switches);
        EXPECT_EQ(contains(html, "ordid=P1\""), check.p1) << check.switches.size();
        EXPECT_EQ(contains(html, "ordid=P2\""), check.p2) << check.switches.size();
        // The switches stay for the next visit.
        EXPECT_EQ(contains(visitor->get("/purchase.htm").body, "ordid=P1\""), check.p1);
    }
}

TEST_F(ReportOverHttp, LookupsAnswerScriptValuesThatHoldAnyText)
{
    const std::string hostile = "O'Brien</script>\"\\";
    datedOrder(SALES, "S1", hostile, "2025-06-10", "10", "10");
    datedOrder(PURCHASE, "P1", "华供", "2025-05-20", "5", "20");
    std::string receipt = datedMove(PURCHASE, "华供", "P1", "2025-06-02", "5", "20");
    std::string issue = datedMove(SALES, hostile, "S1", "2025-06-15", "3", "10");
    datedPayment(PURCHASE, "华供", "P1", "2025-07-05", "60");

    const std::string escaped = "'O\\'Brien\\u003c/script\\u003e\\\"\\\\'";
    EXPECT_TRUE(contains(info("cmd=client"), escaped)) << info("cmd=client");
    std::string record = info("cmd=client&cltnm=" + formBody({{"x", hostile}}).substr(2));
    EXPECT_EQ(record.rfind("ok:(({'cltnm':" + escaped, 0), 0u) << record;
    EXPECT_EQ(info("cmd=supply&splnm=nobody"), "ok:(({}))");
    EXPECT_TRUE(contains(info("cmd=product"), "'报表品'"));
    EXPECT_EQ(info("cmd=specs&prdnm=%E6%8A%A5%E8%A1%A8%E5%93%81"), "ok:([{specs:'R1',unitg:''}])");
    EXPECT_EQ(info("cmd=specs"), "ok:([])");
    EXPECT_EQ(info("cmd=zwimpr&splnm="), "ok:([])");

    // Open lines, orders to pay and goods to invoice, with their decimals.
    EXPECT_EQ(info("cmd=zwexpr&cltnm=" + formBody({{"x", hostile}}).substr(2)),
              "ok:([{prdnm:'报表品',specs:'R1',other:'',unitg:'',qunty:7.0000,itmpr:10.00000000,taxrt:1,ordid:'S1',"
              "linnm:1,stock:2.0000}])");
    EXPECT_EQ(info("cmd=zppymn&splnm=%E5%8D%8E%E4%BE%9B"),
              "ok:([{ordid:'P1',cntrc:'',amont:100.00,total:60.00,lefts:40.00}])");
    EXPECT_EQ(info("cmd=zpinvc&splnm=%E5%8D%8E%E4%BE%9B"),
              "ok:([{prdnm:'报表品',specs:'R1',other:'',unitg:'',qunty:5.0000,itmpr:20.00000000,impid:'" + receipt +
                  "',linnm:1,taxadd:0,pramt:100.00,ordid:'P1'}])");
    EXPECT_TRUE(contains(info("cmd=zsinvc&cltnm=" + formBody({{"x", hostile}}).substr(2)), "expid:'" + issue + "'"));

    // Totals of orders: each number escaped on its own.
    EXPECT_EQ(info("cmd=salesTotal&items=S1%3BS9%27%29+OR+1%3D1+--"), "ok:({'amont':30.00,'paids':0.00})");
    EXPECT_EQ(info("cmd=purchaseTotal&items=P1"), "ok:({'amont':100.00,'paids':60.00})");

    // Filters and sorts go to list pages only.
    EXPECT_EQ(info("cmd=filter&dataid=purchaseSupplyList&filter=splnm+IN+a"), "ok:()");
    EXPECT_FALSE(contains(info("cmd=filter&dataid=taxrate&filter=0"), "ok:"));
    EXPECT_FALSE(contains(info("cmd=sort&dataid=..%2Fx&sort=1"), "ok:"));
    EXPECT_TRUE(contains(info("cmd=fly"), "不支持"));
}
