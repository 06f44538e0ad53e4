// Suppliers and clients with their contacts over HTTP, against the real
// server and a real company database: the same tests for both sides.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CompanyServer.h"

namespace {

// What tells the supplier pages from the client pages.
struct SideNames {
    const char* name;
    std::string partnerPage; // "purchaseSupply"
    std::string contactPage; // "purchaseContact"
    std::string key, pname, ptype;
    const char16_t* partners;
    const char16_t* contacts;
    const char16_t* orders;
    const char16_t* keyColumn;
};

const SideNames PURCHASE{"purchase", "purchaseSupply", "purchaseContact", "splid",    "splnm",
                         "splty",    u"zpsplyt",       u"zpcntct",        u"zpordrt", u"splid"};
const SideNames SALES{"sales", "salesClient", "salesContact", "cltid",    "cltnm",
                      "cltty", u"zsclntt",    u"zscntct",     u"zsordrt", u"cltid"};

void PrintTo(const SideNames& side, std::ostream* out)
{
    *out << side.name;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class PartnersOverHttp : public CompanyOverHttp, public ::testing::WithParamInterface<SideNames> {
protected:
    void SetUp() override
    {
        CompanyOverHttp::SetUp();
        visitor = std::make_unique<PageVisitor>(signedIn());
        db = database(u"demo");
    }

    const SideNames& side() const { return GetParam(); }

    std::string post(const std::string& page, std::initializer_list<std::pair<std::string, std::string>> fields)
    {
        HttpClient::Response response = visitor->post("/" + page + ".htm", formBody(fields));
        EXPECT_EQ(response.status, 200) << page;
        return response.body;
    }
    std::string get(const std::string& target)
    {
        HttpClient::Response response = visitor->get("/" + target);
        EXPECT_EQ(response.status, 200) << target;
        return response.body;
    }

    // A new partner with two contacts from the edit page; its key.
    int addPartner(const std::string& name)
    {
        std::string answer = post(side().partnerPage + "Edit", {{"cmd", "save"},
                                                                {side().pname, name},
                                                                {side().ptype, "2"},
                                                                {"tlphn", "010-8888"},
                                                                {"adres", "北京市海淀区"},
                                                                {"list.001._type", "create"},
                                                                {"list.001.cntct", "张三"},
                                                                {"list.001.sexty", "男"},
                                                                {"list.001.mobil", "139"},
                                                                {"list.002.cntct", "李四"},
                                                                {"list.002.sexty", "女"}});
        EXPECT_EQ(answer.rfind("ok:", 0), 0u) << answer;
        return answer.size() > 3 ? std::stoi(answer.substr(3)) : 0;
    }

    int count(const char16_t* table, const std::string& where = "1=1")
    {
        return db->queryInt(tessel::String(u"SELECT count(*) FROM ") + table + u" WHERE " +
                                tessel::String::fromUTF8(where),
                            -1);
    }
    std::string text(const std::string& sql)
    {
        tessel::String out;
        return db->queryString(out, tessel::String::fromUTF8(sql)).toStdString();
    }
    std::string partnerWhere(int id) { return side().key + " = " + std::to_string(id); }
    // Every row of the partner and contact tables, to compare before and
    // after a refused save.
    std::string snapshot()
    {
        return tableRows(db, {tessel::String(side().partners).toStdString(),
                              tessel::String(side().contacts).toStdString()});
    }

    std::unique_ptr<PageVisitor> visitor;
    tessel::Ref<IDbSession> db;
};

} // namespace

TEST_P(PartnersOverHttp, APartnerIsAddedEditedCopiedAndViewedWithItsContacts)
{
    int id = addPartner("恒信 O'Brien & Co");
    ASSERT_GT(id, 0);
    EXPECT_EQ(count(side().contacts, partnerWhere(id)), 2);
    EXPECT_EQ(text("SELECT sexty FROM " + tessel::String(side().contacts).toStdString() + " WHERE cntct = '李四'"),
              "1");
    EXPECT_EQ(text("SELECT stats FROM " + tessel::String(side().partners).toStdString() + " WHERE " + partnerWhere(id)),
              "1");

    std::string form = get(side().partnerPage + "Edit.htm?" + side().key + "=" + std::to_string(id));
    EXPECT_TRUE(contains(form, "恒信 O&#39;Brien &amp; Co") || contains(form, "恒信 O'Brien &amp; Co")) << form;
    EXPECT_TRUE(contains(form, "张三"));
    EXPECT_FALSE(contains(form, "O'Brien & Co\""));

    // The update changes the partner, one contact, and deletes the other.
    std::string first = text("SELECT cntid FROM " + tessel::String(side().contacts).toStdString() +
                             " WHERE cntct = '张三'");
    std::string second = text("SELECT cntid FROM " + tessel::String(side().contacts).toStdString() +
                              " WHERE cntct = '李四'");
    EXPECT_EQ(post(side().partnerPage + "Edit", {{"cmd", "save"},
                                                 {side().key, std::to_string(id)},
                                                 {side().pname, "恒信贸易"},
                                                 {"adres", "北京市海淀区"},
                                                 {"stats", "1"},
                                                 {"list.001._type", "update"},
                                                 {"list.001.cntid", first},
                                                 {"list.001.cntct", "张三丰"},
                                                 {"list.002._type", "delete"},
                                                 {"list.002.cntid", second}}),
              "ok:");
    EXPECT_EQ(count(side().contacts, partnerWhere(id)), 1);
    EXPECT_EQ(text("SELECT cntct FROM " + tessel::String(side().contacts).toStdString() + " WHERE cntid = " + first),
              "张三丰");

    // "copyadd" pre-fills a new partner from this one, without its name.
    std::string copy = get(side().partnerPage + "Edit.htm?" + side().key + "=" + std::to_string(id) + "&copyadd=1");
    EXPECT_FALSE(contains(copy, "恒信贸易"));
    EXPECT_TRUE(contains(copy, "北京市海淀区"));

    std::string view = get(side().partnerPage + "View.htm?" + side().key + "=" + std::to_string(id));
    EXPECT_TRUE(contains(view, "恒信贸易"));
    EXPECT_TRUE(contains(view, "张三丰"));
    EXPECT_TRUE(contains(view, "data-state=\"enable\"")) << view;
    EXPECT_EQ(post(side().partnerPage + "Edit",
                   {{"cmd", "save"}, {side().key, std::to_string(id)}, {side().pname, "恒信贸易"}, {"stats", "0"}}),
              "ok:");
    view = get(side().partnerPage + "View.htm?" + side().key + "=" + std::to_string(id));
    EXPECT_TRUE(contains(view, "data-state=\"disable\"")) << view;
}

TEST_P(PartnersOverHttp, RefusedSavesChangeNothing)
{
    int id = addPartner("上海华联");
    int other = addPartner("广州建材");
    std::string before = snapshot();
    std::string otherContact = text("SELECT cntid FROM " + tessel::String(side().contacts).toStdString() + " WHERE " +
                                    partnerWhere(other) + " ORDER BY cntid LIMIT 1");

    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> fields;
        const char* answer;
    } refusals[] = {
        {"a second partner of the same name", {{side().pname, " 上海华联 "}}, "同名"},
        {"a partner without a name", {{side().pname, "  "}}, "名称"},
        {"a type that is not a number", {{side().pname, "新名称"}, {side().ptype, "abc"}}, "整数"},
        {"a contact without a name",
         {{side().pname, "新名称"}, {"list.001.cntct", ""}, {"list.001.tlphn", "1"}},
         "姓名"},
        {"renaming onto another partner", {{side().key, std::to_string(id)}, {side().pname, "广州建材"}}, "同名"},
        {"another partner's contact",
         {{side().key, std::to_string(id)},
          {side().pname, "上海华联"},
          {"list.001._type", "update"},
          {"list.001.cntid", otherContact},
          {"list.001.cntct", "冒名"}},
         "不属于"},
        {"deleting another partner's contact",
         {{side().key, std::to_string(id)},
          {side().pname, "上海华联"},
          {"list.001._type", "delete"},
          {"list.001.cntid", otherContact}},
         "不属于"},
    };
    for (const auto& refusal : refusals) {
        std::string body = formBody({{"cmd", "save"}});
        for (const auto& [name, value] : refusal.fields)
            body += "&" + formBody({{name, value}});
        HttpClient::Response response = visitor->post("/" + side().partnerPage + "Edit.htm", body);
        EXPECT_TRUE(contains(response.body, refusal.answer)) << refusal.what << ": " << response.body;
        EXPECT_EQ(snapshot(), before) << refusal.what;
    }
}

