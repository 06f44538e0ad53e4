#include "TestSite.h"

#include <signal.h>

#include "tessel/core/XmlParser.h"

#include "dbdriver/dbdriver.h"

namespace {

const char CONFIG[] = R"(<?xml version="1.0" encoding="utf-8"?>
<config>
  <login id="guard" page="signin"/>
  <templet id="frame" login="guard">
    <page id="secret" title="Secret"/>
    <page id="whoami"/>
  </templet>
  <templet id="plain">
    <page id="settings"/>
    <page id="view"/>
  </templet>
  <page id="signin" templet=""/>
  <page id="signout" templet=""/>
  <page id="open" templet=""/>
  <page id="forward" templet=""/>
  <page id="upload" templet=""/>
  <page id="stream" templet=""/>
  <page id="redirect" templet=""/>
  <page id="headers" templet=""/>
  <page id="PurchaseOrderList" templet=""/>
  <page id="broken" templet=""/>
  <page id="noaction" templet=""/>
  <page id="misguarded" login="nosuch"/>
</config>
)";

} // namespace

void TestSite::SetUp()
{
    const std::pair<const char*, const char*> files[] = {
        {"app/config.xml", CONFIG},
        {"app/message.ini", "[TestAction]\nfailed = sign-in failed\n"},
        {"app/frame.htm", "[frame]<tpl:include block/>[/frame]"},
        {"app/plain.htm", "[plain]<tpl:include block/>[/plain]"},
        {"app/secret.htm", "secret of {SESSION.company}"},
        {"app/whoami.htm", "db={db};note={note}"},
        {"app/settings.htm", "dbname={dbname}"},
        {"app/view.htm", "the page itself"},
        {"app/other.htm", "the chosen view"},
        {"app/open.htm", "post=<tpl:if name=\"POST\" opcode=\"exist\">yes<tpl:else>no</tpl:if>;"
                         "company={SESSION.company};x={FORM.x};a={FORM.a};get={GET.a};posted={POST.a};"
                         "method={SERVER.REQUEST_METHOD};uri={SERVER.REQUEST_URI};length={SERVER.CONTENT_LENGTH}"},
        {"app/upload.htm", "count={count};name={name};size={size};path={path};text={text}"},
        {"app/headers.htm", "said={said}"},
        {"app/PurchaseOrderList.htm", "the order list"},
        {"app/misguarded.htm", "never shown"},
        {"app/static/site.css", "body{}"},
        {"app/static/js/app.js", "var a = 1;"},
        {"app/static/logo.png", "\x89PNG"},
        {"secret.txt", "outside the application"},
    };
    for (const auto& [name, content] : files)
        temp.write(name, content);
    startSite();
}

void TestSite::startSite(const std::vector<std::string>& extra)
{
    std::vector<std::string> arguments = {"--app", temp / "app", "--data", dataFolder(), "--plugin", HOST_TEST_PLUGIN};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    start(arguments);
}

void TestSite::restartSite(const std::vector<std::string>& extra)
{
    EXPECT_EQ(server->stop(SIGTERM), 0) << server->remainingOutput();
    startSite(extra);
}

void TestSite::createDatabase(const std::string& name, const std::string& note)
{
    std::string xml = "<database name=\"" + name +
                      "\"><table name=\"notes\"><column name=\"id\" type=\"key\"/>"
                      "<column name=\"note\" type=\"text\"/></table><dataset table=\"notes\"><row note=\"" +
                      note + "\"/></dataset></database>";
    tessel::String text = tessel::String::fromUTF8(xml);
    tessel::XmlParser parser;
    parser.setXml(text.c_str(), text.size());
    tessel::Ref<DbDatabase> schema = new DbDatabase();
    ASSERT_TRUE(schema->parseXML(parser));
    tessel::Ref<IDbSession> session = new SqliteSession(tessel::String::fromUTF8(dataFolder()));
    tessel::Ref<IDbAdmin> admin;
    ASSERT_TRUE(session->getAdmin(admin.out()));
    ASSERT_TRUE(admin->createTables(schema, true));
}

std::string TestSite::signIn(const std::string& database, const std::string& cookie)
{
    HttpClient::Response response = post("/signin", "db=" + database, cookie);
    EXPECT_EQ(response.body, "ok:") << database;
    std::string handed = PageVisitor::sessionCookie(response);
    return handed.empty() ? cookie : handed;
}
