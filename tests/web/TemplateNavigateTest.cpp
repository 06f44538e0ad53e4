// tpl:navigate: the "_navi" links of a paged list.
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateNavigateTest : public WebTest {
protected:
    static constexpr const char* LINKS = "{first}|{prior}|{next}|{last}|{page}";
    static constexpr const char* LIST = "<tpl:loop name=\"list\">{title}{current}={href};</tpl:loop>";

    std::string navigate(const std::string& attributes, const std::string& body = LINKS)
    {
        return renderText("<tpl:navigate " + attributes + ">" + body + "</tpl:navigate>");
    }
};

TEST_F(TemplateNavigateTest, SmartWithOnePageRendersNothing)
{
    set("total", "1");
    EXPECT_EQ(navigate("total=\"total\" smart=\"true\""), "");
    EXPECT_FALSE(data->exists(u"_navi"));
    data->remove(u"_navi");
    EXPECT_EQ(navigate("total=\"total\"", "{page}"), "1");
}

TEST_F(TemplateNavigateTest, WindowAroundTheCurrentPage)
{
    set("total", "12");
    set("SERVER.REQUEST_URI", "/list.htm?page=7");
    std::string out = navigate("total=\"total\" size=\"10\"", std::string(LINKS) + "#" + LIST);
    EXPECT_EQ(out,
              "/list.htm?page=1|/list.htm?page=6|/list.htm?page=8|/list.htm?page=12|7#"
              "3=/list.htm?page=3;4=/list.htm?page=4;5=/list.htm?page=5;6=/list.htm?page=6;"
              "7current=/list.htm?page=7;8=/list.htm?page=8;9=/list.htm?page=9;10=/list.htm?page=10;"
              "11=/list.htm?page=11;12=/list.htm?page=12;");
}

TEST_F(TemplateNavigateTest, FirstAndLastPagesHaveNoPriorOrNext)
{
    set("total", "3");
    set("SERVER.REQUEST_URI", "/l?page=1");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\""), "/l?page=1||/l?page=2|/l?page=3|1");
    data->remove(u"_navi");
    set("SERVER.REQUEST_URI", "/l?page=3");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\""), "/l?page=1|/l?page=2||/l?page=3|3");
}

TEST_F(TemplateNavigateTest, UriWithoutTheParameterGainsIt)
{
    set("total", "2");
    set("SERVER.REQUEST_URI", "/list.htm");
    EXPECT_EQ(navigate("total=\"total\"", "{first}"), "/list.htm?page=1");
    data->remove(u"_navi");
    set("SERVER.REQUEST_URI", "/list.htm?q=a");
    EXPECT_EQ(navigate("total=\"total\"", "{next}"), "/list.htm?q=a&page=2");
}

TEST_F(TemplateNavigateTest, ParameterMatchesOnlyAtAWordStart)
{
    set("total", "9");
    set("SERVER.REQUEST_URI", "/x?mypage=4&page=5&s=1");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\"", "{page}:{next}"), "5:/x?mypage=4&page=6&s=1");
    data->remove(u"_navi");
    set("SERVER.REQUEST_URI", "/x?pages=2");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\"", "{page}:{next}"), "1:/x?pages=2&page=2");
}

TEST_F(TemplateNavigateTest, PathStyleParameter)
{
    set("total", "9");
    set("SERVER.REQUEST_URI", "/list/page/3/view");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\"", "{page}:{prior}"), "3:/list/page/2/view");
}

TEST_F(TemplateNavigateTest, OwnPageParameterName)
{
    set("total", "9");
    set("SERVER.REQUEST_URI", "/list?p=4");
    EXPECT_EQ(navigate("total=\"total\" page=\"p\" size=\"0\"", "{page}:{next}"), "4:/list?p=5");
}

TEST_F(TemplateNavigateTest, UrlPatternTakesThePageFromTheQuery)
{
    set("total", "9");
    set("GET.page", "4");
    EXPECT_EQ(navigate("total=\"total\" url=\"go.htm?n=%d&amp;x=100%%\" size=\"2\"", std::string("{next}#") + LIST),
              "go.htm?n=5&amp;x=100%#4current=go.htm?n=4&amp;x=100%;5=go.htm?n=5&amp;x=100%;");
}

TEST_F(TemplateNavigateTest, UrlWithoutPatternIsSearchedLikeTheUri)
{
    set("total", "9");
    EXPECT_EQ(navigate("total=\"total\" url=\"list.htm?page=2\" size=\"0\"", "{page}:{next}"), "2:list.htm?page=3");
}

TEST_F(TemplateNavigateTest, PercentSignsOfTheUriStayAsTheyAre)
{
    set("total", "3");
    set("SERVER.REQUEST_URI", "/find?q=%25d%s%n%x&page=2");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\"", "{next}"), "/find?q=%25d%s%n%x&page=3");
    data->remove(u"_navi");
    set("SERVER.REQUEST_URI", "/find?q=%d%");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\"", "{next}"), "/find?q=%d%&page=2");
}

TEST_F(TemplateNavigateTest, VisitorUriCannotBreakOutOfAnAttribute)
{
    set("total", "3");
    set("SERVER.REQUEST_URI", "/l?x=\"><script>'`&page=1");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\"", "<a href=\"{next}\">"),
              "<a href=\"/l?x=%22%3E%3Cscript%3E%27%60&page=2\">");
}

TEST_F(TemplateNavigateTest, LaterNavigatorsReuseTheFirst)
{
    set("total", "5");
    set("SERVER.REQUEST_URI", "/l?page=2");
    EXPECT_EQ(renderText("<tpl:navigate total=\"total\">{page}</tpl:navigate>"
                         "<tpl:navigate total=\"total\" url=\"other?%d\">{first}</tpl:navigate>"),
              "2/l?page=1");
}

TEST_F(TemplateNavigateTest, PageBelowOneIsOne)
{
    set("total", "5");
    set("SERVER.REQUEST_URI", "/l?page=0");
    EXPECT_EQ(navigate("total=\"total\" size=\"0\"", "{page}{prior}"), "1");
}

TEST_F(TemplateNavigateTest, WindowIsNotShiftedBackNearTheEnd)
{
    set("total", "5");
    set("SERVER.REQUEST_URI", "/l?page=5");
    EXPECT_EQ(navigate("total=\"total\" size=\"4\"", "<tpl:loop name=\"list\">{title}</tpl:loop>"), "45");
}

TEST_F(TemplateNavigateTest, TotalIsRequiredAndSelfClosedIsDropped)
{
    EXPECT_EQ(renderText("a<tpl:navigate size=\"3\">b</tpl:navigate>"), "<failed>");
    EXPECT_EQ(renderText("a<tpl:navigate total=\"t\" />b"), "ab");
}

TEST_F(TemplateNavigateTest, WithoutDataTheLinksStillRender)
{
    page("n", "<tpl:navigate total=\"'2'\" url=\"p%d\">{next}</tpl:navigate>");
    start();
    EXPECT_EQ(written([&](TextWriter& out) { return context->render(u"n", nullptr, out); }), "p2");
}

} // namespace
