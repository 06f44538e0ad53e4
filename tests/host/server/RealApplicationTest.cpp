// The business application library that the server loads by default.
#include <gtest/gtest.h>

#include <signal.h>

#include "HttpClient.h"
#include "ServerProcess.h"
#include "TempFolder.h"

TEST(RealApplication, APageBehindSignInSendsTheVisitorToTheLoginPage)
{
    TempFolder temp;
    temp.write("app/config.xml", "<config><login id=\"login\" page=\"login\"/>"
                                 "<templet id=\"main\" login=\"login\"><page id=\"Index\"/></templet>"
                                 "<page id=\"login\" templet=\"\"/></config>");
    temp.write("app/main.htm", "<tpl:include block/>");
    temp.write("app/Index.htm", "the home page");
    ServerProcess server({"--port", "0", "--app", temp / "app", "--data", temp / "data"});
    ASSERT_FALSE(server.address().empty()) << server.remainingOutput();
    for (const char* target : {"/Index", "/index.htm"}) {
        HttpClient::Response response = HttpClient::get(server.port(), target);
        EXPECT_EQ(response.status, 302) << target;
        EXPECT_EQ(response.headers["location"], "/login.htm") << target;
        EXPECT_EQ(response.body.find("the home page"), std::string::npos);
    }
    EXPECT_EQ(server.stop(SIGTERM), 0) << server.remainingOutput();
}
