// Editing a String in place: replacing, inserting, removing, cutting,
// trimming, case changes, escaping, and splitting and joining.

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace tessel;
using testing_support::joined;
using testing_support::units;

TEST(StringReplace, TextsWithEqualOneOrManyOccurrences)
{
    String equal(u"one two one two");
    const char16_t* buffer = equal.toUnicode();
    equal.replace(u"two", u"TWO");
    EXPECT_EQ(equal, u"one TWO one TWO");
    EXPECT_EQ(equal.toUnicode(), buffer) << "equal lengths are written in place";

    String many(u"a,b,,c,");
    many.replace(u",", u"<>");
    EXPECT_EQ(many, u"a<>b<><>c<>");
    many.replace(u"<>", u"");
    EXPECT_EQ(many, u"abc");
    EXPECT_EQ(many.size(), 3);

    String overlapping(u"aaaaa");
    overlapping.replace(u"aa", u"b");
    EXPECT_EQ(overlapping, u"bba") << "occurrences do not overlap";

    String from(u"x-x-x-x");
    from.replace(u"x", u"yy", 3);
    EXPECT_EQ(from, u"x-x-yy-yy");

    String folded(u"Tax TAX tax");
    folded.replaceIgnoreCase(u"tax", u"duty");
    EXPECT_EQ(folded, u"duty duty duty");

    String unchanged(u"abc");
    unchanged.replace(u"b", nullptr).replace(nullptr, u"x").replace(u"", u"x").replace(u"b", u"x", 3);
    EXPECT_EQ(unchanged, u"abc");
}

TEST(StringInsert, FillsTheGapBeyondTheEnd)
{
    String text(u"abc");
    text.insert(1, u"XY");
    EXPECT_EQ(text, u"aXYbc");
    text.insert(-3, String(u">"));
    EXPECT_EQ(text, u">aXYbc");
    text.insert(9, u"!", u'.');
    EXPECT_EQ(text, u">aXYbc...!");
    text.insert(0, text);
    EXPECT_EQ(text, u">aXYbc...!>aXYbc...!");

    String chars(u"ab");
    chars.insertChars(1, 3, u'-');
    EXPECT_EQ(chars, u"a---b");
    chars.insertChars(-2, 3, u'+');
    EXPECT_EQ(chars, u"+a---b") << "a negative position reduces n";
    chars.insertChars(8, 1, u'#');
    EXPECT_EQ(chars, u"+a---b  #");
    chars.insertChars(0, 0, u'x').insertChars(-5, 3, u'x');
    EXPECT_EQ(chars, u"+a---b  #");

    String empty;
    empty.insert(2, u"x", u'0');
    EXPECT_EQ(empty, u"00x");
}

TEST(StringRemove, RangesCharactersAndSets)
{
    String text(u"0123456789");
    text.remove(2, 3);
    EXPECT_EQ(text, u"0156789");
    text.remove(-1, 2);
    EXPECT_EQ(text, u"156789");
    text.remove(4, 100);
    EXPECT_EQ(text, u"1567");
    text.remove(4, 1).remove(1, 0).remove(-3, 2);
    EXPECT_EQ(text, u"1567");

    String chars(u"a-b-c-d");
    chars.remove(u'-', 3);
    EXPECT_EQ(chars, u"a-bcd");

    String set(u"(010) 8888-1234");
    set.removeAny(u"()- ");
    EXPECT_EQ(set, u"01088881234");
    String tail(u"a,b;c,d");
    tail.removeAny(u",;", 2);
    EXPECT_EQ(tail, u"a,bcd");
    tail.removeAny(u"").removeAny(nullptr).removeAny(u"a", 9);
    EXPECT_EQ(tail, u"a,bcd");
    unsigned hash = tail.hashCode();
    tail.removeAny(u"a");
    EXPECT_EQ(tail, u",bcd");
    EXPECT_NE(tail.hashCode(), hash);
}