TEST_P(PartnersOverHttp, APartnerWithDocumentsIsNeverDeletedOneWithoutGoesWithItsContacts)
{
    int kept = addPartner("有订单的伙伴");
    int gone = addPartner("没有单据的伙伴");
    ASSERT_TRUE(db->execute(tessel::String(u"INSERT INTO ") + side().orders + u"(ordid, " + side().keyColumn +
                            u", stats) VALUES('X1', " + tessel::String::fromUTF8(std::to_string(kept)) + u", 3)"));
    std::string before = snapshot();
    std::string answer = post(side().partnerPage + "List", {{"cmd", "save"},
                                                            {"list.001._type", "delete"},
                                                            {"list.001." + side().key, std::to_string(gone)},
                                                            {"list.002._type", "delete"},
                                                            {"list.002." + side().key, std::to_string(kept)}});
    EXPECT_TRUE(contains(answer, "不能删除")) << answer;
    EXPECT_EQ(snapshot(), before);

    EXPECT_EQ(post(side().partnerPage + "List",
                   {{"cmd", "save"}, {"list.001._type", "delete"}, {"list.001." + side().key, std::to_string(gone)}}),
              "ok:");
    EXPECT_EQ(count(side().partners, partnerWhere(gone)), 0);
    EXPECT_EQ(count(side().contacts, partnerWhere(gone)), 0);
    EXPECT_EQ(count(side().partners, partnerWhere(kept)), 1);
}

