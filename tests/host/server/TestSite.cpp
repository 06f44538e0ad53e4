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
    writeApplication();
    start();
}

void TestSite::TearDown()
{
    if (server) {
        EXPECT_EQ(server->stop(SIGTERM), 0) << server->remainingOutput();
    }
}

void TestSite::writeApplication()
{
    temp.write("app/config.xml", CONFIG);
    temp.write("app/message.ini", "[TestAction]\nfailed = sign-in failed\n");
    temp.write("app/frame.htm", "[frame]<tpl:include block/>[/frame]");
    temp.write("app/plain.htm", "[plain]<tpl:include block/>[/plain]");
    temp.write("app/secret.htm", "secret of {SESSION.company}");
    temp.write("app/whoami.htm", "db={db};note={note}");
    temp.write("app/settings.htm", "dbname={dbname}");
    temp.write("app/view.htm", "the page itself");
    temp.write("app/other.htm", "the chosen view");
    temp.write("app/open.htm",
               "post=<tpl:if name=\"POST\" opcode=\"exist\">yes<tpl:else>no</tpl:if>;"
               "company={SESSION.company};x={FORM.x};a={FORM.a};get={GET.a};posted={POST.a};"
               "method={SERVER.REQUEST_METHOD};uri={SERVER.REQUEST_URI};length={SERVER.CONTENT_LENGTH}");
    temp.write("app/upload.htm", "count={count};name={name};size={size};path={path};text={text}");
    temp.write("app/headers.htm", "said={said}");
    temp.write("app/PurchaseOrderList.htm", "the order list");
    temp.write("app/misguarded.htm", "never shown");
    temp.write("app/static/site.css", "body{}");
    temp.write("app/static/logo.png", "\x89PNG");
    temp.write("secret.txt", "outside the application");
}

void TestSite::start(const std::vector<std::string>& extra)
{
    std::vector<std::string> arguments = {"--port", "0", "--app", temp / "app", "--data", dataFolder(),
                                          "--plugin", HOST_TEST_PLUGIN};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    server = std::make_unique<ServerProcess>(arguments);
    ASSERT_FALSE(server->address().empty()) << server->remainingOutput();
    port = server->port();
}

void TestSite::restart()
{
    EXPECT_EQ(server->stop(SIGTERM), 0) << server->remainingOutput();
    server.reset();
    start();
}

void TestSite::createDatabase(const std::string& name, const std::string& note)
{
    std::string xml = "<database name=\"" + name + "\"><table name=\"notes\"><column name=\"id\" type=\"key\"/>"
                      "<column name=\"note\" type=\"text\"/></table><dataset table=\"notes\"><row note=\""
                    + note + "\"/></dataset></database>";
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

HttpClient::Response TestSite::get(const std::string& target, const std::string& cookie)
{
    return PageVisitor(port, cookie).get(target);
}

HttpClient::Response TestSite::post(const std::string& target, const std::string& body, const std::string& cookie,
                                    const std::string& type)
{
    return PageVisitor(port, cookie).post(target, body, type);
}

std::string TestSite::signIn(const std::string& database, const std::string& cookie)
{
    HttpClient::Response response = post("/signin", "db=" + database, cookie);
    EXPECT_EQ(response.body, "ok:") << database;
    std::string handed = sessionCookie(response);
    return handed.empty() ? cookie : handed;
}
