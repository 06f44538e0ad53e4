// The application folder app/ as the server reads it: every page of the
// dispatcher configured and rendering, the sign-in guard, the messages of
// the error keys, and typed text escaped wherever a page shows it.
#include "CompanyTestSupport.h"

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "TemplatePaths.h"
#include "quillot/frame/AppDispatcher.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

const char* const HOSTILE = "<script>alert(1)</script>\"'&";

class AppFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        context = new tessel::HttpContext(new AppDispatcher());
        context->setCharset(65001);
        std::filesystem::path copy = CompanyTest::copyOfApp(folder / "app");
        Ref<tessel::VirtualFileSystem> app = new tessel::VirtualFileSystem(String::fromUTF8(copy.string()));
        context->initialize(app);
    }
    void TearDown() override { context.reset(); }

    // A page rendered as the server renders it: through its templet's
    // template when it has one; a template of no page (a part that pages
    // include) on its own. "<failed>" when the render failed.
    std::string show(const String& id, Value* data)
    {
        tessel::PageInfo* page = context->getPageInfo(id, true);
        String own = context->getTemplateDir() + id;
        String shown = own;
        if (page && !page->templet.empty()) {
            data->insert(u".", own);
            shown = context->getTemplateDir() + page->templet;
        }
        Ref<tessel::MemoryStream> stream = new tessel::MemoryStream();
        Ref<tessel::TextWriter> writer = new tessel::TextWriter(stream, 65001);
        if (!context->render(shown, data, *writer))
            return "<failed>";
        return std::string(stream->getBuffer() ? stream->getBuffer() : "", static_cast<size_t>(stream->getSize()));
    }

    static Ref<Value> signedIn()
    {
        Ref<Value> data = new Value();
        data->insert(u"SESSION.company", u"示例贸易有限公司");
        data->insert(u"SESSION.userid", u"SYSTEM");
        data->insert(u"SESSION.username", u"管理员");
        data->insert(u"SESSION.version", u"20261206");
        return data;
    }

    std::string message(const char16_t* key)
    {
        Value* text = context->getMessage(key);
        return text && text->getString() ? text->getString()->toStdString() : "";
    }

    tessel::testing::TempFolder folder;
    Ref<tessel::HttpContext> context;
};

} // namespace

