// The administration pages over HTTP against the real server: the company
// data and its tax rate, the catalogue with opening stock, the order
// clauses, export and import (a round trip that gives every table back),
// creating and switching databases, backups (also while another visitor
// saves) and passwords, with the refusals that leave everything as it was
// and the file names that try to leave their folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "DocumentsOverHttp.h"

namespace {

const char* const TRAVERSALS[] = {"../x", "/etc/x", "a/b", "..\\x"};

std::string multipart(const std::string& fileName, const std::string& bytes)
{
    return "--b0undary\r\nContent-Disposition: form-data; name=\"cmd\"\r\n\r\nimport\r\n"
           "--b0undary\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" +
           fileName + "\"\r\nContent-Type: text/xml\r\n\r\n" + bytes + "\r\n--b0undary--\r\n";
}

// Every table of the schema file, in its order.
std::vector<std::string> schemaTables()
{
    std::ifstream file(TEST_SOURCE_DIR "/app/quillot.xml");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> tables;
    std::regex table("<table name=\"([a-z]+)\"");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), table); it != std::sregex_iterator(); ++it)
        tables.push_back((*it)[1].str());
    return tables;
}

// Every row of a table as text, sorted, so that two databases compare row
// for row whatever order their rows were stored in.
std::vector<std::string> rowsOf(IDbSession* db, const std::string& table)
{
    std::vector<std::string> rows;
    tessel::Ref<IDbCursor> cursor;
    EXPECT_TRUE(db->openCursor(tessel::String::fromUTF8("SELECT * FROM " + table), cursor.out())) << table;
    tessel::String value;
    while (cursor && cursor->next()) {
        std::string row;
        for (int i = 0; i < cursor->columnCount(); i++)
            row += (cursor->isNull(i) ? std::string("<null>") : cursor->getStringAt(value, i).toStdString()) + "|";
        rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Every row of every table, but the time of the last sign-in, which the
// visitor who loads a file writes as the loaded company signs it in again.
std::string everyRow(IDbSession* db)
{
    std::string all;
    for (const std::string& table : schemaTables())
        for (const std::string& row : rowsOf(db, table))
            if (table != "zsysconf" || row.rfind("1|4|", 0) != 0)
                all += table + ": " + row + "\n";
    return all;
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// An attribute value of the page as the browser reads it.
std::string htmlDecoded(std::string text)
{
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities)
        for (size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, std::strlen(entity), plain);
    return text;
}

class SystemOverHttp : public DocumentsOverHttp {
protected:
    std::string upload(const std::string& fileName, const std::string& bytes, const PageVisitor* who = nullptr)
    {
        HttpClient::Response answer = (who ? who : visitor.get())
                                          ->post("/systemImport.htm", multipart(fileName, bytes),
                                                 "multipart/form-data; boundary=b0undary");
        EXPECT_EQ(answer.status, 200);
        return answer.body;
    }
    static bool imported(const std::string& page) { return contains(page, "导入完成"); }

    // Exports the tables into `name`; the file's bytes ("" when refused).
    std::string exportTables(const std::vector<std::string>& tables, const std::string& name = "all")
    {
        std::string list;
        for (const std::string& table : tables)
            list += (list.empty() ? "" : ";") + table;
        std::string answer = send("systemExport", {{"cmd", "export"}, {"filename", name}, {"tables", list}});
        EXPECT_EQ(answer.rfind("ok:download/", 0), 0u) << answer;
        if (answer.rfind("ok:", 0) != 0)
            return "";
        HttpClient::Response file = visitor->get("/" + answer.substr(3));
        EXPECT_EQ(file.status, 200);
        return file.body;
    }

    std::string createDatabase(const std::string& name, const std::string& company, const std::string& password,
                               const PageVisitor* who = nullptr)
    {
        return send("systemCreate", {{"cmd", "create"}, {"dbname", name}, {"company", company}, {"passwd", password}},
                    who);
    }

    std::string setting(IDbSession* session, int classid, int nameid)
    {
        tessel::String value;
        return session
            ->queryString(value,
                          tessel::String::fromUTF8("SELECT svalue FROM zsysconf WHERE classid = " +
                                                   std::to_string(classid) + " AND nameid = " + std::to_string(nameid)))
            .toStdString();
    }

    // What the visitor's pages say the company is.
    std::string shownCompany(const PageVisitor& who)
    {
        std::string page = who.get("/notice.htm").body;
        std::smatch found;
        return std::regex_search(page, found, std::regex("class=\"topbar-company\"[^>]*>([^<]*)<")) ? found[1].str()
                                                                                                    : "";
    }

    std::filesystem::path dataFolder() const { return temp / "data"; }

    // Opens a database file of the data folder's subfolder and checks it.
    std::string integrityOf(const std::filesystem::path& file)
    {
        tessel::Ref<IDbSession> copy = new SqliteSession(tessel::String::fromUTF8(file.parent_path().string()));
        if (!copy->open(tessel::String::fromUTF8(file.stem().string())))
            return "cannot open";
        tessel::String result;
        return copy->queryString(result, u"PRAGMA integrity_check").toStdString();
    }
};

} // namespace

// ------------------------------------------------------ company data

TEST_F(SystemOverHttp, TheCompanyDataAndItsTaxRateReachTheNextOrder)
{
    EXPECT_TRUE(contains(visitor->get("/systemCompany.htm").body, "value=\"" + setting(db, 2, 1) + "\""));
    Fields company{{"cmd", "save"},      {"company", "华东 <贸易> & \"伙伴\""},
                   {"address", "上海"},  {"bankname", "工商银行"},
                   {"account", "6222"},  {"lisence", "L-1"},
                   {"taxcode", "T-1"},   {"phone", "021-1"},
                   {"faxcode", "021-2"}, {"taxrate", "13"}};
    ASSERT_EQ(send("systemCompany", company), "ok:");
    EXPECT_EQ(setting(db, 2, 1), "华东 <贸易> & \"伙伴\"");
    EXPECT_EQ(setting(db, 2, 9), "13");
    EXPECT_EQ(shownCompany(*visitor), "华东 &lt;贸易&gt; &amp; &quot;伙伴&quot;");
    // 3 @ 10 without tax on an order with tax: 3 x 10 x 1.13.
    order(SALES, "SO-T13", "甲公司", PRODUCT, SPECS, "3", "10", true);
    EXPECT_EQ(text("SELECT pramt FROM zsordrd WHERE ordid = 'SO-T13'"), "33.9");

    std::string before = tableRows(db, {"zsysconf"});
    const std::string tooLong(201, 'a');
    const struct {
        const char* field;
        const char* value;
        const char* answer;
    } refusals[] = {
        {"taxrate", "abc", "税率"},    {"taxrate", "101", "税率"},           {"taxrate", "-1", "税率"},
        {"taxrate", "", "税率"},       {"taxrate", "1e1", "税率"},           {"company", "", "公司名称"},
        {"company", "  ", "公司名称"}, {"address", tooLong.c_str(), "地址"},
    };
    for (const auto& refusal : refusals) {
        Fields fields = company;
        for (auto& [name, value] : fields)
            if (name == refusal.field)
                value = refusal.value;
        fields.back().second = refusal.field == std::string("taxrate") ? refusal.value : "6";
        EXPECT_TRUE(contains(send("systemCompany", fields), refusal.answer)) << refusal.field << "=" << refusal.value;
        EXPECT_EQ(tableRows(db, {"zsysconf"}), before) << refusal.field << "=" << refusal.value;
    }
    // The refused rates left the visitor's factor alone.
    order(SALES, "SO-T13B", "甲公司", PRODUCT, SPECS, "3", "10", true);
    EXPECT_EQ(text("SELECT pramt FROM zsordrd WHERE ordid = 'SO-T13B'"), "33.9");

    // The edges of the range.
    for (const auto& [rate, amount] : {std::pair{"0", "30.0"}, std::pair{"100", "60.0"}, std::pair{"6.5", "31.95"}}) {
        Fields fields = company;
        fields.back().second = rate;
        ASSERT_EQ(send("systemCompany", fields), "ok:") << rate;
        std::string number = std::string("SO-R") + rate;
        order(SALES, number, "甲公司", PRODUCT, SPECS, "3", "10", true);
        EXPECT_EQ(text("SELECT pramt FROM zsordrd WHERE ordid = '" + number + "'"), amount) << rate;
    }
}

// --------------------------------------------------------- catalogue

TEST_F(SystemOverHttp, TheCatalogueAddsProductsWithOpeningStockThroughTheJournal)
{
    Fields rows = rowsOf(
        {{{"prdnm", "新品 <a>"},
          {"specs", "X1"},
          {"unitg", "个"},
          {"qunty", "10"},
          {"itmpr", "0.123456789"},
          {"clsid", "3"}},
         {{"_type", "create"}, {"prdnm", "无库存品"}, {"specs", "Z"}, {"qunty", "0"}, {"itmpr", "0"}}});
    ASSERT_EQ(send("systemProductList", joined({{"cmd", "save"}}, rows)), "ok:");
    EXPECT_EQ(text(
                  "SELECT qunty || '|' || itmpr || '|' || clsid || '|' || unitg FROM zcprdct WHERE prdnm = '新品 <a>'"),
              "10.0|0.12345679|3|个");
    EXPECT_EQ(text("SELECT intal || '|' || imprt || '|' || exprt || '|' || qunty || '|' || cretr FROM zwacntt WHERE "
                   "prdnm = '新品 <a>'"),
              "0.0|10.0|0.0|10.0|SYSTEM");
    EXPECT_EQ(text("SELECT count(*) FROM zcprdct WHERE prdnm = '无库存品' AND qunty = 0"), "1");
    expectBooksBalance("catalogue");
    std::string page = visitor->get("/systemProductList.htm").body;
    EXPECT_TRUE(contains(page, "新品 &lt;a&gt;"));
    EXPECT_FALSE(contains(page, "新品 <a>"));

    // The page names a product by its key; a change goes to that product.
    std::smatch key;
    ASSERT_TRUE(std::regex_search(page, key, std::regex("data-row=\"([^\"]*)\"><td>新品 &lt;a&gt;<")));
    Fields change = rowsOf(
        {{{"_type", "update"}, {"product", htmlDecoded(key[1].str())}, {"unitg", "盒"}, {"itmpr", "2.5"}}});
    ASSERT_EQ(send("systemProductList", joined({{"cmd", "save"}}, change)), "ok:");
    EXPECT_EQ(text("SELECT qunty || '|' || itmpr || '|' || unitg FROM zcprdct WHERE prdnm = '新品 <a>'"),
              "10.0|2.5|盒");

    std::string before = snapshot();
    const struct {
        const char* what;
        std::vector<Fields> rows;
        const char* answer;
    } refusals[] = {
        {"a product that exists",
         {{{"prdnm", "新品 <a>"}, {"specs", "X1"}, {"qunty", "1"}, {"itmpr", "1"}}},
         "已经在目录"},
        {"twice in one save",
         {{{"prdnm", "双"}, {"specs", "1"}, {"qunty", "1"}, {"itmpr", "1"}},
          {{"prdnm", "双"}, {"specs", "1"}, {"qunty", "1"}, {"itmpr", "1"}}},
         "已经在目录"},
        {"negative opening stock", {{{"prdnm", "负"}, {"specs", "1"}, {"qunty", "-1"}, {"itmpr", "1"}}}, "期初数量"},
        {"stock without a price", {{{"prdnm", "零价"}, {"specs", "1"}, {"qunty", "1"}, {"itmpr", "0"}}}, "单价"},
        {"a price that is no number",
         {{{"prdnm", "坏价"}, {"specs", "1"}, {"qunty", "1"}, {"itmpr", "1e400"}}},
         "单价"},
        {"no name", {{{"prdnm", " "}, {"specs", "1"}}}, "产品名称"},
        {"no specification", {{{"prdnm", "无规格"}, {"specs", ""}}}, "规格"},
        {"an update of no product",
         {{{"_type", "update"}, {"prdnm", "无"}, {"specs", "无"}, {"itmpr", "1"}}},
         "找不到"},
        {"a good row before a bad one",
         {{{"prdnm", "好"}, {"specs", "1"}, {"qunty", "1"}, {"itmpr", "1"}},
          {{"_type", "delete"}, {"prdnm", PRODUCT}, {"specs", SPECS}}},
         "只能删除"},
        {"no rows", {}, "没有修改"},
    };
    for (const auto& refusal : refusals) {
        std::string answer = send("systemProductList", joined({{"cmd", "save"}}, rowsOf(refusal.rows)));
        EXPECT_TRUE(contains(answer, refusal.answer)) << refusal.what << ": " << answer;
        EXPECT_EQ(snapshot(), before) << refusal.what;
    }
}

TEST_F(SystemOverHttp, OnlyAProductWithoutStockIsDeleted)
{
    const struct {
        const char* stock;
        bool deleted;
    } cases[] = {{"0", true}, {"0.00005", true}, {"-0.00005", true}, {"0.0001", false}, {"120", false}};
    for (const auto& c : cases) {
        ASSERT_TRUE(run(std::string("INSERT OR REPLACE INTO zcprdct(prdnm, specs, clsid, unitg, qunty, itmpr) VALUES("
                                    "'删', 'S', 0, '个', ") +
                        c.stock + ", 1)"));
        Fields rows = rowsOf({{{"_type", "delete"}, {"prdnm", "删"}, {"specs", "S"}}});
        std::string answer = send("systemProductList", joined({{"cmd", "save"}}, rows));
        EXPECT_EQ(answer == "ok:", c.deleted) << c.stock << ": " << answer;
        EXPECT_EQ(text("SELECT count(*) FROM zcprdct WHERE prdnm = '删'"), c.deleted ? "0" : "1") << c.stock;
    }
}

// ----------------------------------------------------------- clauses

TEST_F(SystemOverHttp, ClausesOfBothSidesAreKeptInOrderAndReachNewOrders)
{
    for (const auto& [page, classid, orderPage] : {std::tuple{"systemSalesExtra", 6, "salesOrderEdit"},
                                                   std::tuple{"systemPurchaseExtra", 7, "purchaseOrderEdit"}}) {
        std::string where = " FROM zsysconf WHERE classid = " + std::to_string(classid);
        ASSERT_TRUE(run("DELETE" + where));
        Fields rows = rowsOf(
            {{{"svalue", "一、交货 <地点>"}}, {{"_type", "create"}, {"svalue", "二、付款"}}, {{"svalue", "三、验收"}}});
        ASSERT_EQ(send(page, joined({{"cmd", "save"}}, rows)), "ok:") << page;
        EXPECT_EQ(text("SELECT group_concat(nameid || ':' || svalue, ';')" + where),
                  "1:一、交货 <地点>;2:二、付款;3:三、验收");

        Fields edits = rowsOf({{{"_type", "update"}, {"nameid", "2"}, {"svalue", "二、货到付款"}},
                               {{"_type", "delete"}, {"nameid", "1"}},
                               {{"svalue", "四、其他"}}});
        ASSERT_EQ(send(page, joined({{"cmd", "save"}}, edits)), "ok:") << page;
        EXPECT_EQ(text("SELECT group_concat(nameid || ':' || svalue, ';')" + where),
                  "2:二、货到付款;3:三、验收;4:四、其他");
        EXPECT_TRUE(contains(visitor->get(std::string("/") + page + ".htm").body, "二、货到付款"));
        EXPECT_TRUE(contains(visitor->get(std::string("/") + orderPage + ".htm").body, "四、其他")) << orderPage;

        std::string before = text("SELECT group_concat(nameid || ':' || svalue, ';')" + where);
        const struct {
            const char* what;
            std::vector<Fields> rows;
            const char* answer;
        } refusals[] = {
            {"an empty clause", {{{"svalue", "五"}}, {{"svalue", "  "}}}, "不能为空"},
            {"an update of no clause", {{{"_type", "update"}, {"nameid", "9"}, {"svalue", "x"}}}, "找不到"},
            {"a delete of no clause", {{{"svalue", "五"}}, {{"_type", "delete"}, {"nameid", "9"}}}, "找不到"},
            {"a row without its number", {{{"_type", "delete"}, {"nameid", ""}}}, "找不到"},
            {"no rows", {}, "没有修改"},
        };
        for (const auto& refusal : refusals) {
            std::string answer = send(page, joined({{"cmd", "save"}}, rowsOf(refusal.rows)));
            EXPECT_TRUE(contains(answer, refusal.answer)) << page << " " << refusal.what << ": " << answer;
            EXPECT_EQ(text("SELECT group_concat(nameid || ':' || svalue, ';')" + where), before) << refusal.what;
        }
    }
}

// ---------------------------------------------------- export, import

TEST_F(SystemOverHttp, AnExportImportedIntoAFreshDatabaseGivesEveryTableBackRowForRow)
{
    // Texts that need quoting in XML, line ends, tabs, quotes and numbers
    // with all their decimals.
    ASSERT_TRUE(run("INSERT INTO zpsplyt(splnm, rmrks, adres) VALUES('甲 <&> \"乙\" ''丙''', 'a' || char(10) || 'b' || "
                    "char(9) || 'c' || char(13) || char(10), '  前后空格  ')"));
    ASSERT_TRUE(run("INSERT INTO zcprdct(prdnm, specs, clsid, unitg, qunty, itmpr) VALUES('π', '1/3', 0, '个', "
                    "0.1 + 0.2, 1.0 / 3)"));
    numberOf(move(PURCHASE, "新供应商", {{"新品", "X1", "10", "1.1"}}));
    order(SALES, "SO1", "新客户", PRODUCT, SPECS, "5", "20", true);

    std::string file = exportTables(schemaTables());
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(file.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<database name=\"demo\">\n", 0), 0u);
    std::string original = everyRow(db);

    ASSERT_EQ(createDatabase("fresh", "新公司", "pw12"), "ok:");
    EXPECT_EQ(shownCompany(*visitor), "新公司");
    std::string page = upload("demo-all.xml", file);
    ASSERT_TRUE(imported(page)) << page;
    tessel::Ref<IDbSession> fresh = database(u"fresh");
    EXPECT_EQ(everyRow(fresh), original);
    // The visitor goes on in the loaded data: its company, and its users'
    // passwords.
    EXPECT_EQ(shownCompany(*visitor), setting(db, 2, 1));
    PageVisitor again = signedIn("fresh", "demo");
    EXPECT_TRUE(passesTheGuard(again));
}

