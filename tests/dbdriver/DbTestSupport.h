#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "tessel/core/XmlParser.h"

#include "dbdriver/dbdriver.h"
#include "support/TempFolder.h"

// A fresh data folder per test, removed afterwards, with a session over it.
class DbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(temp.path().empty());
        folder = temp.path();
        session = new SqliteSession(tessel::String::fromUTF8(folder.string()));
    }

    void TearDown() override { session.reset(); }

    // tests/dbdriver/sample.xml, named `name`: zsysconf (a key over classid
    // and nameid), zpsplyt (an integer key filled by SQLite, a unique name),
    // zpordrd (decimals, a date, a key over two columns, an index) and two
    // settings rows.
    static tessel::Ref<DbDatabase> loadSample(const tessel::String& name)
    {
        std::ifstream file(TEST_SOURCE_DIR "/tests/dbdriver/sample.xml", std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        tessel::String text = tessel::String::fromUTF8(bytes.str());
        tessel::XmlParser parser;
        parser.setXml(text.c_str(), text.size());
        tessel::Ref<DbDatabase> schema = new DbDatabase();
        EXPECT_TRUE(schema->parseXML(parser));
        schema->setName(name);
        return schema;
    }

    bool create(const tessel::String& name)
    {
        tessel::Ref<IDbAdmin> admin;
        return session->getAdmin(admin.out()) && admin->createTables(loadSample(name), true);
    }

    tessel::Ref<IDbCursor> cursor(const tessel::String& sql)
    {
        tessel::Ref<IDbCursor> result;
        session->openCursor(sql, result.out());
        return result;
    }

    tessel::String lastError()
    {
        tessel::String error;
        return session->getLastError(error);
    }

    bool fileExists(const std::string& name) const { return std::filesystem::exists(folder / name); }
    long fileCount() const
    {
        auto files = std::filesystem::directory_iterator(folder);
        return std::distance(begin(files), end(files));
    }

    tessel::testing::TempFolder temp;
    std::filesystem::path folder;
    tessel::Ref<SqliteSession> session;
};

inline std::string utf8(const tessel::String& text)
{
    return text.toStdString();
}
