// An application folder on disk, reached through the host file system
// rooted at it, as the host sets the context up.
#include "WebTestSupport.h"

#include "support/TempFolder.h"
#include "tessel/fs/VirtualFileSystem.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class HostFolderTest : public WebTest {};

TEST_F(HostFolderTest, ConfigurationTemplatesAndLogFromTheFolderButNothingAbove)
{
    TempFolder folder;
    folder.write("app/config.xml", "<config><property id=\"log_file\" value=\"logs/app.log\"/>"
                                   "<property id=\"temp_dir\" value=\"pages/\"/><page id=\"Home\"/></config>");
    folder.write("app/message.ini", "[Common]\nunknown=Unknown\n");
    folder.write("app/pages/Home.htm", "<h1>{title}</h1><tpl:include name=\"pages/part\"/>");
    folder.write("app/pages/part.htm", "<p>{SERVER.REQUEST_URI}</p>");
    folder.write("app/logs/.keep", "");
    folder.write("outside.htm", "outside");
    context->setCharset(65001);
    context->initialize(Ref<VirtualFileSystem>(new VirtualFileSystem(u16(folder / "app"))));
    ASSERT_NE(context->getPageInfo(u"Home", false), nullptr);
    EXPECT_EQ(*context->getMessage(u"Common.unknown")->getString(), u"Unknown");
    set("title", "Welcome");
    set("SERVER.REQUEST_URI", "/Home.htm");
    EXPECT_EQ(render("pages/Home"), "<h1>Welcome</h1><p>/Home.htm</p>");
    EXPECT_EQ(render("../outside"), "<failed>");
    EXPECT_EQ(render("/pages/Home"), "<failed>");
    context->log(u"started");
    EXPECT_EQ(TempFolder::read(folder / "app/logs/app.log"), "started");
    EXPECT_EQ(context->getRealPath(u"pages/Home.htm"), u16(folder / "app/pages/Home.htm"));
}

} // namespace
