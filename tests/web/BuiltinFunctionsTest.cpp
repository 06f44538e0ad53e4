// The built-in template functions, family by family: each called directly
// over a table of parameters, and used in a template.
#include <gtest/gtest.h>

#include <climits>

#include "FunctionCall.h"
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

struct Call {
    const char16_t* name;
    std::initializer_list<Param> params;
    const char16_t* expected; // "<none>" for no value
};

std::string nameOf(const Call& row)
{
    return String(row.name).toStdString() + "/" + std::to_string(row.params.size());
}

void expectCalls(std::initializer_list<Call> rows)
{
    for (const Call& row : rows)
        EXPECT_EQ(row.expected, call(row.name, row.params)) << nameOf(row) << " " << String(row.expected).toStdString();
}

class FunctionsInTemplates : public WebTest {};

} // namespace

TEST(BuiltinFunctions, Text)
{
    expectCalls({
        {u"left", {u"abcde", 2}, u"ab"},
        {u"left", {u"abcde", 0}, u"abcde"},
        {u"left", {u"abcde", -1}, u"abcde"},
        {u"left", {u"", 2}, u"<none>"},
        {u"left", {u"abcde"}, u"<none>"}, // a count is required
        {u"right", {u"abcde", 2}, u"de"},
        {u"right", {u"abcde", 0}, u""},
        {u"right", {u"abcde", 9}, u"abcde"},
        {u"right", {u"", 1}, u"<none>"},
        {u"substr", {u"abcde", 2}, u"cde"},
        {u"substr", {u"abcde", 1, 2}, u"bc"},
        {u"substr", {u"abcde", 2, 0}, u"cde"},
        {u"substr", {u"abcde", 9}, u""},
        {u"substr", {u"", 0}, u"<none>"},
        {u"trimwidth", {u"abcde", 5}, u"ab..."},
        {u"trimwidth", {u"abcde", 6}, u"abcde"},
        {u"trimwidth", {u"abcdefg", 4, u"~"}, u"abc~"},
        {u"trimwidth", {u"abcde", 0}, u"abcde"},
        {u"trimwidth", {u"订单编号", 3, u"…"}, u"订单…"},
        {u"trimwidth", {u"abcdef", 2}, u"ab"},
        {u"trimwidth", {u"abcdef", 3}, u"abc"}, // no room for the suffix
        {u"urlencode", {u"a b"}, u"a+b"},
        {u"urlencode", {u"Az09-._"}, u"Az09-._"},
        {u"urlencode", {u"中文"}, u"%E4%B8%AD%E6%96%87"},
        {u"urlencode", {u"a&b=c/%"}, u"a%26b%3Dc%2F%25"},
        {u"urlencode", {u"\U0001F600"}, u"%F0%9F%98%80"}, // a surrogate pair is one character
        {u"urlencode", {u""}, u"<none>"},
        {u"attrof", {u"12", u"value"}, u"value=\"12\""},
        {u"attrof", {u"\" onclick=\"x()", u"title"}, u"title=\"&quot; onclick=&quot;x()\""},
        {u"attrof", {u"", u"value"}, u"<none>"},
        {u"attrof", {u"12", u""}, u"<none>"},
    });
}