TEST_F(SystemOverHttp, ExportFileNamesAreBareNamesInTheVisitorsOwnFolder)
{
    std::string answer = send("systemExport", {{"cmd", "export"}, {"filename", "plain"}, {"tables", "zpsplyt"}});
    ASSERT_EQ(answer.rfind("ok:download/", 0), 0u) << answer;
    EXPECT_EQ(answer.substr(answer.size() - 10), "/plain.xml");
    answer = send("systemExport", {{"cmd", "export"}, {"filename", "data.txt"}, {"tables", "zpsplyt;zsclntt;zpsplyt"}});
    ASSERT_EQ(answer.substr(answer.size() - 9), "/data.txt");
    std::string file = visitor->get("/" + answer.substr(3)).body;
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n') > 0 && contains(file, "<dataset table=\"zsclntt\">"), true);
    EXPECT_EQ(file.find("<dataset table=\"zpsplyt\">"), file.rfind("<dataset table=\"zpsplyt\">"));
    // Another visitor cannot fetch it.
    PageVisitor other = signedIn();
    EXPECT_NE(other.get("/" + answer.substr(3)).status, 200);

    const struct {
        std::string filename, tables;
        const char* answer;
    } refusals[] = {
        {"plain", "zpsplyt", "同名"},
        {"plain.xml", "zpsplyt", "同名"},
        {"", "zpsplyt", "文件名"},
        {".hidden", "zpsplyt", "文件名"},
        {std::string(65, 'a'), "zpsplyt", "文件名"},
        {"ok", "", "至少"},
        {"ok", "sqlite_master", "至少"},
        {"ok", "zpsplyt;nosuch", "至少"},
    };
    for (const auto& refusal : refusals) {
        answer = send("systemExport", {{"cmd", "export"}, {"filename", refusal.filename}, {"tables", refusal.tables}});
        EXPECT_TRUE(contains(answer, refusal.answer)) << refusal.filename << " " << refusal.tables << ": " << answer;
    }
    for (const char* name : TRAVERSALS) {
        answer = send("systemExport", {{"cmd", "export"}, {"filename", name}, {"tables", "zpsplyt"}});
        EXPECT_TRUE(contains(answer, "文件名")) << name << ": " << answer;
    }
    EXPECT_FALSE(std::filesystem::exists(temp / "x"));
    EXPECT_FALSE(std::filesystem::exists(dataFolder() / "x.xml"));
    EXPECT_FALSE(std::filesystem::exists(dataFolder() / "download" / "x.xml"));
    EXPECT_EQ(filesIn(dataFolder()).size(), filesIn(dataFolder()).size()); // the listing itself works
    // The live database is never written to: only its own files are there.
    for (const auto& entry : filesIn(dataFolder()))
        EXPECT_EQ(entry.filename().string().rfind("demo.db", 0) == 0 || entry.filename() == "settings.ini", true)
            << entry;
}

