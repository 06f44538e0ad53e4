#pragma once

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "dbdriver/dbdriver.h"

// A fresh data folder per test, removed afterwards, with a session over it.
class DbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "dbdriver-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        session = new SqliteSession(tessel::String::fromUTF8(folder.string()));
    }

    void TearDown() override
    {
        session.reset();
        std::filesystem::remove_all(folder);
    }

    // Tables: zsysconf (key over classid, nameid), zpsplyt (an integer key
    // filled by SQLite), zpordrd (decimals, a date, a primary key over two
    // columns, an index); two settings rows as the initial dataset.
    static tessel::Ref<DbDatabase> sampleSchema(const tessel::String& name)
    {
        tessel::Ref<DbDatabase> schema = new DbDatabase();
        schema->setName(name);

        tessel::Ref<DbTable> settings = new DbTable(u"zsysconf", u"设置");
        settings->addColumn(DbColumn(u"classid", DbColumn::INT));
        settings->addColumn(DbColumn(u"nameid", DbColumn::INT));
        settings->addColumn(DbColumn(u"svalue", DbColumn::TEXT));
        settings->setPrimaryKey({u"classid", u"nameid"});
        schema->addTable(settings);

        tessel::Ref<DbTable> suppliers = new DbTable(u"zpsplyt", u"供应商");
        suppliers->addColumn(DbColumn(u"splid", DbColumn::KEY));
        DbColumn supplierName(u"splnm", DbColumn::TEXT);
        supplierName.setUnique(true);
        supplierName.setNotNull(true);
        suppliers->addColumn(supplierName);
        suppliers->addColumn(DbColumn(u"splty", DbColumn::INT));
        suppliers->addColumn(DbColumn(u"rmrks", DbColumn::TEXT));
        schema->addTable(suppliers);

        tessel::Ref<DbTable> lines = new DbTable(u"zpordrd", u"");
        lines->addColumn(DbColumn(u"ordid", DbColumn::TEXT));
        lines->addColumn(DbColumn(u"linnm", DbColumn::INT));
        lines->addColumn(DbColumn(u"prdnm", DbColumn::TEXT));
        lines->addColumn(DbColumn(u"qunty", DbColumn::REAL));
        lines->addColumn(DbColumn(u"itmpr", DbColumn::REAL));
        lines->addColumn(DbColumn(u"plndt", DbColumn::DATE));
        lines->setPrimaryKey({u"ordid", u"linnm"});
        lines->addIndex(u"", {u"prdnm"}, false);
        schema->addTable(lines);

        tessel::Ref<DbDataset> initial = new DbDataset(u"zsysconf");
        DbRow& version = initial->addRow();
        version.set(u"classid", u"1");
        version.set(u"nameid", u"0");
        version.set(u"svalue", u"20110401");
        DbRow& company = initial->addRow();
        company.set(u"classid", u"2");
        company.set(u"nameid", u"1");
        company.set(u"svalue", u"");
        schema->addDataset(initial);
        return schema;
    }

    bool create(const tessel::String& name)
    {
        tessel::Ref<IDbAdmin> admin;
        return session->getAdmin(admin.out()) && admin->createTables(sampleSchema(name), true);
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
    int fileCount() const
    {
        int count = 0;
        for (auto& entry : std::filesystem::directory_iterator(folder)) {
            (void) entry;
            count++;
        }
        return count;
    }

    std::filesystem::path folder;
    tessel::Ref<SqliteSession> session;
};

inline std::string utf8(const tessel::String& text)
{
    return text.toStdString();
}