TEST(BuiltinFunctions, Numbers)
{
    expectCalls({
        {u"bytesize", {1023}, u"1023B"},
        {u"bytesize", {1024}, u"1.00K"},
        {u"bytesize", {1536}, u"1.50K"},
        {u"bytesize", {1048576}, u"1.00M"},
        {u"bytesize", {1073741824}, u"1024.00M"},
        {u"bytesize", {1610612736.0}, u"1.50G"},
        {u"bytesize", {u"none"}, u"0B"},
        {u"bytesize", {-1e300}, u"-2147483648B"}, // a huge negative size stays in range
        {u"ceil", {-2.9}, u"-2"},
        {u"ceil", {4999999999.5}, u"5000000000.00"},
        {u"round", {2.5}, u"3"},
        {u"round", {2.4}, u"2"},
        {u"round", {-2.5}, u"-3"}, // half away from zero
        {u"round", {1234, -2}, u"1200"},
        {u"round", {1250, -2}, u"1300"},
        {u"round", {-1250, -2}, u"-1300"},
        {u"round", {1234, -400}, u"0"},
        {u"round", {1234, INT_MIN}, u"0"},
        {u"round", {1.46, 1}, u"1.5"},
        {u"round", {1.5, 2}, u"1.50"},
        {u"round", {1.5, 4}, u"1.50"},
        {u"round", {1.23456, 4}, u"1.2346"},
        {u"round", {2, 3}, u"2.00"},
        {u"round", {1.0 / 3, 40}, u"0.333333333333333"}, // at most fifteen decimals
        {u"incof", {7}, u"8"},
        {u"incof", {7, -3}, u"4"},
        {u"incof", {2147483647, 1}, u"2147483648.00"},
        {u"hexof", {255}, u"000000FF"},
        {u"hexof", {0}, u""},
        {u"hexof", {0, 1}, u"00000000"},
        {u"hexof", {-1}, u""},
        {u"hexof", {-1, 1}, u"FFFFFFFF"},
        // format: exactly one numeric conversion.
        {u"format", {3.14159, u"%0.2f"}, u"3.14"},
        {u"format", {7, u"No. %03d"}, u"No. 007"},
        {u"format", {255, u"%x"}, u"ff"},
        {u"format", {255, u"%X"}, u"FF"},
        {u"format", {15, u"%o"}, u"17"},
        {u"format", {1.5, u"%.1e"}, u"1.5e+00"},
        {u"format", {0.25, u"%g"}, u"0.25"},
        {u"format", {50, u"%d%%"}, u"50%"},
        {u"format", {12, u"%+-6d"}, u"+12   "},
        {u"format", {255, u"%#05x"}, u"0x0ff"},
        {u"format", {7, u"%s"}, u"<none>"},
        {u"format", {7, u"%n"}, u"<none>"},
        {u"format", {7, u"%d %d"}, u"<none>"},
        {u"format", {7, u"no conversion"}, u"<none>"},
        {u"format", {7, u"100%%"}, u"<none>"},
        {u"format", {7, u"%ld"}, u"<none>"},
        {u"format", {7, u"%*d"}, u"<none>"},
        {u"format", {7, u"%99999d"}, u"<none>"}, // no unbounded widths
        {u"format", {7, u"%"}, u"<none>"},
        {u"format", {7, u""}, u"<none>"},
        // rmbof reads as Chinese financial writing.
        {u"rmbof", {0}, u"零元整"},
        {u"rmbof", {1.05}, u"壹元零伍分"},
        {u"rmbof", {12}, u"壹拾贰元整"},
        {u"rmbof", {10}, u"壹拾元整"},
        {u"rmbof", {100}, u"壹佰元整"},
        {u"rmbof", {10.50}, u"壹拾元伍角"},
        {u"rmbof", {0.5}, u"伍角"},
        {u"rmbof", {0.05}, u"伍分"},
        {u"rmbof", {0.35}, u"叁角伍分"},
        {u"rmbof", {100000000}, u"壹亿元整"},
        {u"rmbof", {10000}, u"壹万元整"},
        {u"rmbof", {1001}, u"壹仟零壹元整"},
        {u"rmbof", {10010}, u"壹万零壹拾元整"},
        {u"rmbof", {101000}, u"壹拾万壹仟元整"},
        {u"rmbof", {1000001}, u"壹佰万零壹元整"},
        {u"rmbof", {100000001}, u"壹亿零壹元整"},
        {u"rmbof", {100001000}, u"壹亿零壹仟元整"},
        {u"rmbof", {12345678.9}, u"壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角"},
        {u"rmbof", {999999999999.99}, u"玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分"},
        {u"rmbof", {-100.05}, u"负壹佰元零伍分"},
        {u"rmbof", {-0.001}, u"零元整"},
        {u"rmbof", {1000000000000.0}, u"<none>"}, // 万亿 has no place here
        {u"rmbof", {1e300}, u"<none>"},
    });
}

