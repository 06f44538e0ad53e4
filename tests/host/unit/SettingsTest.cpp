// The settings file the host window keeps in the data folder: what the
// application stores comes back after a restart, whatever its bytes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/TempFolder.h"
#include "host/SettingsFile.h"

using tessel::testing::TempFolder;

using host::SettingsFile;

TEST(SettingsFilePersistence, KeysAndValuesComeBackUnchangedAfterARestart)
{
    TempFolder temp;
    const std::pair<std::string, std::string> entries[] = {
        {"dbname", "main"},
        {"company", "\xE7\xA4\xBA\xE4\xBE\x8B\xE5\x85\xAC\xE5\x8F\xB8"},
        {"a=b", "c=d"},
        {"multi\nline", "one\r\ntwo\n"},
        {"back\\slash", "\\n is not a line end\\"},
        {"#not a comment", "  spaced  "},
        {"empty", ""},
    };
    {
        SettingsFile settings(temp / "settings.ini");
        ASSERT_TRUE(settings.load());
        ASSERT_TRUE(settings.set("dbname", "demo")); // replaced below
        for (const auto& [key, value] : entries)
            ASSERT_TRUE(settings.set(key, value));
    }
    SettingsFile again(temp / "settings.ini");
    ASSERT_TRUE(again.load());
    for (const auto& [key, value] : entries) {
        std::string read;
        ASSERT_TRUE(again.get(key, read)) << key;
        EXPECT_EQ(read, value) << key;
    }
    std::string value;
    EXPECT_FALSE(again.get("missing", value));
}

TEST(SettingsFilePersistence, TheFileIsReplacedWholeAndPrivate)
{
    TempFolder temp;
    SettingsFile settings(temp / "settings.ini");
    ASSERT_TRUE(settings.set("k", "v"));
    EXPECT_FALSE(std::filesystem::exists(temp / "settings.ini.tmp"));
    struct stat info {};
    ASSERT_EQ(::stat((temp / "settings.ini").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_NE(TempFolder::read(temp / "settings.ini").find("k=v\n"), std::string::npos);
}

TEST(SettingsFilePersistence, ReadsHandWrittenFiles)
{
    TempFolder temp;
    temp.write("settings.ini", "# comment\r\n\r\ndbname=demo\r\nno separator\r\ncompany=A=B\r\n");
    SettingsFile settings(temp / "settings.ini");
    ASSERT_TRUE(settings.load());
    std::string value;
    ASSERT_TRUE(settings.get("dbname", value));
    EXPECT_EQ(value, "demo");
    ASSERT_TRUE(settings.get("company", value));
    EXPECT_EQ(value, "A=B");
    EXPECT_FALSE(settings.get("no separator", value));
}

TEST(SettingsFilePersistence, AFolderThatCannotTakeTheFileFailsTheWrite)
{
    TempFolder temp;
    SettingsFile settings(temp / "missing/settings.ini");
    EXPECT_TRUE(settings.load()); // nothing there yet is not an error
    EXPECT_FALSE(settings.set("k", "v"));
    std::string value;
    EXPECT_TRUE(settings.get("k", value)); // kept for this run
}
