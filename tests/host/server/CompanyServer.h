#pragma once

// The real server with the real application folder and library over a
// data folder of its own, which gets the demo company on the first run,
// and visitors that sign in to it.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <string>

#include "PageVisitor.h"
#include "ServerProcess.h"
#include "dbdriver/dbdriver.h"

class CompanyOverHttp : public RealServer {
protected:
    void SetUp() override
    {
        std::filesystem::copy(TEST_SOURCE_DIR "/app", temp / "app", std::filesystem::copy_options::recursive);
        start();
    }
    // Some tests sign in wrongly more often than a guesser may.
    void start() { RealServer::start({"--app", temp / "app", "--data", temp / "data", "--signin-failures", "100"}); }

    // Signs in through the sign-in form; the answer of the form.
    std::string signIn(PageVisitor& visitor, const std::string& fields)
    {
        HttpClient::Response response = visitor.post("/login.htm", fields);
        EXPECT_EQ(response.status, 200);
        visitor.keepCookieOf(response);
        return response.body;
    }
    PageVisitor signedIn(const std::string& dbname = "demo", const std::string& password = "demo")
    {
        PageVisitor visitor(port);
        EXPECT_EQ(signIn(visitor, "dbname=" + dbname + "&userid=SYSTEM&passwd=" + password), "ok:");
        return visitor;
    }
    // True when the visitor may see the notices (not sent to sign in).
    static bool passesTheGuard(const PageVisitor& visitor)
    {
        HttpClient::Response response = visitor.get("/notice.htm");
        return response.status == 200 && response.body.find("待办提醒") != std::string::npos;
    }

    // The company database `name` of the data folder, opened beside the
    // server (SQLite lets both write, one at a time).
    tessel::Ref<IDbSession> database(const char16_t* name)
    {
        tessel::Ref<IDbSession> session = new SqliteSession(tessel::String::fromUTF8(temp / "data"));
        EXPECT_TRUE(session->open(name));
        return session;
    }
};

// A form body: every name and value percent-encoded as UTF-8.
inline std::string formBody(std::initializer_list<std::pair<std::string, std::string>> fields)
{
    static const char* const HEX = "0123456789ABCDEF";
    std::string body;
    for (const auto& [name, value] : fields) {
        if (!body.empty())
            body += '&';
        for (const std::string* text : {&name, &value}) {
            for (unsigned char c : *text) {
                if (std::isalnum(c) || c == '-' || c == '.' || c == '_')
                    body += static_cast<char>(c);
                else
                    body += {'%', HEX[c >> 4], HEX[c & 15]};
            }
            if (text == &name)
                body += '=';
        }
    }
    return body;
}

// Every row of the tables, in key order, as text: compared before and
// after a refused save, it shows that nothing changed.
inline std::string tableRows(IDbSession* db, std::initializer_list<std::string> tables)
{
    std::string rows;
    for (const std::string& table : tables) {
        tessel::Ref<IDbCursor> cursor;
        EXPECT_TRUE(db->openCursor(tessel::String::fromUTF8("SELECT * FROM " + table + " ORDER BY 1, 2"), cursor.out()))
            << table;
        tessel::String value;
        while (cursor && cursor->next()) {
            for (int i = 0; i < cursor->columnCount(); i++)
                rows += cursor->getStringAt(value, i).toStdString() + "|";
            rows += "\n";
        }
    }
    return rows;
}
