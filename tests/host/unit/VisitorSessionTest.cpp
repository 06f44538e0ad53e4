#include <gtest/gtest.h>

#include "tessel/web/HttpSession.h"

#include "Text.h"
#include "host/HostRequest.h"
#include "host/VisitorSession.h"

using host::HostRequest;
using host::VisitorSession;

namespace {

std::string requested(const HostRequest& request, bool& fromCookie)
{
    return text(VisitorSession::requestedId(request, fromCookie));
}

} // namespace

TEST(VisitorSessionIds, TheCookieNamesTheSessionBeforeAnyField)
{
    HostRequest request;
    request.query.push_back({u"CSESSIONID", u"bbbb"});
    request.headers.emplace_back("Cookie", "theme=dark; CSESSIONID=aaaa");
    bool fromCookie = false;
    EXPECT_EQ(requested(request, fromCookie), "aaaa");
    EXPECT_TRUE(fromCookie);
    request.headers.clear();
    EXPECT_EQ(requested(request, fromCookie), "bbbb");
    EXPECT_FALSE(fromCookie);
    request.query.clear();
    request.form.push_back({u"CSESSIONID", u"cccc"});
    EXPECT_EQ(requested(request, fromCookie), "cccc");
}

TEST(VisitorSessionIds, OnlyShortHexadecimalTextCanBeAnId)
{
    bool fromCookie = false;
    for (const std::string& id : {std::string("ABCD"), std::string("12 34"), std::string("../x"), std::string("a'b"),
                                  std::string(VisitorSession::MAX_ID_LENGTH + 1, 'a')}) {
        HostRequest request;
        request.headers.emplace_back("Cookie", "CSESSIONID=" + id);
        EXPECT_EQ(requested(request, fromCookie), "") << id;
    }
}