TEST_F(SystemOverHttp, TheDatabaseNameIsEscapedInTheExportFile)
{
    ASSERT_EQ(createDatabase("a&b\"<c>", "怪名公司", "pw12"), "ok:");
    std::string file = exportTables({"zsysconf"});
    EXPECT_TRUE(contains(file, "<database name=\"a&amp;b&quot;&lt;c&gt;\">")) << file.substr(0, 120);
    ASSERT_EQ(createDatabase("plain", "普通公司", "pw12"), "ok:");
    EXPECT_TRUE(imported(upload("x.xml", file)));
    EXPECT_EQ(setting(database(u"plain"), 2, 1), "怪名公司");
}

TEST_F(SystemOverHttp, AnImportThatFailsLeavesTheDatabaseAsItWas)
{
    std::string good = exportTables({"zpsplyt", "zsclntt"});
    ASSERT_FALSE(good.empty());
    ASSERT_TRUE(run("INSERT INTO zpsplyt(splnm) VALUES('导出后加的供应商')"));
    std::string before = everyRow(db);
    auto withTail = [&](const std::string& tail) {
        std::string file = good;
        file.insert(file.rfind("</database>"), tail);
        return file;
    };
    const struct {
        const char* what;
        std::string file;
        const char* answer;
    } refusals[] = {
        {"a second table with a column it lacks",
         withTail("<dataset table=\"zcprdct\"><row prdnm=\"a\" specs=\"b\" nosuch=\"1\"/></dataset>\n"), "导入失败"},
        {"a row breaking the key",
         withTail(
             "<dataset table=\"zcprdct\"><row prdnm=\"a\" specs=\"b\"/><row prdnm=\"a\" specs=\"b\"/></dataset>\n"),
         "导入失败"},
        {"a table of no schema", withTail("<dataset table=\"zother\"><row a=\"1\"/></dataset>\n"), "不是本系统"},
        {"the same table twice", withTail("<dataset table=\"zpsplyt\"></dataset>\n"), "不是本系统"},
        {"no user of the visitor",
         withTail("<dataset table=\"zsysuser\"><row userid=\"other\" password=\"x\" fullname=\"x\" status=\"1\"/>"
                  "</dataset>\n"),
         "当前登录的用户"},
        {"data of a later version",
         withTail("<dataset table=\"zsysconf\"><row classid=\"1\" nameid=\"0\" svalue=\"29990101\"/></dataset>\n"),
         "更新版本"},
        {"a schema instead of data", "<database><table name=\"t\"><column name=\"a\" type=\"int\"/></table></database>",
         "不是本系统"},
        {"no datasets", "<database name=\"x\"></database>", "不是本系统"},
        {"not XML at all", "PK\x03\x04 zip", "不是本系统"},
        {"truncated", good.substr(0, good.size() / 2), ""},
        {"an empty file", "", "不能为空"},
    };
    for (const auto& refusal : refusals) {
        std::string page = upload("data.xml", refusal.file);
        EXPECT_FALSE(imported(page)) << refusal.what;
        EXPECT_TRUE(contains(page, "alert form-error")) << refusal.what;
        EXPECT_TRUE(contains(page, refusal.answer)) << refusal.what;
        EXPECT_EQ(everyRow(db), before) << refusal.what;
    }
    // The file is the upload's own: a name from the form is no file, and
    // a name with folders is only a name.
    std::string page = send("systemImport", {{"cmd", "import"}, {"filename", "/etc/passwd"}});
    EXPECT_TRUE(contains(page, "请选择要导入的文件"));
    for (const char* name : TRAVERSALS) {
        EXPECT_TRUE(imported(upload(name, good))) << name;
        EXPECT_EQ(text("SELECT count(*) FROM zpsplyt WHERE splnm = '导出后加的供应商'"), "0") << name;
    }
}