TEST(StringCut, SubstringsRightTruncAndFill)
{
    String text(u"hello world");
    EXPECT_EQ(text.substr(-3), u"hello world");
    EXPECT_EQ(text.substr(11), u"");
    EXPECT_EQ(text.substr(2, 3), u"llo");
    EXPECT_EQ(text.substr(-1, 3), u"he") << "a negative position reduces n";
    EXPECT_EQ(text.substr(8, 10), u"rld");
    EXPECT_EQ(text.substr(20, 2), u"");
    EXPECT_EQ(text.right(99), u"hello world");

    String cut(u"abcdef");
    cut.trunc(10);
    EXPECT_EQ(cut, u"abcdef");
    cut.trunc(3);
    EXPECT_EQ(cut, u"abc");
    cut.trunc(-1);
    EXPECT_EQ(cut, u"");

    // Writing characters directly into the buffer, then setting the length.
    String direct(32);
    char16_t* raw = direct.toUnicode();
    for (int i = 0; i < 5; i++)
        raw[i] = static_cast<char16_t>(u'0' + i);
    direct.trunc(5, true);
    EXPECT_EQ(direct, u"01234");
    direct.trunc(direct.capacity(), true);
    EXPECT_EQ(direct.size(), 5) << "the length stays below the capacity";

    String filled;
    filled.fill(4, u'*');
    EXPECT_EQ(filled, u"****");
    filled.fill(0, u'-');
    EXPECT_EQ(filled, u"");
}

TEST(StringEscape, HtmlEncodeAndDecode)
{
    struct Row {
        std::u16string text;
        bool tagsOnly;
        std::u16string expected;
    } encoded[] = {
        {u"<>&\"'", false, u"&lt;&gt;&amp;&quot;&#39;"},
        {u"<>&\"'", true, u"&lt;&gt;&\"'"},
        {std::u16string(u"x<y\0<z", 6), false, u"x&lt;y"}, // the scan stops at an embedded NUL
    };
    for (const Row& row : encoded) {
        String text(row.text.data(), static_cast<int>(row.text.size()));
        text.htmlEncode(row.tagsOnly);
        EXPECT_EQ(units(text), row.expected) << String(row.text.c_str()).toStdString();
    }
    String none;
    none.htmlEncode();
    EXPECT_EQ(none.toUnicode(), nullptr);

    String decoded(u"&lt;&amp;&nbsp;&#39;");
    decoded.htmlDecode();
    EXPECT_EQ(decoded, u"<& &#39;");
    String entities(u"&gt;&quot;&amp;lt; & &unknown; &lt");
    entities.htmlDecode();
    EXPECT_EQ(entities, u">\"&lt; & &unknown; &lt");
    String decodeCut(u"&lt;\0&gt;", 9);
    decodeCut.htmlDecode();
    EXPECT_EQ(units(decodeCut), u"<");
}

TEST(StringSplit, SeparatorsSetsWordsAndLines)
{
    Array<String> pieces;
    EXPECT_EQ(String(u"a,,b,").split(String(u","), pieces), 4);
    EXPECT_EQ(joined(pieces), u"a||b|");
    pieces.clear();
    EXPECT_EQ(String(u"k=>v=>").split(String(u"=>"), pieces), 3);
    EXPECT_EQ(joined(pieces), u"k|v|");
    pieces.clear();
    EXPECT_EQ(String(u"whole").split(String(u","), pieces), 1);
    EXPECT_EQ(String().split(String(u","), pieces), 0);
    EXPECT_EQ(String(u"a,b").split(String(), pieces), 0);
    EXPECT_EQ(joined(pieces), u"whole");

    Array<String> tokens;
    tokens.add(new String(u"kept"));
    EXPECT_EQ(String(u",a,,b,").splitAny(u",", tokens), 2);
    EXPECT_EQ(joined(tokens), u"kept|a|b") << "existing elements stay";
    tokens.clear();
    EXPECT_EQ(String(u"x;y,z").splitAny(u",;", tokens), 3);
    EXPECT_EQ(String(u",,,").splitAny(u",", tokens), 0);
    EXPECT_EQ(String(u"a").splitAny(u"", tokens), 0);
    EXPECT_EQ(String().splitAny(u",", tokens), 0);
    EXPECT_EQ(joined(tokens), u"x|y|z");

    Array<String> words;
    EXPECT_EQ(String(u"  select\t*\r\nfrom  t ").splitWords(words), 4);
    EXPECT_EQ(joined(words), u"select|*|from|t");

    Array<String> lines;
    EXPECT_EQ(String(u"a\r\nb\n").splitLines(lines), 3);
    EXPECT_EQ(joined(lines), u"a|b|");
    lines.clear();
    EXPECT_EQ(String(u"a\n\nb").splitLines(lines), 3);
    EXPECT_EQ(joined(lines), u"a||b");
    lines.clear();
    EXPECT_EQ(String(u"a\rb\r\rc").splitLines(lines), 4);
    EXPECT_EQ(joined(lines), u"a|b||c");
    lines.clear();
    EXPECT_EQ(String(u"", 0).splitLines(lines), 1) << "the empty text is one empty line";
    EXPECT_EQ(String().splitLines(lines), 0);
}
