#include <gtest/gtest.h>

#include "tessel/web/PageInfo.h"

#include "host/PageView.h"

using host::PageView;

namespace {

tessel::PageInfo pageOf(const char16_t* charset, const char16_t* pagetype)
{
    tessel::PageInfo page;
    page.charset = charset;
    page.pagetype = pagetype;
    return page;
}

} // namespace

TEST(PageOutput, IsUtf8HtmlUnlessThePageSaysOtherwise)
{
    EXPECT_EQ(PageView::charsetOf(pageOf(u"", u"")), 65001);
    EXPECT_EQ(PageView::contentTypeOf(pageOf(u"", u"")), "text/html; charset=utf-8");
}

TEST(PageOutput, TakesThePagesCharsetAndType)
{
    EXPECT_EQ(PageView::charsetOf(pageOf(u"gb2312", u"")), 936);
    EXPECT_EQ(PageView::contentTypeOf(pageOf(u"gb2312", u"")), "text/html; charset=gb2312");
    EXPECT_EQ(PageView::contentTypeOf(pageOf(u"", u"application/vnd.ms-excel")), "application/vnd.ms-excel");
    EXPECT_EQ(PageView::contentTypeOf(pageOf(u"", u"text/xml; charset=utf-8")), "text/xml; charset=utf-8");
}

TEST(PageOutput, GivesATextTypeWithoutACharsetThePagesOne)
{
    EXPECT_EQ(PageView::contentTypeOf(pageOf(u"utf-8", u"text/plain")), "text/plain; charset=utf-8");
}

TEST(PageOutput, AnUnknownCharsetFallsBackToUtf8)
{
    EXPECT_EQ(PageView::charsetOf(pageOf(u"klingon", u"")), 65001);
    EXPECT_EQ(PageView::contentTypeOf(pageOf(u"klingon", u"")), "text/html; charset=utf-8");
}