// One byte more than the largest file taken is refused before it is read
// (the server itself takes bodies a little larger).
TEST_F(SystemOverHttp, AnImportFileOverTheLimitIsRefusedUnread)
{
    std::string before = everyRow(db);
    std::string page = upload("large.xml", std::string(128 * 1024 * 1024 + 1, ' '));
    EXPECT_FALSE(imported(page));
    EXPECT_TRUE(contains(page, "不能超过 128 MB")) << page.substr(0, 200);
    EXPECT_EQ(everyRow(db), before);
}

TEST_F(SystemOverHttp, DataOfAnOlderVersionIsUpgradedAsItIsImported)
{
    // Version 20110228: a sales order paid to within 0.1 with nothing left
    // to ship is closed by the last upgrade step.
    std::string file = "<database name=\"old\">\n"
                       "<dataset table=\"zsysconf\">"
                       "<row classid=\"1\" nameid=\"0\" svalue=\"20110228\"/>"
                       "<row classid=\"2\" nameid=\"1\" svalue=\"旧公司\"/>"
                       "<row classid=\"2\" nameid=\"9\" svalue=\"17\"/></dataset>\n"
                       "<dataset table=\"zsordrt\"><row ordid=\"OLD1\" cltid=\"1\" amont=\"100\" paids=\"99.95\" "
                       "stats=\"3\" taxrt=\"0\"/></dataset>\n"
                       "<dataset table=\"zsordrd\"><row ordid=\"OLD1\" linnm=\"1\" prdnm=\"p\" specs=\"s\" qunty=\"2\" "
                       "ldngs=\"2\" itmpr=\"50\" pramt=\"100\"/></dataset>\n"
                       "</database>\n";
    std::string page = upload("old.xml", file);
    ASSERT_TRUE(imported(page)) << page;
    EXPECT_EQ(setting(db, 1, 0), "20110401");
    EXPECT_EQ(text("SELECT stats FROM zsordrt WHERE ordid = 'OLD1'"), "4");
    EXPECT_EQ(shownCompany(*visitor), "旧公司");
    // The home page goes on to the notices, not to the upgrade.
    HttpClient::Response home = visitor->get("/index.htm");
    EXPECT_TRUE(contains(home.headers["location"], "notice.htm")) << home.headers["location"];
}