TEST(BuiltinFunctions, Dates)
{
    // The tests run with TZ=Asia/Shanghai: 1300154400 is 2011-03-15
    // 10:00:00 there.
    expectCalls({
        {u"int2date", {9999999}, u"<none>"},
        {u"int2date", {10000000}, u"1000-00-00"},
        {u"date2int", {u"2011-03-15"}, u"20110315"},
        {u"date2int", {u"Tue, 03 May 2011"}, u"20110503"},
        {u"date2int", {u"2011/5/3 10:20"}, u"20110503"},
        {u"date2int", {u"03-05"}, u"<none>"},
        {u"date2int", {u"10:20"}, u"<none>"},
        {u"date2int", {u""}, u"<none>"}, // a time alone is no date
        {u"dateof", {1300154400}, u"2011-03-15 10:00:00"},
        {u"dateof", {1300154400, 10}, u"2011-03-15"},
        {u"dateof", {0}, u"1970-01-01 08:00:00"},
        {u"dateof", {u"2147483648"}, u"2038-01-19 11:14:08"},
        {u"dateof", {1e300}, u"<none>"},
        {u"timeof", {1300154400}, u"10:00:00"},
        {u"timeof", {1300154400, 5}, u"10:00"},
        {u"timeof", {-1e300}, u"<none>"},
        {u"longdate", {u"2011-03-15 10:00:00"}, u"2011年3月15日"},
        {u"longdate", {u"2011-03"}, u"<none>"},
        {u"longdate", {u"2011-03-15-1"}, u"<none>"},
        {u"shortdate", {u"2011-03-15 10:00:00"}, u"3月15日"},
        {u"smartdate", {u"2011-03-05"}, u"3月5日"},
        {u"shortdate", {u"20110315"}, u"<none>"},
        {u"smartdate", {u""}, u"<none>"},
    });
}

TEST(BuiltinFunctions, BranchesAndLookups)
{
    expectCalls({
        {u"firstof", {1, 1, u"start", u"rest"}, u"rest"}, // divisor 1 never gives P3
        {u"firstof", {5, 3, u"start"}, u""},
        {u"firstof", {4, 0, u"start", u"rest"}, u"<none>"},
        {u"firstof", {4, -1, u"start", u"rest"}, u"<none>"},
        {u"lastof", {6, 0, u"end", u"more"}, u"<none>"},
        {u"laterof", {3, 3, u"later", u"early"}, u"early"},
        {u"laterof", {5, 0, u"later", u"early"}, u"<none>"},
        {u"oddif", {-3, u"odd", u"even"}, u"even"}, // a negative remainder is not 1
        {u"evenif", {-3, u"even", u"odd"}, u"odd"},
        {u"equalif", {u"abc", u"ABC", u"same", u"other"}, u"other"},
        {u"equalif", {u"0", 0, u"same", u"other"}, u"same"},
        {u"equalif", {5, u"5", u"same", u"other"}, u"same"},
        {u"emptyif", {u"Li", u"nobody"}, u"Li"},
        {u"emptyif", {u"0", u"nobody"}, u"nobody"},
        {u"emptyif", {u"Li"}, u"<none>"},
        {u"numberif", {u"-12.5", u"n", u"t"}, u"n"},
        {u"numberif", {u"+7", u"n", u"t"}, u"n"},
        {u"numberif", {u".5", u"n", u"t"}, u"t"},
        {u"numberif", {u"1.2.3", u"n", u"t"}, u"t"},
        {u"numberif", {u"-", u"n", u"t"}, u"t"},
        {u"numberif", {u"", u"n", u"t"}, u"t"},
        {u"valueof", {2, u"a", u"b", u"c"}, u"b"},
        {u"valueof", {1, u"a", u"b", u"c"}, u"a"},
        {u"valueof", {0, u"a", u"b", u"c"}, u"<none>"},
        {u"valueof", {4, u"a", u"b", u"c"}, u"<none>"},
        {u"valueof", {1}, u"<none>"},
        {u"valueinc", {0, u"a", u"b"}, u"a"},
        {u"valueinc", {1, u"a", u"b"}, u"b"},
        {u"valueinc", {2, u"a", u"b"}, u"<none>"},
        {u"valueinc", {-1, u"a", u"b"}, u"<none>"},
        {u"valueinc", {2147483647, u"a"}, u"<none>"},
    });
    Ref<Value> data = new Value();
    data->insert(u"row.state", u"1");
    data->insert(u"row.name", u"Li");
    EXPECT_EQ(u"Li", call(u"first", {Path{u"row.state"}, Path{u"row.name"}, u"-"}, data));
    EXPECT_EQ(u"<none>", call(u"first", {Path{u"row.state"}, Path{u"row.missing"}, u"-"}, data))
        << "a chosen path that the data lacks writes nothing";
}

