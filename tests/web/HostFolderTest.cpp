// An application folder on disk, reached through the host file system
// rooted at it, as the host sets the context up.
#include "WebTestSupport.h"

#include "../core/TempFolder.h"
#include "tessel/fs/VirtualFileSystem.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class HostFolderTest : public WebTest {
protected:
    void SetUp() override
    {
        WebTest::SetUp();
        folder = std::make_unique<TempFolder>();
    }
    void startOnDisk()
    {
        Ref<VirtualFileSystem> root = new VirtualFileSystem(u16(folder->path()));
        context->initialize(root);
    }

    std::unique_ptr<TempFolder> folder;
};

TEST_F(HostFolderTest, ConfigurationTemplatesAndLogFromTheFolder)
{
    folder->write("config.xml", "<config><property id=\"log_file\" value=\"logs/app.log\"/>"
                                "<property id=\"temp_dir\" value=\"pages/\"/><page id=\"Home\" title=\"Home\"/></config>");
    folder->write("message.ini", "[Common]\nunknown=Unknown\n");
    folder->write("pages/Home.htm", "<h1>{title}</h1><tpl:include name=\"pages/part\"/>");
    folder->write("pages/part.htm", "<p>{SERVER.REQUEST_URI}</p>");
    folder->write("logs/.keep", "");
    context->setCharset(65001);
    startOnDisk();
    ASSERT_NE(context->getPageInfo(u"Home", false), nullptr);
    EXPECT_EQ(*context->getMessage(u"Common.unknown")->getString(), u"Unknown");
    set("title", "Welcome");
    set("SERVER.REQUEST_URI", "/Home.htm");
    EXPECT_EQ(render("pages/Home"), "<h1>Welcome</h1><p>/Home.htm</p>");
    context->log(u"started");
    EXPECT_EQ(TempFolder::read(*folder / "logs/app.log"), "started");
    EXPECT_EQ(context->getRealPath(u"pages/Home.htm"), u16(folder->path() + "/pages/Home.htm"));
}

TEST_F(HostFolderTest, NamesCannotClimbOutOfTheFolder)
{
    folder->write("app/page.htm", "inside");
    folder->write("outside.htm", "outside");
    Ref<VirtualFileSystem> root = new VirtualFileSystem(u16(folder->path() + "/app"));
    context->initialize(root);
    EXPECT_EQ(render("page"), "inside");
    EXPECT_EQ(render("../outside"), "<failed>");
    EXPECT_EQ(render("/page"), "<failed>");
}

} // namespace