// ---------------------------------------------------------- creating

TEST_F(SystemOverHttp, CreatingSignsInToTheNewDatabaseAndAFailedStepLeavesNoFile)
{
    ASSERT_EQ(createDatabase("branch", "分公司", "pw12"), "ok:");
    EXPECT_EQ(shownCompany(*visitor), "分公司");
    tessel::Ref<IDbSession> branch = database(u"branch");
    EXPECT_EQ(setting(branch, 2, 1), "分公司");
    EXPECT_EQ(text("SELECT count(*) FROM zsysuser WHERE password = 'pw12'"), "0");
    tessel::String stored;
    EXPECT_EQ(branch->queryString(stored, u"SELECT substr(password, 1, 10) FROM zsysuser WHERE userid = 'SYSTEM'")
                  .toStdString(),
              "$argon2id$");
    PageVisitor second = signedIn("branch", "pw12");
    EXPECT_TRUE(passesTheGuard(second));

    // A schema file whose first rows cannot be loaded: the last step fails.
    std::filesystem::path schema = temp / "app/quillot.xml";
    std::string text;
    {
        std::ifstream in(schema);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    text.insert(text.rfind("</database>"),
                "<dataset table=\"zsysconf\"><row classid=\"99\" nosuch=\"1\"/></dataset>\n");
    std::ofstream(schema, std::ios::trunc) << text;
    auto before = filesIn(dataFolder());
    EXPECT_TRUE(contains(createDatabase("broken", "坏公司", "pw12", &second), "创建数据库失败"));
    EXPECT_EQ(filesIn(dataFolder()), before);
    for (const auto& entry : filesIn(dataFolder()))
        EXPECT_EQ(entry.filename().string().find("broken"), std::string::npos) << entry;
    // The visitor keeps the database and the session it had.
    EXPECT_EQ(shownCompany(second), "分公司");

    const struct {
        const char* dbname;
        const char* company;
        const char* passwd;
        const char* answer;
    } refusals[] = {{"branch", "x", "pw12", "已经存在"},
                    {"demo", "x", "pw12", "已经存在"},
                    {"n1", "", "pw12", "公司名称"},
                    {"n2", "x", "", "管理员密码"}};
    for (const auto& refusal : refusals)
        EXPECT_TRUE(contains(createDatabase(refusal.dbname, refusal.company, refusal.passwd, &second), refusal.answer))
            << refusal.dbname;
    for (const char* name : TRAVERSALS)
        EXPECT_TRUE(contains(createDatabase(name, "x", "pw12", &second), "数据库名称无效")) << name;
    EXPECT_EQ(shownCompany(second), "分公司");
}

// --------------------------------------------------------- switching

TEST_F(SystemOverHttp, SwitchingSignsInToTheOtherDatabaseAndARefusalKeepsTheOpenOne)
{
    PageVisitor creator = signedIn();
    ASSERT_EQ(createDatabase("other", "另一家公司", "pw-other", &creator), "ok:");
    tessel::Ref<IDbSession> other = database(u"other");
    ASSERT_TRUE(other->execute(u"UPDATE zsysconf SET svalue = '6' WHERE classid = 2 AND nameid = 9"));

    const struct {
        std::string database, password;
        const char* answer;
    } refusals[] = {
        {"demo", "demo", "现在用的就是"}, {"other", "wrong", "密码不正确"},
        {"nosuch", "x", "找不到"},        {"", "x", "请填写"},
        {"other", "", "请填写"},
    };
    for (const auto& refusal : refusals) {
        std::string answer = send("systemSwitch",
                                  {{"cmd", "switch"}, {"database", refusal.database}, {"password", refusal.password}});
        EXPECT_TRUE(contains(answer, refusal.answer)) << refusal.database << ": " << answer;
        EXPECT_EQ(shownCompany(*visitor), setting(db, 2, 1)) << refusal.database;
    }
    for (const char* name : TRAVERSALS) {
        std::string answer = send("systemSwitch", {{"cmd", "switch"}, {"database", name}, {"password", "x"}});
        EXPECT_TRUE(contains(answer, "找不到")) << name << ": " << answer;
    }
    // Still on the demo company: its orders take its own rate.
    order(SALES, "SO-D", "甲公司", PRODUCT, SPECS, "3", "10", true);
    EXPECT_EQ(text("SELECT pramt FROM zsordrd WHERE ordid = 'SO-D'"), "35.1");

    ASSERT_EQ(send("systemSwitch", {{"cmd", "switch"}, {"database", "other"}, {"password", "pw-other"}}), "ok:");
    EXPECT_EQ(shownCompany(*visitor), "另一家公司");
    order(SALES, "SO-O", "甲公司", PRODUCT, SPECS, "3", "10", true);
    tessel::String amount;
    EXPECT_EQ(other->queryString(amount, u"SELECT pramt FROM zsordrd WHERE ordid = 'SO-O'").toStdString(), "31.8");
    EXPECT_EQ(text("SELECT count(*) FROM zsordrd WHERE ordid = 'SO-O'"), "0");
    // The form offers the databases of the data folder.
    std::string form = visitor->get("/systemSwitch.htm").body;
    EXPECT_TRUE(contains(form, "<option value=\"demo\">"));
    EXPECT_TRUE(contains(form, "<option value=\"other\">"));
}

// ------------------------------------------------------------ backups

TEST_F(SystemOverHttp, ABackupIsAConsistentCopyInTheBackupFolderAndSaysWhere)
{
    Fields settings{{"cmd", "save"}, {"folder", "daily"}, {"whenstart", "1"}, {"autobak", "1"}, {"period", "7"}};
    ASSERT_EQ(send("systemBackup", settings), "ok:");
    EXPECT_EQ(setting(db, 3, 1) + "|" + setting(db, 3, 2) + "|" + setting(db, 3, 3), "1|daily|7");
    std::string form = visitor->get("/systemBackup.htm").body;
    EXPECT_TRUE(contains(form, "value=\"daily\""));

    std::string answer = send("systemBackup", {{"cmd", "backup"}, {"ajax", "1"}});
    ASSERT_EQ(answer.rfind("数据已经备份到: backup/daily/demo.", 0), 0u) << answer;
    std::filesystem::path copy = dataFolder() / answer.substr(answer.find("backup/"));
    EXPECT_TRUE(std::regex_match(copy.filename().string(), std::regex(R"(demo\.\d{8}\.\d{4}\.db)"))) << copy;
    EXPECT_EQ(integrityOf(copy), "ok");
    EXPECT_NE(setting(db, 3, 4), "");
    // Without the script the answer is a page in the layout.
    std::string page = send("systemBackup", {{"cmd", "backup"}});
    EXPECT_TRUE(contains(page, "数据已经备份到: backup/daily/demo."));
    EXPECT_TRUE(contains(page, "退出登录"));

    const struct {
        Fields fields;
        const char* answer;
    } refusals[] = {
        {{{"cmd", "save"}, {"folder", ".hidden"}}, "备份文件夹"},
        {{{"cmd", "save"}, {"folder", "d"}, {"autobak", "1"}, {"period", "x"}}, "间隔"},
        {{{"cmd", "save"}, {"folder", "d"}, {"autobak", "1"}, {"period", "0"}}, "间隔"},
        {{{"cmd", "save"}, {"folder", "d"}, {"autobak", "1"}, {"period", "3651"}}, "间隔"},
    };
    std::string before = tableRows(db, {"zsysconf"});
    for (const auto& refusal : refusals) {
        EXPECT_TRUE(contains(send("systemBackup", refusal.fields), refusal.answer)) << refusal.answer;
        EXPECT_EQ(tableRows(db, {"zsysconf"}), before);
    }
    for (const char* name : TRAVERSALS) {
        before = tableRows(db, {"zsysconf"});
        EXPECT_TRUE(contains(send("systemBackup", {{"cmd", "save"}, {"folder", name}}), "备份文件夹")) << name;
        EXPECT_EQ(tableRows(db, {"zsysconf"}), before) << name;
        // Stored by other means, such a folder is refused when copying.
        ASSERT_TRUE(run(std::string("UPDATE zsysconf SET svalue = '") + name + "' WHERE classid = 3 AND nameid = 2"));
        EXPECT_EQ(send("systemBackup", {{"cmd", "backup"}, {"ajax", "1"}}), std::string("备份数据失败: backup/") + name)
            << name;
    }
    EXPECT_FALSE(std::filesystem::exists(temp / "x"));
    EXPECT_FALSE(std::filesystem::exists(dataFolder() / "x"));

    // A folder that cannot be made: a file of that name is in the way.
    std::ofstream(dataFolder() / "backup" / "blocked") << "a file";
    ASSERT_TRUE(run("UPDATE zsysconf SET svalue = 'blocked' WHERE classid = 3 AND nameid = 2"));
    EXPECT_EQ(send("systemBackup", {{"cmd", "backup"}, {"ajax", "1"}}), "备份数据失败: backup/blocked");
}

TEST_F(SystemOverHttp, ABackupWhileAnotherVisitorSavesOpensWhole)
{
    PageVisitor other = signedIn();
    std::atomic<bool> saving{true};
    std::atomic<int> saved{0};
    std::thread writer([&] {
        for (int i = 0; i < 60 && saving; i++) {
            std::string answer = move(PURCHASE, "供应商" + std::to_string(i % 3),
                                      {{"并发品" + std::to_string(i % 5), "S", "2", "1.5"},
                                       {PRODUCT, SPECS, "1", "15.5"}},
                                      "", &other);
            saved += answer.rfind("ok:", 0) == 0;
        }
    });
    std::vector<std::string> checked;
    for (int round = 0; round < 6; round++) {
        std::string answer = send("systemBackup", {{"cmd", "backup"}, {"ajax", "1"}});
        ASSERT_EQ(answer.rfind("数据已经备份到: ", 0), 0u) << answer;
        std::filesystem::path copy = dataFolder() / answer.substr(answer.find("backup/"));
        // A copy of its own to check, as the next backup may replace it.
        std::filesystem::path kept = std::filesystem::path(temp / ("copy" + std::to_string(round))) / "kept.db";
        std::filesystem::create_directories(kept.parent_path());
        std::filesystem::copy_file(copy, kept);
        EXPECT_EQ(integrityOf(kept), "ok") << round;
        tessel::Ref<IDbSession> session = new SqliteSession(tessel::String::fromUTF8(kept.parent_path().string()));
        ASSERT_TRUE(session->open(u"kept"));
        // Every product's stock is its journal's sum: no half-saved receipt.
        tessel::String off;
        session->queryString(off, u"SELECT count(*) FROM zcprdct p WHERE round(p.qunty, 4) <> round((SELECT "
                                  u"coalesce(sum(imprt - exprt), 0) FROM zwacntt j WHERE j.prdnm = p.prdnm AND "
                                  u"j.specs = p.specs), 4)");
        EXPECT_EQ(off.toStdString(), "0") << round;
        tessel::String receipts;
        checked.push_back(session->queryString(receipts, u"SELECT count(*) FROM zwimprt").toStdString());
    }
    saving = false;
    writer.join();
    EXPECT_GT(saved.load(), 0);
    expectBooksBalance("after saving beside backups");
}

TEST_F(SystemOverHttp, TheAutomaticBackupRunsAtSignInOnceItsDaysHavePassed)
{
    ASSERT_EQ(send("systemBackup", {{"cmd", "save"}, {"folder", "auto"}, {"autobak", "1"}, {"period", "2"}}), "ok:");
    std::filesystem::path folder = dataFolder() / "backup" / "auto";
    EXPECT_TRUE(filesIn(folder).empty());
    PageVisitor first = signedIn();
    ASSERT_EQ(filesIn(folder).size(), 1u);
    EXPECT_EQ(integrityOf(filesIn(folder)[0]), "ok");
    std::string last = setting(db, 3, 4);
    EXPECT_NE(last, "");
    // Not due again within the days; due once they have passed.
    std::filesystem::remove(filesIn(folder)[0]);
    PageVisitor second = signedIn();
    EXPECT_TRUE(filesIn(folder).empty());
    ASSERT_TRUE(run("UPDATE zsysconf SET svalue = '" + std::to_string(std::stoll(last) - 2 * 86400) +
                    "' WHERE classid = 3 AND nameid = 4"));
    PageVisitor third = signedIn();
    EXPECT_EQ(filesIn(folder).size(), 1u);
    // Switched off: no copy.
    ASSERT_EQ(send("systemBackup", {{"cmd", "save"}, {"folder", "auto"}}), "ok:");
    EXPECT_EQ(setting(db, 3, 3), "0");
    std::filesystem::remove(filesIn(folder)[0]);
    ASSERT_TRUE(run("UPDATE zsysconf SET svalue = '1' WHERE classid = 3 AND nameid = 4"));
    PageVisitor fourth = signedIn();
    EXPECT_TRUE(filesIn(folder).empty());
}

// ---------------------------------------------------------- passwords

TEST_F(SystemOverHttp, APasswordChangesOnlyWithTheOldOneAndIsStoredAsAHash)
{
    const struct {
        const char* userid;
        const char* oldpass;
        const char* newpass;
        const char* answer;
    } refusals[] = {
        {"", "wrong", "new-pass", "原密码不正确"},
        {"", "demo", "", "请填写"},
        {"", "", "new-pass", "请填写"},
        {"", "demo", "abc", "至少要 4 个"},
        {"nosuch", "demo", "new-pass", "原密码不正确"},
    };
    std::string before = tableRows(db, {"zsysuser"});
    for (const auto& refusal : refusals) {
        std::string answer = send("systemPassword", {{"cmd", "passwd"},
                                                     {"userid", refusal.userid},
                                                     {"oldpass", refusal.oldpass},
                                                     {"newpass", refusal.newpass}});
        EXPECT_TRUE(contains(answer, refusal.answer)) << refusal.oldpass << "/" << refusal.newpass << ": " << answer;
        EXPECT_EQ(tableRows(db, {"zsysuser"}), before);
    }
    ASSERT_EQ(send("systemPassword", {{"cmd", "passwd"}, {"userid", ""}, {"oldpass", "demo"}, {"newpass", "新密码1"}}),
              "ok:");
    EXPECT_EQ(text("SELECT substr(password, 1, 10) FROM zsysuser WHERE userid = 'SYSTEM'"), "$argon2id$");
    PageVisitor fresh(port);
    EXPECT_NE(signIn(fresh, formBody({{"dbname", "demo"}, {"userid", "SYSTEM"}, {"passwd", "demo"}})), "ok:");
    PageVisitor renewed = signedIn("demo", "%E6%96%B0%E5%AF%86%E7%A0%811");
    EXPECT_TRUE(passesTheGuard(renewed));

    // A user of an older database whose password is still plain text.
    ASSERT_TRUE(run("INSERT INTO zsysuser(userid, password, fullname, status) VALUES('clerk', 'old1', '职员', 1)"));
    EXPECT_EQ(send("systemPassword",
                   {{"cmd", "passwd"}, {"userid", "clerk"}, {"oldpass", "old1"}, {"newpass", "new2"}}),
              "ok:");
    EXPECT_EQ(text("SELECT substr(password, 1, 10) FROM zsysuser WHERE userid = 'clerk'"), "$argon2id$");
    EXPECT_TRUE(contains(send("systemPassword",
                              {{"cmd", "passwd"}, {"userid", "clerk"}, {"oldpass", "old1"}, {"newpass", "new3"}}),
                         "原密码不正确"));
}

TEST_F(SystemOverHttp, UnknownCommandsAreRefused)
{
    for (const char* page :
         {"systemCompany", "systemProductList", "systemSalesExtra", "systemPurchaseExtra", "systemExport",
          "systemImport", "systemSwitch", "systemBackup", "systemPassword", "systemCreate"}) {
        EXPECT_TRUE(contains(send(page, {{"cmd", "fly"}}), "不支持")) << page;
        EXPECT_EQ(visitor->get(std::string("/") + page + ".htm").status, 200) << page;
    }
}