namespace {

// Every page of config.xml, in its order.
std::vector<String> configuredPages()
{
    std::ifstream file(TEST_SOURCE_DIR "/app/config.xml");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<String> pages;
    std::regex page("<page id=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), page); it != std::sregex_iterator(); ++it)
        pages.push_back(String::fromUTF8((*it)[1].str()));
    return pages;
}

String nameOf(const String& id)
{
    String name(id);
    return name.toUcfirst();
}

// Pages that are their template alone.
const std::set<std::u16string> TEMPLATE_ONLY = {u"Options", u"Message"};
// Pages whose work comes with later versions: they say so on a placeholder.
const std::set<std::u16string> STILL_TO_COME = {};

std::u16string plain(const String& text)
{
    return std::u16string(text.c_str(), static_cast<size_t>(text.size()));
}

} // namespace

TEST_F(AppFolderTest, EveryConfiguredPageHasItsActionTemplateAndMessages)
{
    std::vector<String> pages = configuredPages();
    ASSERT_GT(pages.size(), 50u);
    for (const String& id : pages) {
        std::string label = id.toStdString();
        String name = nameOf(id);
        tessel::PageInfo* page = context->getPageInfo(id, true);
        ASSERT_NE(page, nullptr) << label;
        EXPECT_FALSE(page->title.empty()) << label;
        // Only the sign-in page is open; the rest send a visitor there.
        EXPECT_EQ(page->login, id == u"login" ? u"" : u"login") << label;
        // The server matches request paths without regard to letter case.
        EXPECT_EQ(context->findPage(name), page) << label;
        // Every page that shows something has its template; the two that
        // only send the browser on have none.
        bool redirects = name == u"Logout" || name == u"Index";
        EXPECT_EQ(std::filesystem::exists(folder / ("app/templates/" + label + ".htm")), !redirects) << label;

        const PageRegistry::Entry* entry = PageRegistry::find(name);
        if (entry) {
            EXPECT_EQ(entry->className, name + u"Action");
            Value* section = context->getMessage(entry->className);
            EXPECT_TRUE(section != nullptr) << label << " has no section in message.ini";
        } else {
            EXPECT_TRUE(TEMPLATE_ONLY.count(plain(name)) || STILL_TO_COME.count(plain(name)))
                << label << " has no action";
        }
        EXPECT_FALSE(entry && STILL_TO_COME.count(plain(name))) << label << " is done: take it off the list";
    }
    // And every registered action serves a configured page.
    for (int i = 0; i < PageRegistry::size(); i++) {
        String id = PageRegistry::at(i).page.substr(0, 1).toLower() + PageRegistry::at(i).page.substr(1);
        EXPECT_NE(std::find(pages.begin(), pages.end(), id), pages.end()) << id.toStdString();
    }
}

TEST_F(AppFolderTest, EveryPageRendersAndLaterOnesSaySo)
{
    for (const String& id : configuredPages()) {
        String name = nameOf(id);
        if (name == u"Logout" || name == u"Index") // they only redirect
            continue;
        Ref<Value> data = signedIn();
        std::string html = show(id, data);
        EXPECT_NE(html, "<failed>") << id.toStdString();
        if (!context->getPageInfo(id, true)->templet.empty()) {
            EXPECT_NE(html.find("退出登录"), std::string::npos) << id.toStdString();
            EXPECT_NE(html.find("<h1>"), std::string::npos) << id.toStdString();
        }
        // A page still to come says so (when it has a layout to say it
        // in); a done page shows no placeholder.
        bool placeholder = html.find("此功能将在后续版本中提供") != std::string::npos;
        bool toCome = STILL_TO_COME.count(plain(name)) == 1;
        if (placeholder || !toCome || !context->getPageInfo(id, true)->templet.empty()) {
            EXPECT_EQ(placeholder, toCome) << id.toStdString();
        }
    }
}

TEST_F(AppFolderTest, TheErrorKeysHaveTheirTexts)
{
    const char16_t* keys[] = {u"Common.unknown",
                              u"LoginAction.dbname",
                              u"LoginAction.invalid",
                              u"UpdateAction.failed",
                              u"SystemUpgradeAction.failed",
                              u"SystemCreateAction.dbname",
                              u"SystemCreateAction.dbexist",
                              u"SystemCreateAction.company",
                              u"SystemCreateAction.passwd",
                              u"SystemCreateAction.failed",
                              u"SystemCreateAction.logfail"};
    for (const char16_t* key : keys)
        EXPECT_FALSE(message(key).empty()) << String(key).toStdString();
    EXPECT_EQ(message(u"LoginAction.invalid"), "用户名或密码不正确");
}

TEST_F(AppFolderTest, TheNoticeSectionsShowTheirRowsEscaped)
{
    Ref<Value> data = signedIn();
    data->insert(u"SESSION.company", String::fromUTF8(HOSTILE));
    data->insert(u"SESSION.username", String::fromUTF8(HOSTILE));
    data->insert(u"SESSION.other1", String::fromUTF8(HOSTILE));
    data->insert(u"days", 7);
    data->insert(u"notice.s2", u"1");
    data->insert(u"notice.s5", u"1");
    data->insert(u"salesExport.001.ordid", u"SO201106001");
    data->insert(u"salesExport.001.prdnm", String::fromUTF8(HOSTILE));
    data->insert(u"salesExport.001.cltnm", u"华东电子");
    data->insert(u"salesExport.001.qunty", u"5.0");
    data->insert(u"salesExport.001.ldngs", u"2.0");
    data->insert(u"salesExport.001.shpdt", u"2011-07-03");
    data->insert(u"salesExport.001.stats", u"1");
    data->insert(u"purchaseOrder");
    data->insert(u"count.salesExport", 1);
    data->insert(u"count.purchaseOrder", 0);
    data->insert(u"backup", 1);

    std::string html = show(u"notice", data);
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_EQ(html.find("\"'&<"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(1)&lt;/script&gt;&quot;&#39;&amp;"), std::string::npos);
    EXPECT_NE(html.find("id=\"salesExport\""), std::string::npos);
    EXPECT_NE(html.find("华东电子"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"num\">3.00</td>"), std::string::npos); // still to ship
    EXPECT_NE(html.find("state-normal"), std::string::npos);
    EXPECT_NE(html.find("data-due=\"2011-07-03\""), std::string::npos);
    EXPECT_NE(html.find("7 天内到期"), std::string::npos);
    EXPECT_NE(html.find("请备份数据"), std::string::npos);
    // Sections switched off are not there; an empty one says so.
    EXPECT_EQ(html.find("id=\"salesReply\""), std::string::npos);
    EXPECT_NE(html.find("没有需要处理的事项"), std::string::npos);
    EXPECT_NE(html.find("name=\"s2\" value=\"1\" checked"), std::string::npos);
    EXPECT_NE(html.find("name=\"s1\" value=\"1\">"), std::string::npos);
    // The overview counts what each section holds.
    EXPECT_NE(html.find("class=\"tile has-items\" href=\"#salesExport\"><span class=\"tile-count\">1</span>"),
              std::string::npos);
    EXPECT_NE(html.find("class=\"tile\" href=\"#purchaseOrder\"><span class=\"tile-count\">0</span>"),
              std::string::npos);
}

TEST_F(AppFolderTest, TheSignInFormShowsItsSuggestionEscaped)
{
    Ref<Value> data = new Value();
    data->insert(u"dbname", u"\"><img src=x onerror=alert(1)>");
    data->insert(u"company", String::fromUTF8(HOSTILE));
    data->insert(u"messages.dbname", u"找不到这个数据库");
    data->insert(u"databases.001", u"demo");
    data->insert(u"databases.002", u"a\"b");
    data->insert(u"version", 20261206);
    std::string html = show(u"login", data);
    EXPECT_EQ(html.find("<img"), std::string::npos);
    EXPECT_EQ(html.find("<script>alert"), std::string::npos);
    EXPECT_NE(html.find("value=\"&quot;&gt;&lt;img src=x onerror=alert(1)&gt;\""), std::string::npos);
    EXPECT_NE(html.find("<option value=\"demo\">"), std::string::npos);
    EXPECT_NE(html.find("<option value=\"a&quot;b\">"), std::string::npos);
    EXPECT_NE(html.find("data-message-dbname=\"找不到这个数据库\""), std::string::npos);
    EXPECT_NE(html.find("<label for=\"passwd\">"), std::string::npos);
}

namespace {

// What every field of a page holds in the test below: quotes of both kinds,
// markup, an ampersand, a line break and Chinese.
const char* const FIELD = "华\"东'<script>alert(1)</script>&\r\n电子";
// Pieces of FIELD that only show when it is written without encoding.
const char* const RAW_PIECES[] = {"<script>alert(1)</script>", "华\"", "东'", "&\r\n"};

// `text` at `path` in `data`, the loop rows "#" of the path made "001" and
// "002".
void insertRows(Value* data, const std::string& path, const String& text)
{
    size_t row = path.find('#');
    if (row == std::string::npos) {
        data->insert(String::fromUTF8(path), text);
        return;
    }
    for (const char* key : {"001", "002"})
        insertRows(data, path.substr(0, row) + key + path.substr(row + 1), text);
}

// The text that takes a condition's branch, or none where FIELD already
// does (notempty, notequal) or the branch needs no data (empty).
std::string taking(const TemplatePaths::Condition& condition)
{
    const std::string& opcode = condition.opcode;
    int value = std::atoi(condition.value.c_str());
    if (opcode == "equal" || (opcode.empty() && !condition.value.empty()) || opcode == "notmore" || opcode == "notless")
        return condition.value;
    if (opcode == "more")
        return std::to_string(value + 1);
    if (opcode == "less")
        return std::to_string(value - 1);
    if (opcode == "number" || opcode == "odd" || opcode == "first")
        return "1";
    if (opcode == "even" || opcode == "later")
        return "2";
    return std::string();
}

// FIELD at every path the template reads (the inner nodes of longer paths
// become maps), and with `branches` the literals that its conditions ask
// for, so that the branches hidden behind them show too.
Ref<Value> hostileData(const TemplatePaths& paths, bool branches)
{
    const std::set<std::string>& all = paths.paths();
    auto isInner = [&](const std::string& path) {
        auto next = all.lower_bound(path + ".");
        return next != all.end() && next->compare(0, path.size() + 1, path + ".") == 0;
    };
    Ref<Value> data = new Value();
    for (const std::string& path : all)
        if (!isInner(path))
            insertRows(data, path, String::fromUTF8(FIELD));
    if (branches)
        for (const TemplatePaths::Condition& condition : paths.conditions())
            if (std::string text = taking(condition); !text.empty() && !isInner(condition.path))
                insertRows(data, condition.path, String::fromUTF8(text));
    return data;
}

// The inline scripts of a page, where a raw line break ends a string.
std::vector<std::string> inlineScripts(const std::string& html)
{
    std::vector<std::string> scripts;
    for (size_t at = html.find("<script"); at != std::string::npos; at = html.find("<script", at + 1)) {
        size_t body = html.find('>', at);
        size_t end = html.find("</script>", body);
        if (body == std::string::npos || end == std::string::npos)
            break;
        scripts.push_back(html.substr(body + 1, end - body - 1));
    }
    return scripts;
}

} // namespace

TEST_F(AppFolderTest, EveryTemplateShowsHostileFieldsEncoded)
{
    std::string app = folder / "app";
    auto read = [&](const std::string& name) { return tessel::testing::TempFolder::read(app + "/" + name + ".htm"); };
    int templates = 0;
    for (const auto& entry : std::filesystem::directory_iterator(app + "/templates")) {
        if (entry.path().extension() != ".htm")
            continue;
        templates++;
        std::string id = entry.path().stem().string();
        TemplatePaths paths(read);
        tessel::PageInfo* page = context->getPageInfo(String::fromUTF8(id), true);
        if (page && !page->templet.empty())
            paths.scan(read("templates/" + page->templet.toStdString()));
        paths.scan(read("templates/" + id));
        for (const std::string& attribute : paths.unquoted())
            ADD_FAILURE() << id << ": an attribute takes a field without quotes: " << attribute;

        bool shown = false;
        for (bool branches : {false, true}) {
            Ref<Value> data = hostileData(paths, branches);
            std::string html = show(String::fromUTF8(id), data);
            ASSERT_NE(html, "<failed>") << id;
            for (const char* piece : RAW_PIECES) {
                size_t raw = html.find(piece);
                EXPECT_EQ(raw, std::string::npos) << id << (branches ? ", branches taken" : "") << ": raw \"" << piece
                                                  << "\" in ..." << html.substr(raw < 80 ? 0 : raw - 80, 160);
            }
            for (const std::string& script : inlineScripts(html))
                EXPECT_EQ(script.find("\n电子"), std::string::npos) << id << ": a line break inside a script";
            shown = shown || html.find("电子") != std::string::npos;
        }
        // A template that reads fields of its own shows them.
        if (!paths.paths().empty()) {
            EXPECT_TRUE(shown) << id << " reads fields but shows none of them";
        }
    }
    EXPECT_GE(templates, 60);
}