TEST_P(PartnersOverHttp, TheListSavesInPlaceFiltersAndPages)
{
    std::string body = formBody({{"cmd", "save"}});
    for (int i = 1; i <= 105; i++) {
        char row[8];
        std::snprintf(row, sizeof row, "%03d", i);
        body += "&" + formBody({{"list." + std::string(row) + "._type", "create"},
                                {"list." + std::string(row) + "." + side().pname, "批量伙伴" + std::to_string(i)},
                                {"list." + std::string(row) + ".zonnm", i % 2 ? "华北" : "华南"}});
    }
    EXPECT_EQ(visitor->post("/" + side().partnerPage + "List.htm", body).body, "ok:");

    std::string first = get(side().partnerPage + "List.htm");
    std::string second = get(side().partnerPage + "List.htm?page=2");
    auto rows = [](const std::string& page) {
        size_t n = 0;
        for (size_t at = page.find("data-row="); at != std::string::npos; at = page.find("data-row=", at + 1))
            n++;
        return n;
    };
    int all = count(side().partners);
    EXPECT_EQ(rows(first), 100u);
    EXPECT_EQ(rows(second), static_cast<size_t>(all - 100));
    std::string filtered = get(side().partnerPage + "List.htm?filter=" + side().pname +
                               "+IN+%E6%89%B9%E9%87%8F%E4%BC%99%E4%BC%B410");
    EXPECT_EQ(rows(filtered), 7u) << "10, 100 to 105";
    std::string south = get(side().partnerPage + "List.htm?filter=zonnm+EQ+%E5%8D%8E%E5%8D%97");
    EXPECT_EQ(rows(south), static_cast<size_t>(count(side().partners, "zonnm = '华南'")));
    EXPECT_GE(rows(south), 52u);
    // A column the list does not offer ends the filter there.
    std::string hostile = get(side().partnerPage + "List.htm?filter=password+EQ+x");
    EXPECT_EQ(rows(hostile), 100u);
}