TEST(BuiltinFunctions, ArithmeticAndTheTable)
{
    struct Row {
        char16_t op;
        std::initializer_list<Param> params;
        const char16_t* expected;
    } rows[] = {
        {u'+', {0.1, 0.2}, u"0.30"},
        {u'+', {u"2", u"3"}, u"5"},
        {u'+', {INT_MAX, INT_MAX}, u"4294967294.00"},
        {u'*', {INT_MIN, 2}, u"-4294967296.00"},
        {u'-', {INT_MAX, 0}, u"2147483647"},
        {u'%', {7, 3}, u"1"},
        {u'%', {7, 0}, u"NaN"},
        {u'%', {INT_MIN, -1}, u"0"},
        {u'%', {-7, 3}, u"-1"},
        {u'%', {7.9, 3.2}, u"1"},
        {u'&', {6, 12}, u"4"},
        {u'&', {1, 2}, u"0"},
        {u'+', {2}, u"<none>"},
        {u'/', {6, 3}, u"<no operator>"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, apply(row.op, row.params)) << char(row.op) << String(row.expected).toStdString();
    EXPECT_EQ(nullptr, BuiltinFunctions::createOperator(u'|'));
    EXPECT_EQ(u"unknown function shout", textOf(BuiltinFunctions::createUnknown(u"shout"), {u"extra"}));

    for (const char16_t* name :
         {u"int2date",   u"date2int",  u"dateof",  u"timeof",  u"bytesize", u"intval",    u"ceil",      u"round",
          u"incof",      u"attrof",    u"firstof", u"lastof",  u"first",    u"later",     u"laterof",   u"valueof",
          u"valueinc",   u"evenif",    u"oddif",   u"equalif", u"emptyif",  u"moreif",    u"lessif",    u"numberif",
          u"iif",        u"unless",    u"left",    u"right",   u"substr",   u"trimwidth", u"uppercase", u"lowercase",
          u"htmlencode", u"urlencode", u"format",  u"rmbof",   u"longdate", u"shortdate", u"smartdate", u"hexof"}) {
        Ref<HttpFunction> function;
        EXPECT_TRUE(BuiltinFunctions::create(name, function.out())) << String(name).toStdString();
    }
    for (const char16_t* name : {u"Left", u"stateof", u""}) { // names are exact
        Ref<HttpFunction> none;
        EXPECT_FALSE(BuiltinFunctions::create(name, none.out())) << String(name).toStdString();
    }
    Ref<HttpFunction> function;
    ASSERT_TRUE(BuiltinFunctions::create(u"trimwidth", function.out()));
    function->addParam(new AnyValue(u"abcdef"));
    EXPECT_FALSE(function->isValid());
    function->addParam(new AnyValue(4));
    EXPECT_TRUE(function->isValid());
    EXPECT_TRUE(function->isValid());
    EXPECT_EQ(3, function->paramCount()) << "defaults are appended once";
}

TEST_F(FunctionsInTemplates, EveryFamilyOverTheData)
{
    for (auto [path, value] : {std::pair{"title", "Purchase order 2011"},
                               {"goods", "订单编号"},
                               {"name", "<Li & Wang>"},
                               {"city", "上海 浦东"},
                               {"size", "1536"},
                               {"price", "1.23456"},
                               {"n", "7"},
                               {"amount", "1234.05"},
                               {"id", "255"},
                               {"order.day", "20110315"},
                               {"order.time", "1300154400"},
                               {"order.excdt", "2011-03-15 10:00:00"},
                               {"state", "5"},
                               {"user", ""},
                               {"qty", "12"},
                               {"stock", "10"},
                               {"flag", "1"},
                               {"k", "2"},
                               {"a", "6"},
                               {"b", "4"},
                               {"cost", "2.5"},
                               {"zero", "0"},
                               {"rows.a.name", "A"},
                               {"rows.b.name", "B"},
                               {"rows.c.name", "C"},
                               {"rows.d.name", "D"}})
        set(path, value);
    const char* rows[][2] = {
        {"{title|left,8}|{title|right,4}|{title|substr,9,5}|{title|trimwidth,10}|{title|uppercase}|{title|lowercase}",
         "Purchase|2011|order|Purchas...|PURCHASE ORDER 2011|purchase order 2011"},
        {"{goods|trimwidth,3,'…'}", "订单…"},
        {"<b>{name|htmlencode}</b>", "<b>&lt;Li &amp; Wang&gt;</b>"},
        {"<a href=\"find.htm?city={city|urlencode}\">",
         "<a href=\"find.htm?city=%E4%B8%8A%E6%B5%B7+%E6%B5%A6%E4%B8%9C\">"},
        {"<input {name|attrof,'value'}>", "<input value=\"&lt;Li &amp; Wang&gt;\">"},
        {"<input {missing|attrof,'value'}>", "<input >"},
        {"{size|bytesize} {price|round,4} {price|round} {price|ceil} {n|incof} {n|incof,'-3'} {n|intval}",
         "1.50K 1.2346 1 2 8 4 7"},
        {"{amount|format,'%08.2f'}|{id|format,'No.%d'}|{id|hexof}|{amount|format,'%s'}", "01234.05|No.255|000000FF|"},
        {"大写：{amount|rmbof}", "大写：壹仟贰佰叁拾肆元零伍分"},
        {"{order.day|int2date} {order.excdt|date2int} {order.time|dateof,10} {order.time|timeof,5} "
         "{order.excdt|longdate} {order.excdt|shortdate} {order.excdt|smartdate}",
         "2011-03-15 20110315 2011-03-15 10:00 2011年3月15日 3月15日 3月15日"},
        {"[{order.missing|longdate}]", "[]"},
        {"<tpl:loop name=\"rows\">{ROWID|firstof,3,'[',''}{ROWID|laterof,3,'-',''}{name}{ROWID|lastof,3,']',','}"
         "</tpl:loop>",
         "[A,-B,C][D,"},
        {"<tpl:loop name=\"rows\"><tr class=\"{ROWID|oddif,'odd','even'}\">{ROWID|first,'*',''}{ROWID|later,'+',''}"
         "{ROWID|evenif,'e','o'}</tr></tpl:loop>",
         "<tr class=\"odd\">*o</tr><tr class=\"even\">+e</tr><tr class=\"odd\">+o</tr><tr class=\"even\">+e</tr>"},
        {"{state|equalif,'5','done','open'} {user|emptyif,'nobody'} {qty|moreif,stock,'short','ok'} "
         "{qty|lessif,stock,'fits','no'} {qty|numberif,'n','t'} {flag|iif,'Y','N'} {flag|unless,'Y','N'}",
         "done nobody short no n Y N"},
        {"{flag|valueinc,'草稿','待审核','已审核'} {k|valueof,'a','b'} [{k|valueof,'a'}]", "待审核 b []"},
        {"{a+b} {a-b} {a*b} {a&b} {a%b} {a%zero} {cost*a|round,2}", "10 2 24 4 2 NaN 15.00"},
        {"{cost*a} {cost*a|rmbof}", "15 壹拾伍元整"},
        {"{a|shout}", "unknown function shout"},
    };
    for (auto& row : rows)
        EXPECT_EQ(renderText(row[0]), row[1]) << row[0];
}
