// Purchase and sales orders over HTTP against the real server: saves,
// refusals that leave every table as it was, the counters on the stored
// rows, reversal and removal, and two visitors saving at once. The same
// tests for both sides.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "CompanyServer.h"

namespace {

struct OrderSide {
    const char* name;
    std::string page;  // "purchaseOrder"
    std::string pname; // "splnm"
    std::string orders, lines, clauses, partners;
};

const OrderSide PURCHASE{"purchase", "purchaseOrder", "splnm", "zpordrt", "zpordrd", "zpextrd", "zpsplyt"};
const OrderSide SALES{"sales", "salesOrder", "cltnm", "zsordrt", "zsordrd", "zsextrd", "zsclntt"};

void PrintTo(const OrderSide& side, std::ostream* out)
{
    *out << side.name;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

using Fields = std::vector<std::pair<std::string, std::string>>;

class OrdersOverHttp : public CompanyOverHttp, public ::testing::WithParamInterface<OrderSide> {
protected:
    void SetUp() override
    {
        CompanyOverHttp::SetUp();
        visitor = std::make_unique<PageVisitor>(signedIn());
        db = database(u"demo");
    }

    const OrderSide& side() const { return GetParam(); }

    std::string send(const std::string& page, const Fields& fields, PageVisitor* who = nullptr)
    {
        std::string body;
        for (const auto& [name, value] : fields)
            body += (body.empty() ? "" : "&") + formBody({{name, value}});
        HttpClient::Response response = (who ? who : visitor.get())->post("/" + page + ".htm", body);
        EXPECT_EQ(response.status, 200) << page;
        return response.body;
    }

    // A new order with tax for `partner`: 3 @ 10 without tax and 2 @ 5
    // with tax, one clause.
    Fields newOrder(const std::string& ordid, const std::string& partner = "华联商贸")
    {
        return {{"cmd", "save"},
                {"ordid", ordid},
                {side().pname, partner},
                {"excdt", "2026-12-01"},
                {"taxrt", "含税"},
                {"crncy", "人民币"},
                {"list.001.prdnm", "螺丝"},
                {"list.001.specs", "M6"},
                {"list.001.unitg", "个"},
                {"list.001.qunty", "3"},
                {"list.001.itmpr", "10"},
                {"list.001.taxrt", "不含税"},
                {"list.001.plndt", "2026-12-20"},
                {"list.002.prdnm", "螺母"},
                {"list.002.specs", "M6"},
                {"list.002.qunty", "2"},
                {"list.002.itmpr", "5"},
                {"list.002.taxrt", "含税"},
                {"list.002.plndt", "2026-12-20"},
                {"list.002.shpdt", "2026-12-24"},
                {"extra.001.cntnt", "交货地点：我方仓库"}};
    }

    std::string save(const Fields& fields) { return send(side().page + "Edit", fields); }
    std::string command(const std::string& cmd, const std::string& ordid)
    {
        return send(side().page + "View", {{"cmd", cmd}, {"ordid", ordid}});
    }

    std::string text(const std::string& sql)
    {
        tessel::String out;
        return db->queryString(out, tessel::String::fromUTF8(sql)).toStdString();
    }
    bool run(const std::string& sql) { return db->execute(tessel::String::fromUTF8(sql)); }

    // Every row of the tables an order save touches, to compare before
    // and after a refused one.
    std::string snapshot()
    {
        return tableRows(db, {side().orders, side().lines, side().clauses, side().partners, "zcprdct"});
    }

    std::unique_ptr<PageVisitor> visitor;
    tessel::Ref<IDbSession> db;
};

} // namespace

TEST_P(OrdersOverHttp, ANewOrderForANewPartnerTakesTheTaxFactorAndRegistersItsProducts)
{
    ASSERT_EQ(save(newOrder("O'单-1", "新伙伴 & Co")), "ok:");
    std::string where = " WHERE ordid = 'O''单-1'";
    EXPECT_EQ(text("SELECT stats FROM " + side().orders + where), "3");
    EXPECT_EQ(text("SELECT count(*) FROM " + side().partners + " WHERE " + side().pname +
                   " = '新伙伴 & Co' AND stats = 1"),
              "1");
    // 3 x 10 without tax on an order with tax: 35.1 at 17 %; 2 x 5 with tax: 10.
    EXPECT_EQ(text("SELECT pramt FROM " + side().lines + where + " AND linnm = 1"), "35.1");
    EXPECT_EQ(text("SELECT pramt FROM " + side().lines + where + " AND linnm = 2"), "10.0");
    EXPECT_EQ(text("SELECT amont FROM " + side().orders + where), "45.1");
    EXPECT_EQ(text("SELECT count(*) FROM zcprdct WHERE prdnm IN ('螺丝', '螺母') AND specs = 'M6'"), "2");
    EXPECT_EQ(text("SELECT fnmth FROM " + side().orders + where).size(), 6u);
    EXPECT_EQ(text("SELECT cretr FROM " + side().orders + where), "SYSTEM");
    EXPECT_EQ(text("SELECT cntnt FROM " + side().clauses + where), "交货地点：我方仓库");

    // The edit page shows it for editing; copyadd makes a new one from it.
    std::string page = visitor->get("/" + side().page + "Edit.htm?ordid=O%27%E5%8D%95-1").body;
    EXPECT_TRUE(contains(page, "螺丝"));
    EXPECT_FALSE(contains(page, "O'单-1\""));
}

TEST_P(OrdersOverHttp, RefusedSavesLeaveEveryTableAsItWas)
{
    ASSERT_EQ(save(newOrder("P1")), "ok:");
    std::string before = snapshot();
    auto with = [this](Fields fields, std::initializer_list<std::pair<std::string, std::string>> changes) {
        for (const auto& [name, value] : changes) {
            bool replaced = false;
            for (auto& field : fields)
                if (field.first == name)
                    field.second = value, replaced = true;
            if (!replaced)
                fields.emplace_back(name, value);
        }
        return fields;
    };
    const struct {
        const char* what;
        Fields fields;
        const char* answer;
    } refusals[] = {
        {"a number that exists", newOrder("P1"), "已经存在"},
        {"an empty number", newOrder("  "), "订单号"},
        {"a number with a comma", newOrder("P2,P3"), "订单号"},
        {"a number with a semicolon", newOrder("P2;"), "订单号"},
        {"a number with a line break", newOrder("P2\nX"), "订单号"},
        {"a number of 33 characters", newOrder(std::string(33, 'A')), "订单号"},
        {"no partner", with(newOrder("P2"), {{side().pname, " "}}), "名称"},
        {"a date that is no date", with(newOrder("P2"), {{"excdt", "2026-13-45"}}), "日期"},
        {"a line with tax on an order without", with(newOrder("P2"), {{"taxrt", "不含税"}}), "含税"},
        {"a quantity of 0", with(newOrder("P2"), {{"list.001.qunty", "0"}}), "数量"},
        {"a quantity that is no number", with(newOrder("P2"), {{"list.001.qunty", "1e400"}}), "数量"},
        {"a price of 0", with(newOrder("P2"), {{"list.002.itmpr", "0"}}), "单价"},
        {"a line without a product", with(newOrder("P2"), {{"list.002.prdnm", ""}}), "产品名称"},
        {"a negative discount", with(newOrder("P2"), {{"disct", "-1"}}), "折扣"},
        {"a discount above the total", with(newOrder("P2"), {{"disct", "45.11"}}), "折扣"},
        {"an empty clause", with(newOrder("P2"), {{"extra.002.cntnt", " "}}), "条款"},
        {"no lines", {{"cmd", "save"}, {"ordid", "P2"}, {side().pname, "华联商贸"}, {"excdt", "2026-12-01"}}, "至少"},
        {"renaming the loaded order", with(newOrder("P9"), {{"_exist", "P1"}}), "订单号"},
    };
    for (const auto& refusal : refusals) {
        std::string answer = save(refusal.fields);
        EXPECT_TRUE(contains(answer, refusal.answer)) << refusal.what << ": " << answer;
        EXPECT_EQ(snapshot(), before) << refusal.what;
    }
}

TEST_P(OrdersOverHttp, EditsKeepWhatWasReceivedInvoicedAndPaid)
{
    ASSERT_EQ(save(newOrder("P1")), "ok:");
    std::string where = " WHERE ordid = 'P1'";
    ASSERT_TRUE(run("UPDATE " + side().lines + " SET ldngs = 2" + where + " AND linnm = 1"));
    ASSERT_TRUE(run("UPDATE " + side().lines + " SET invcs = 1" + where + " AND linnm = 2"));
    ASSERT_TRUE(run("UPDATE " + side().orders + " SET paids = 40" + where));
    Fields update = {{"cmd", "save"},         {"ordid", "P1"},  {"_exist", "P1"}, {side().pname, "华联商贸"},
                     {"excdt", "2026-12-01"}, {"taxrt", "含税"}};
    auto line = [](int linnm, const std::string& qunty, const std::string& type = "update") {
        std::string row = "list.00" + std::to_string(linnm) + ".";
        return Fields{{row + "_type", type},     {row + "linnm", std::to_string(linnm)},
                      {row + "prdnm", "螺丝"},   {row + "specs", "M6"},
                      {row + "qunty", qunty},    {row + "itmpr", "10"},
                      {row + "taxrt", "不含税"}, {row + "plndt", "2026-12-20"}};
    };
    auto join = [](Fields a, const Fields& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    std::string before = snapshot();
    // The form cannot send its own counters: the stored ones count.
    EXPECT_TRUE(contains(save(join(join(update, line(1, "1.9999")), {{"list.001.ldngs", "0"}})), "已收货") ||
                contains(save(join(update, line(1, "1.9999"))), "已发货"));
    EXPECT_TRUE(contains(save(join(update, line(2, "0.5"))), "已开票"));
    EXPECT_TRUE(contains(save(join(update, line(1, "0", "delete"))), "删除"));
    EXPECT_TRUE(contains(save(join(update, line(2, "0", "delete"))), "已开票"));
    // 2 @ 10 x 1.17 + 10 = 33.4 is below the 40 paid.
    EXPECT_TRUE(contains(save(join(update, line(1, "2"))), "款金额"));
    EXPECT_EQ(snapshot(), before);
    // Down to exactly what was received, the total still above what was paid.
    EXPECT_EQ(save(join(join(update, line(1, "3")), {{"list.003.prdnm", "垫片"},
                                                     {"list.003.specs", "M6"},
                                                     {"list.003.qunty", "1"},
                                                     {"list.003.itmpr", "5"},
                                                     {"list.003.taxrt", "含税"},
                                                     {"list.003.plndt", "2026-12-20"}})),
              "ok:");
    EXPECT_EQ(text("SELECT max(linnm) FROM " + side().lines + where), "3");
    EXPECT_EQ(text("SELECT amont FROM " + side().orders + where), "50.1");

    // An order in state 1 is not edited either.
    ASSERT_TRUE(run("UPDATE " + side().orders + " SET stats = 1" + where));
    EXPECT_TRUE(contains(save(join(update, line(1, "3"))), "只有有效"));
    ASSERT_TRUE(run("UPDATE " + side().orders + " SET stats = 3" + where));

    // Closed to history: no more edits, and closing again fails.
    EXPECT_EQ(command("history", "P1"), "ok:");
    EXPECT_TRUE(contains(save(join(update, line(1, "3"))), "只有有效"));
    EXPECT_TRUE(contains(command("history", "P1"), "历史"));
}

TEST_P(OrdersOverHttp, ReversalNegatesExactlyAndRemovingTheCopyReopensTheOrder)
{
    Fields order = newOrder("P1");
    for (auto& field : order)
        if (field.first == "list.001.qunty")
            field.second = "3.3333";
    ASSERT_EQ(save(order), "ok:");
    ASSERT_EQ(command("history", "P1"), "ok:");
    EXPECT_EQ(command("red", "P1"), "ok:");
    EXPECT_EQ(text("SELECT stats FROM " + side().orders + " WHERE ordid = 'P1'"), "5");
    EXPECT_EQ(text("SELECT stats || '|' || rmrks FROM " + side().orders + " WHERE ordid = 'P1R'"), "6|P1R");
    EXPECT_EQ(text("SELECT count(*) FROM " + side().lines + " a JOIN " + side().lines +
                   " b ON b.linnm = a.linnm WHERE a.ordid = 'P1' AND b.ordid = 'P1R' AND b.qunty = -a.qunty AND "
                   "b.pramt = -a.pramt"),
              "2");
    EXPECT_EQ(text("SELECT (SELECT amont FROM " + side().orders + " WHERE ordid = 'P1R') + (SELECT amont FROM " +
                   side().orders + " WHERE ordid = 'P1')"),
              "0.0");
    EXPECT_TRUE(contains(command("red", "P1"), "冲红"));
    // Only states 1 and 6 are removed; removing the copy reopens P1.
    EXPECT_TRUE(contains(command("remove", "P1"), "只能删除"));
    EXPECT_EQ(command("remove", "P1R"), "ok:");
    EXPECT_EQ(text("SELECT stats FROM " + side().orders + " WHERE ordid = 'P1'"), "3");
    EXPECT_EQ(text("SELECT count(*) FROM " + side().lines + " WHERE ordid = 'P1R'"), "0");

    // A copy number that is taken, or anything received, stops a reversal.
    ASSERT_TRUE(run("INSERT INTO " + side().orders + "(ordid, stats) VALUES('P1R', 1)"));
    EXPECT_TRUE(contains(command("red", "P1"), "已经存在"));
    ASSERT_TRUE(run("DELETE FROM " + side().orders + " WHERE ordid = 'P1R'"));
    ASSERT_TRUE(run("UPDATE " + side().lines + " SET ldngs = 1 WHERE ordid = 'P1' AND linnm = 1"));
    std::string before = snapshot();
    EXPECT_TRUE(contains(command("red", "P1"), "记录"));
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(contains(command("red", "NOSUCH"), "找不到"));
}

TEST_P(OrdersOverHttp, TwoVisitorsSavingTheSameNewNumberAtOnce)
{
    PageVisitor other = signedIn();
    std::string first, second;
    std::thread a([&] { first = send(side().page + "Edit", newOrder("P7", "甲")); });
    std::thread b([&] { second = send(side().page + "Edit", newOrder("P7", "乙"), &other); });
    a.join();
    b.join();
    EXPECT_TRUE((first == "ok:") != (second == "ok:")) << first << " / " << second;
    EXPECT_TRUE(contains(first + second, "已经存在"));
    EXPECT_EQ(text("SELECT count(*) FROM " + side().orders + " WHERE ordid = 'P7'"), "1");
    EXPECT_EQ(text("SELECT count(*) FROM " + side().lines + " WHERE ordid = 'P7'"), "2");
}

TEST_P(OrdersOverHttp, ANewOrderFormTakesTheCompanysClausesAndTheReorderItems)
{
    std::string form = visitor->get("/" + side().page + "Edit.htm").body;
    // The standard clauses of each side, as the new company has them.
    EXPECT_TRUE(contains(form, side().orders == "zpordrt" ? "运费由供方承担" : "运费由卖方承担")) << side().name;
    EXPECT_TRUE(contains(form, "人民币"));
    // The reorder notice links the purchase form with the products short.
    std::string prefilled =
        visitor->get("/" + side().page + "Edit.htm?items=%E8%9E%BA%E6%A0%93%2CM8%2C5%3B%E5%9E%AB%E5%9C%88%2CM8").body;
    EXPECT_EQ(contains(prefilled, "螺栓") && contains(prefilled, "垫圈"), side().orders == "zpordrt");
}

TEST_P(OrdersOverHttp, TheSpreadsheetIsWellFormedAndOnlyForItsVisitor)
{
    Fields order = newOrder("P/1 <&>", "华联 \"商贸\" <公司>");
    // A control character no XML file can hold is not stored.
    order.emplace_back("list.001.other", "坏\x01字符\x1b");
    ASSERT_EQ(save(order), "ok:");
    EXPECT_EQ(text("SELECT other FROM " + side().lines + " WHERE linnm = 1 AND other <> ''"), "坏字符");
    std::string answer = send(side().page + "Print", {{"cmd", "excel"}, {"ordid", "P/1 <&>,P2"}});
    ASSERT_EQ(answer.rfind("ok:download/", 0), 0u) << answer;
    std::string address = answer.substr(3);
    EXPECT_TRUE(contains(address, "/P_1____.xls")) << address;
    HttpClient::Response file = visitor->get("/" + address);
    ASSERT_EQ(file.status, 200);
    EXPECT_TRUE(contains(file.body, "螺丝"));
    EXPECT_TRUE(contains(file.body, "华联 &quot;商贸&quot; &lt;公司&gt;") || contains(file.body, "华联 &#34;商贸&#34;"))
        << file.body.substr(0, 400);
    std::filesystem::path copy = temp / "order.xls";
    std::ofstream(copy, std::ios::binary) << file.body;
    std::string check = "xmllint --noout '" + copy.string() + "' 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << "not well-formed XML";

    // Another visitor, signed in or not, cannot fetch it.
    PageVisitor other = signedIn();
    EXPECT_NE(other.get("/" + address).status, 200);
    EXPECT_NE(PageVisitor(port).get("/" + address).status, 200);
    // An order without a partner, or none at all, makes no file.
    ASSERT_TRUE(run("INSERT INTO " + side().orders + "(ordid, stats) VALUES('P3', 3)"));
    EXPECT_TRUE(contains(send(side().page + "Print", {{"cmd", "excel"}, {"ordid", "P3"}}), "没有生成"));
    EXPECT_TRUE(contains(send(side().page + "Print", {{"cmd", "excel"}, {"ordid", "NOSUCH"}}), "没有生成"));
}

INSTANTIATE_TEST_SUITE_P(BothSides, OrdersOverHttp, ::testing::Values(PURCHASE, SALES),
                         [](const ::testing::TestParamInfo<OrderSide>& info) { return std::string(info.param.name); });