TEST_P(PartnersOverHttp, ContactsFindTheirPartnerByNameAndStayWithIt)
{
    int id = addPartner("北京恒信");
    // A trimmed name finds the partner; a new name makes an enabled one.
    std::string answer = post(side().contactPage + "Edit", {{"cmd", "save"},
                                                            {side().pname, " 北京恒信 "},
                                                            {"cntct", "王五"},
                                                            {"sexty", "男"},
                                                            {"malbx", "wang@example.com"}});
    ASSERT_EQ(answer.rfind("ok:", 0), 0u) << answer;
    std::string cntid = answer.substr(3);
    EXPECT_EQ(count(side().contacts, partnerWhere(id)), 3);
    answer = post(side().contactPage + "Edit", {{"cmd", "save"}, {side().pname, "新伙伴"}, {"cntct", "赵六"}});
    ASSERT_EQ(answer.rfind("ok:", 0), 0u) << answer;
    EXPECT_EQ(count(side().partners, side().pname + " = '新伙伴' AND stats = 1"), 1);

    std::string view = get(side().contactPage + "View.htm?cntid=" + cntid);
    EXPECT_TRUE(contains(view, "王五"));
    EXPECT_TRUE(contains(view, "北京恒信"));
    std::string edit = get(side().contactPage + "Edit.htm?cntid=" + cntid + "&copyadd=1");
    EXPECT_FALSE(contains(edit, "王五"));
    EXPECT_TRUE(contains(edit, "wang@example.com"));

    // The list saves in place: change one, delete another.
    EXPECT_EQ(post(side().contactPage + "List", {{"cmd", "save"},
                                                 {"list.001._type", "update"},
                                                 {"list.001.cntid", cntid},
                                                 {"list.001.cntct", "王五一"},
                                                 {"list.001." + side().pname, "北京恒信"}}),
              "ok:");
    EXPECT_EQ(text("SELECT cntct FROM " + tessel::String(side().contacts).toStdString() + " WHERE cntid = " + cntid),
              "王五一");
    EXPECT_TRUE(contains(post(side().contactPage + "List", {{"cmd", "save"}}), "没有要保存的行"));
    EXPECT_TRUE(contains(post(side().contactPage + "Edit", {{"cmd", "save"}, {side().pname, "北京恒信"}}), "姓名"));
    std::string list = get(side().contactPage + "List.htm?filter=c.cntct+IN+%E7%8E%8B");
    EXPECT_TRUE(contains(list, "王五一"));
    EXPECT_FALSE(contains(list, "赵六"));
}

TEST_P(PartnersOverHttp, UnknownCommandsAndPagesWithoutAPartner)
{
    EXPECT_TRUE(contains(post(side().partnerPage + "View", {{"cmd", "save"}}), "不支持的操作"));
    EXPECT_TRUE(contains(post(side().partnerPage + "Edit", {{"cmd", "drop"}}), "不支持的操作"));
    EXPECT_TRUE(contains(get(side().partnerPage + "View.htm?" + side().key + "=999999"), "<h1>"));
    std::string bill = get(side().partnerPage + "Bill.htm");
    EXPECT_TRUE(contains(bill, "示例贸易有限公司")) << bill;
}

INSTANTIATE_TEST_SUITE_P(BothSides, PartnersOverHttp, ::testing::Values(PURCHASE, SALES),
                         [](const ::testing::TestParamInfo<SideNames>& info) { return std::string(info.param.name); });
