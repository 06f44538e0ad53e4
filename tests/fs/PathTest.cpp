#include <gtest/gtest.h>

#include <string>

#include "tessel/tessel.h"

using namespace tessel;

namespace {

std::u16string u16(const String& text) { return std::u16string(text.c_str(), static_cast<size_t>(text.size())); }

std::u16string joined(const char16_t* out, const char16_t* a, const char16_t* b)
{
    String result(out);
    System::getInstance().join(result, String(a), String(b));
    return u16(result);
}

std::u16string normalized(const char16_t* path)
{
    String text(path);
    System::getInstance().normalize(text);
    return u16(text);
}

} // namespace

TEST(Paths, JoinPutsOneSeparatorBetweenParts)
{
    EXPECT_EQ(u"/a/b/c.txt", joined(u"/a/", u"/b", u"c.txt"));
    EXPECT_EQ(u"x/y", joined(u"", u"x\\y", u""));
    EXPECT_EQ(u"base/f", joined(u"base", u"", u"f"));
    EXPECT_EQ(u"a/b", joined(u"a\\", u"b", u""));
    EXPECT_EQ(u"/root/sub/", joined(u"/root", u"\\sub", u"/"));
    EXPECT_EQ(u"/x/page", joined(u"/x", u"page#top", u""));
}

TEST(Paths, NormalizeMakesAHostPath)
{
    EXPECT_EQ(u"/data/a_b", normalized(u"/data/a?b#frag"));
    EXPECT_EQ(u"a/b_c___", normalized(u"a\\b<c>|*"));
    EXPECT_EQ(u"", normalized(u""));
    String same(u"/x");
    EXPECT_TRUE(System::getInstance().resolve(same));
    EXPECT_EQ(u"/x", u16(same));
    EXPECT_EQ(u'/', System::getInstance().getSeparator());
}

TEST(Paths, FileNameAndDirNameIgnoreQueriesAndFragments)
{
    System& fs = System::getInstance();
    EXPECT_EQ(u"file.htm", u16(fs.fileName(u"c:\\dir\\file.htm?x=1")));
    EXPECT_EQ(u"file.htm", u16(fs.fileName(u"file.htm")));
    EXPECT_EQ(u"page", u16(fs.fileName(u"/a/b/page#top")));
    EXPECT_EQ(u"y", u16(fs.fileName(u"/x/y?q=/z")));
    EXPECT_EQ(u"", u16(fs.fileName(u"/a/b/")));

    EXPECT_EQ(u"c:\\dir", u16(IFileSystem::dirName(u"c:\\dir\\sub\\")));
    EXPECT_EQ(u"/usr/bin", u16(IFileSystem::dirName(u"/usr/bin/tool")));
    EXPECT_EQ(u"/a", u16(IFileSystem::dirName(u"/a/b?x=/c")));
    EXPECT_EQ(u"/", u16(IFileSystem::dirName(u"/x"))) << "the root is a folder of its own";
    EXPECT_EQ(u"", u16(IFileSystem::dirName(u"name")));
    EXPECT_EQ(u"", u16(IFileSystem::dirName(nullptr)));
}

TEST(Paths, OnlyALeadingSlashMakesAPathAbsolute)
{
    System& fs = System::getInstance();
    EXPECT_TRUE(fs.isAbsolute(u"/x"));
    EXPECT_FALSE(fs.isAbsolute(u"x/y"));
    EXPECT_FALSE(fs.isAbsolute(u"C:\\x"));
    EXPECT_FALSE(fs.isAbsolute(String()));
    EXPECT_TRUE(fs.isCaseSensitive());
}
