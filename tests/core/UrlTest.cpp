#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tessel/core/Url.h"

using namespace tessel;

namespace {

std::string text(const String& s)
{
    return s.toStdString();
}

std::string query(const String& q)
{
    Array<PairEntry> pairs;
    Url::parseQuery(q, pairs);
    std::string out;
    for (int i = 0; i < pairs.size(); i++)
        out += "[" + text(pairs[i]->key) + "|" + text(pairs[i]->value) + "]";
    return out;
}

std::string unescaped(const char* input)
{
    std::string buffer(input);
    int n = Url::unescape(buffer.data(), 0);
    return buffer.substr(0, static_cast<size_t>(n));
}

} // namespace

TEST(UrlParse, MalformedAuthorities)
{
    Url noHost(String(u"http://user@"));
    EXPECT_EQ(text(noHost.getUser()), "user");
    EXPECT_TRUE(noHost.getHost().empty());
    EXPECT_EQ(text(noHost.getPath()), "/");

    Url bareColon(String(u"http://host:"));
    EXPECT_EQ(text(bareColon.getHost()), "host");
    EXPECT_EQ(bareColon.getPort(), 0);

    Url noDigits(String(u"http://host:abc/x"));
    EXPECT_EQ(noDigits.getPort(), 0);
    EXPECT_EQ(text(noDigits.getPath()), "/x");

    EXPECT_TRUE(Url(String(u"http://")).getHost().empty());
    EXPECT_TRUE(Url(String(u"//")).getHost().empty());
    EXPECT_EQ(text(Url(String(u"http://:pw@h")).getPass()), "pw");
}

TEST(UrlParse, PortsThatDoNotFitAreDropped)
{
    // 65616 would wrap to 80 in 16 bits and silently point elsewhere.
    EXPECT_EQ(Url(String(u"http://host:65616/")).getPort(), 0);
    EXPECT_EQ(Url(String(u"http://host:99999999999999999999/")).getPort(), 0);
    EXPECT_EQ(Url(String(u"http://host:-1/")).getPort(), 0);
    EXPECT_EQ(Url(String(u"http://host:65535/")).getPort(), 65535);

    Url url;
    url.setHost(String(u"Example.org:70000"));
    EXPECT_EQ(text(url.getHost()), "example.org");
    EXPECT_EQ(url.getPort(), 0);
}

TEST(UrlRealpath, DropsDotSegments)
{
    EXPECT_EQ(text(Url::realpath(String(u"/a/./b/../c"))), "/a/c");
    EXPECT_EQ(text(Url::realpath(String(u"/a/../b"))), "/b");
    EXPECT_EQ(text(Url::realpath(String(u"../x"))), "/");
    EXPECT_EQ(text(Url::realpath(String(u"/a/../../x"))), "/");
    EXPECT_EQ(text(Url::realpath(String(u"./a/b"))), "a/b");
    EXPECT_EQ(text(Url::realpath(String(u"/a/b/.."))), "/a/");
    EXPECT_EQ(text(Url::realpath(String(u"/a..b/.c/"))), "/a..b/.c/");
    EXPECT_EQ(text(Url::realpath(String(u"/a/b?x=/../y"))), "/a/b?x=/../y");
    EXPECT_EQ(text(Url::realpath(String(u"/a/../b?./"))), "/b?./");
    EXPECT_EQ(text(Url::realpath(String())), "");
}

TEST(UrlRelative, ResolvesLinksAgainstThePage)
{
    Url page(String(u"http://host:8080/app/list.htm?page=2"));
    EXPECT_EQ(text(page.relative(String(u"edit.htm?id=2#x"))), "http://host:8080/app/edit.htm?id=2");
    EXPECT_EQ(text(page.relative(String(u"/root.htm"))), "http://host:8080/root.htm");
    EXPECT_EQ(text(page.relative(String(u"../up.htm"))), "http://host:8080/up.htm");
    EXPECT_EQ(text(page.relative(String(u"../../too/far"))), "http://host:8080/");
    EXPECT_EQ(text(page.relative(String(u"https://other/x?y"))), "https://other/x?y");
    EXPECT_EQ(text(page.relative(String(u"https://other/x#a"))), "https://other/x");
    EXPECT_EQ(text(page.relative(String())), "http://host:8080/app/");

    Url bare;
    bare.setPath(String(u"nodir"));
    EXPECT_EQ(text(bare.relative(String(u"x.htm"))), "/x.htm");
}

TEST(UrlQuery, SplitsAtEveryAmpersand)
{
    EXPECT_EQ(query(String(u"a=1&&b")), "[a|1][|][b|]");
    EXPECT_EQ(query(String(u"k=v=w&x=%20")), "[k|v=w][x|%20]");
    EXPECT_EQ(query(String(u"a&")), "[a|][|]");
    EXPECT_EQ(query(String(u"=")), "[|]");
    EXPECT_EQ(query(String()), "");

    Url url(String(u"/p?id=7&cmd=save#top"));
    Array<PairEntry> pairs;
    pairs.add(new PairEntry(String(u"kept"), String()));
    url.parseQuery(pairs);
    ASSERT_EQ(pairs.size(), 3);
    EXPECT_EQ(text(pairs[1]->key), "id");
    EXPECT_EQ(text(pairs[2]->value), "save");
}

TEST(UrlUnescape, DecodesPlusAndPercent)
{
    EXPECT_EQ(unescaped("a%20b+c%zz"), "a b c%zz");
    EXPECT_EQ(unescaped("%41%6a%4A"), "AjJ");
    EXPECT_EQ(unescaped("%e4%b8%ad"), "\xe4\xb8\xad");
    EXPECT_EQ(unescaped("100%"), "100%");
    EXPECT_EQ(unescaped("%4"), "%4");
    EXPECT_EQ(Url::unescape(nullptr, 5), 0);
    char empty[] = "";
    EXPECT_EQ(Url::unescape(empty, 0), 0);

    char terminated[] = "x%41y";
    EXPECT_EQ(Url::unescape(terminated, 0), 3);
    EXPECT_STREQ(terminated, "xAy");
}

TEST(UrlUnescape, StaysInsideTheGivenBytes)
{
    // Only the first n bytes belong to the input; the guard bytes after
    // them must be neither read as digits nor overwritten.
    char buffer[] = {'a', 'b', '%', '4', '1', '!'};
    EXPECT_EQ(Url::unescape(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 6), std::string("ab%41!", 6));

    char full[] = {'a', '+', 'b', '#'};
    EXPECT_EQ(Url::unescape(full, 3), 3);
    EXPECT_EQ(std::string(full, 4), "a b#");

    // A shorter result is terminated inside the input.
    char shrunk[] = {'%', '4', '1', '#', '#'};
    EXPECT_EQ(Url::unescape(shrunk, 3), 1);
    EXPECT_EQ(std::string(shrunk, 5), std::string("A\0"
                                                  "1##",
                                                  5));

    // A zero byte ends the input before n.
    char stopped[] = {'a', 0, '%', '4', '1'};
    EXPECT_EQ(Url::unescape(stopped, 5), 1);
}
