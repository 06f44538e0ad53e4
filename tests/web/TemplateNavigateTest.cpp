// tpl:navigate: the "_navi" links of a paged list.
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateNavigateTest : public WebTest {};

constexpr const char* LINKS = "{first}|{prior}|{next}|{last}|{page}";
constexpr const char* LIST = "<tpl:loop name=\"list\">{title}{current}={href};</tpl:loop>";

TEST_F(TemplateNavigateTest, LinksFromTheRequestUriOrAPattern)
{
    struct Row {
        const char* total;
        const char* uri; // SERVER.REQUEST_URI, or GET.page when it starts with "#"
        std::string attributes;
        std::string body;
        const char* expected;
    } rows[] = {
        {"12", "/list.htm?page=7", "size=\"10\"", std::string(LINKS) + "#" + LIST,
         "/list.htm?page=1|/list.htm?page=6|/list.htm?page=8|/list.htm?page=12|7#"
         "3=/list.htm?page=3;4=/list.htm?page=4;5=/list.htm?page=5;6=/list.htm?page=6;"
         "7current=/list.htm?page=7;8=/list.htm?page=8;9=/list.htm?page=9;10=/list.htm?page=10;"
         "11=/list.htm?page=11;12=/list.htm?page=12;"},
        {"3", "/l?page=1", "size=\"0\"", LINKS, "/l?page=1||/l?page=2|/l?page=3|1"},
        {"3", "/l?page=3", "size=\"0\"", LINKS, "/l?page=1|/l?page=2||/l?page=3|3"},
        {"1", "", "", "{page}", "1"},
        {"2", "/list.htm", "", "{first}", "/list.htm?page=1"},
        {"2", "/list.htm?q=a", "", "{next}", "/list.htm?q=a&page=2"},
        {"9", "/x?mypage=4&page=5&s=1", "size=\"0\"", "{page}:{next}", "5:/x?mypage=4&page=6&s=1"},
        {"9", "/x?pages=2", "size=\"0\"", "{page}:{next}", "1:/x?pages=2&page=2"},
        {"9", "/list/page/3/view", "size=\"0\"", "{page}:{prior}", "3:/list/page/2/view"},
        {"9", "/list?p=4", "page=\"p\" size=\"0\"", "{page}:{next}", "4:/list?p=5"},
        {"9", "#4", "url=\"go.htm?n=%d&amp;x=100%%\" size=\"2\"", std::string("{next}#") + LIST,
         "go.htm?n=5&amp;x=100%#4current=go.htm?n=4&amp;x=100%;5=go.htm?n=5&amp;x=100%;"},
        {"9", "", "url=\"list.htm?page=2\" size=\"0\"", "{page}:{next}", "2:list.htm?page=3"},
        // Percent signs of the URI are no format, and stay as they are.
        {"3", "/find?q=%25d%s%n%x&page=2", "size=\"0\"", "{next}", "/find?q=%25d%s%n%x&page=3"},
        {"3", "/find?q=%d%", "size=\"0\"", "{next}", "/find?q=%d%&page=2"},
        {"3", "/l?x=\"><script>'`&page=1", "size=\"0\"", "<a href=\"{next}\">",
         "<a href=\"/l?x=%22%3E%3Cscript%3E%27%60&page=2\">"},
        {"5", "/l?page=0", "size=\"0\"", "{page}{prior}", "1"},
        {"5", "/l?page=5", "size=\"4\"", "<tpl:loop name=\"list\">{title}</tpl:loop>", "45"}, // not shifted back
    };
    for (const Row& row : rows) {
        data = new Value();
        set("total", row.total);
        if (row.uri[0] == '#')
            set("GET.page", row.uri + 1);
        else if (row.uri[0])
            set("SERVER.REQUEST_URI", row.uri);
        EXPECT_EQ(renderText("<tpl:navigate total=\"total\" " + row.attributes + ">" + row.body + "</tpl:navigate>"),
                  row.expected)
            << row.uri << " " << row.attributes;
    }
}

TEST_F(TemplateNavigateTest, SmartReuseRequiredTotalAndNoData)
{
    set("total", "1");
    EXPECT_EQ(renderText("<tpl:navigate total=\"total\" smart=\"true\">{page}</tpl:navigate>"), "");
    EXPECT_FALSE(data->exists(u"_navi")) << "smart with one page renders nothing";
    set("total", "5");
    set("SERVER.REQUEST_URI", "/l?page=2");
    EXPECT_EQ(renderText("<tpl:navigate total=\"total\">{page}</tpl:navigate>"
                         "<tpl:navigate total=\"total\" url=\"other?%d\">{first}</tpl:navigate>"),
              "2/l?page=1")
        << "later navigators reuse the first";
    EXPECT_EQ(renderText("a<tpl:navigate size=\"3\">b</tpl:navigate>"), "<failed>");
    EXPECT_EQ(renderText("a<tpl:navigate total=\"t\" />b"), "ab");
    page("n", "<tpl:navigate total=\"'2'\" url=\"p%d\">{next}</tpl:navigate>");
    EXPECT_EQ(written([&](TextWriter& out) { return context->render(u"n", nullptr, out); }), "p2");
}

} // namespace
