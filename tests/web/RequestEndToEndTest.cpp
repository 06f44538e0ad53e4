// A request end to end: a host-like harness builds the request and the
// response, binds the session from its cookie, lets the context check,
// dispatch and initialise, runs the action and renders its page, the way
// the host program does.
#include <gtest/gtest.h>

#include <string>

#include "WebTestSupport.h"
#include "support/ActionBinding.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpCookie.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpResponse.h"
#include "tessel/web/HttpSession.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

const char* const CONFIG = R"(<?xml version="1.0"?>
<config>
  <login id="main" page="Login"/>
  <page id="Login" title="登录"/>
  <page id="OrderView" title="订单" login="main"/>
</config>
)";

const char* const MESSAGES = R"([OrderViewAction]
welcome = 欢迎光临
notfound = 没有这张订单
[Common]
unknown = 未知的命令
)";

const char* const ORDER_PAGE = "<title>{SESSION.company|htmlencode}</title>"
                               "<h1>{order.title|htmlencode}</h1><p>{notice}</p>"
                               "<p>{order.amount|rmbof}</p><p>{order.excdt|longdate}</p>"
                               "<table><tpl:include block=\"1\"/></table>";

const char* const ORDER_LINES = "<tpl:loop name=\"lines\"><tr class=\"{ROWID|oddif,'odd','even'}\">"
                                "<td>{prdnm}</td><td>{qunty|round,2}</td></tr></tpl:loop>";

// Signs the visitor in: the company tree becomes a session attribute.
class LoginAction : public HttpAction {
public:
    String getClassName() const override { return u"LoginAction"; }
    void execute() override
    {
        Ref<Value> company = new Value();
        company->insert(u"company", u"<华东商贸>");
        getRequest().getSession().setAttribute(u"company", company);
        setError(u"");
    }
};

class OrderViewAction : public HttpAction {
public:
    String getClassName() const override { return u"OrderViewAction"; }
    void execute() override
    {
        Value* data = getValue();
        String command = data->getAt(u"FORM.cmd");
        if (command.empty()) {
            data->insert(u"order.title", u"办公用品 & 纸张");
            data->insert(u"order.amount", u"1234.05");
            data->insert(u"order.excdt", u"2011-03-15");
            data->insert(u"lines.001.prdnm", u"复印纸");
            data->insert(u"lines.001.qunty", u"12.5");
            data->insert(u"lines.002.prdnm", u"订书机");
            data->insert(u"lines.002.qunty", u"3");
            data->insert(u"notice", getMessage(u"welcome"));
            setView(u"OrderLines");
        } else if (command == u"delete") {
            setError(u"notfound");
        } else {
            setError(u"Common.unknown");
        }
    }
};

// The application's side: two pages, the company tree under "SESSION",
// and rights for signed-in visitors only.
class ShopDispatcher : public HttpDispatcher {
public:
    bool dispatch(const String& page, HttpAction** out) override
    {
        HttpAction* action = nullptr;
        if (page == u"Login")
            action = new LoginAction();
        else if (page == u"OrderView")
            action = new OrderViewAction();
        if (!action)
            return false;
        action->AddRef();
        *out = action;
        return true;
    }
    void initAction(HttpAction& action) override
    {
        Value* company = dynamic_cast<Value*>(action.getRequest().getSession().getAttribute(u"company"));
        if (company)
            action.getValue()->insert(u"SESSION")->mergeWith(company);
    }
    bool checkRight(HttpRequest& request) override { return request.getSession().hasAttribute(u"company"); }
    bool createFunction(const String&, HttpFunction**) override { return false; }
    bool onTimer(int&) override { return false; }
};

// What the browser gets back.
struct Answer {
    int status = 0;
    std::string body;
    std::string location;
    std::string sessionCookie; // the Set-Cookie value of the session cookie
    std::string sessionId;
};

class RequestEndToEnd : public WebTest {
protected:
    void SetUp() override
    {
        WebTest::SetUp();
        HttpSession::gc(true);
        context = new HttpContext(new ShopDispatcher());
        files->put("config.xml", CONFIG);
        files->put("message.ini", MESSAGES);
        page("OrderView", ORDER_PAGE);
        page("OrderLines", ORDER_LINES);
        start();
    }
    void TearDown() override { HttpSession::gc(true); }

    // One request for `page` from the client at 10.0.0.5, carrying the
    // session cookie when there is one.
    Answer visit(const std::string& page, const std::string& query = "", const std::string& sessionId = "")
    {
        Ref<HttpRequest> request = new HttpRequest();
        request->setRemoteAddr(u"10.0.0.5");
        request->setRequestURI(u16("/" + page + ".htm" + (query.empty() ? "" : "?" + query)));
        request->setQueryString(u16(query));
        if (!sessionId.empty())
            request->addCookie(new HttpCookie(HttpSession::getIdName(), u16(sessionId)));

        Ref<HttpResponse> response = new HttpResponse();
        Ref<MemoryStream> body = new MemoryStream();
        response->setOutputStream(body);
        serve(u16(page), *request, *response);

        Answer answer;
        answer.status = response->getStatus();
        answer.body.assign(body->getBuffer() ? body->getBuffer() : "", static_cast<size_t>(body->getSize()));
        answer.location = response->getHeader(u"Location").toStdString();
        for (int i = 0; i < response->getCookies().size(); i++) {
            HttpCookie* cookie = response->getCookies()[i];
            if (cookie->getName() == HttpSession::getIdName()) {
                answer.sessionCookie = cookie->toString().toStdString();
                answer.sessionId = cookie->getValue().toStdString();
            }
        }
        if (answer.sessionId.empty())
            answer.sessionId = sessionId;
        return answer;
    }

    // The host's steps for one page request.
    void serve(const String& page, HttpRequest& request, HttpResponse& response)
    {
        bindSession(request, response);
        PageInfo* info = context->getPageInfo(page, false);
        if (!info) {
            response.sendError(404);
            return;
        }
        if (!info->login.empty() && !context->checkRight(request)) {
            response.sendRedirect(u"login.htm");
            return;
        }
        Ref<HttpAction> action;
        if (!context->dispatch(page, action.out())) {
            response.sendError(404);
            return;
        }
        Ref<TextWriter> writer = new TextWriter(response.getOutputStream(), 65001);
        tessel::testing::ActionBinding::bind(*action, request, response, writer, context, page);
        Value* data = action->getValue();
        HttpAction::parseQuery(request.getQueryString(), data->insert(u"GET"));
        HttpAction::parseQuery(request.getQueryString(), data->insert(u"FORM"));
        data->insert(u"SERVER.REQUEST_URI", request.getRequestURI());

        bool signedIn = request.getSession().hasAttribute(u"company");
        context->initAction(*action);
        action->execute();
        if (!signedIn && request.getSession().hasAttribute(u"company")) {
            // A sign-in: the id the visitor had before is worth nothing now.
            request.getSession().renew();
            sendSessionCookie(request.getSession(), response);
        }
        response.setContentType(u"text/html; charset=utf-8");
        if (!action->isAnswered() && !context->render(page, data, *writer))
            response.sendError(500);
    }

    void bindSession(HttpRequest& request, HttpResponse& response)
    {
        Array<HttpCookie> cookies;
        request.getCookies(cookies);
        for (int i = 0; i < cookies.size(); i++)
            if (cookies[i]->getName() == HttpSession::getIdName())
                request.setSession(HttpSession::getSessionById(cookies[i]->getValue(), request.getRemoteAddr()));
        if (!request.findSession())
            sendSessionCookie(request.getSession(), response);
    }

    static void sendSessionCookie(HttpSession& session, HttpResponse& response)
    {
        Ref<HttpCookie> cookie = new HttpCookie(HttpSession::getIdName(), session.getId());
        cookie->setPath(u"/");
        cookie->setHttpOnly(true);
        cookie->setSameSite(u"Lax");
        response.addCookie(cookie);
    }
};

TEST_F(RequestEndToEnd, AStrangerIsSentToSignInAndSigningInRenewsTheSession)
{
    Answer stranger = visit("OrderView");
    EXPECT_EQ(302, stranger.status);
    EXPECT_EQ("login.htm", stranger.location);
    EXPECT_EQ("", stranger.body);
    EXPECT_EQ(32u, stranger.sessionId.size());
    EXPECT_EQ("CSESSIONID=" + stranger.sessionId + "; Path=/; HttpOnly; SameSite=Lax", stranger.sessionCookie);
    EXPECT_EQ(404, visit("Nowhere").status);

    std::string planted = stranger.sessionId;
    Answer login = visit("Login", "", planted);
    EXPECT_EQ(200, login.status);
    EXPECT_EQ("ok:", login.body);
    EXPECT_NE(planted, login.sessionId) << "a new id after the sign-in";
    EXPECT_EQ(302, visit("OrderView", "", planted).status) << "the planted id signs nobody in";
    ASSERT_NE(nullptr, HttpSession::getSessionById(u16(login.sessionId), u"10.0.0.5"));
    EXPECT_EQ(nullptr, HttpSession::getSessionById(u16(login.sessionId), u"10.0.0.6")) << "bound to its address";
}

TEST_F(RequestEndToEnd, ThePageRendersTheActionsTreeAndCommandsAnswerWithMessages)
{
    std::string session = visit("Login").sessionId;
    Answer answer = visit("OrderView", "", session);
    EXPECT_EQ(200, answer.status);
    EXPECT_EQ("", answer.sessionCookie) << "a known session sets no cookie";
    EXPECT_EQ("<title>&lt;华东商贸&gt;</title>"
              "<h1>办公用品 &amp; 纸张</h1><p>欢迎光临</p>"
              "<p>壹仟贰佰叁拾肆元零伍分</p><p>2011年3月15日</p>"
              "<table><tr class=\"odd\"><td>复印纸</td><td>12.50</td></tr>"
              "<tr class=\"even\"><td>订书机</td><td>3.00</td></tr></table>",
              answer.body);
    EXPECT_EQ("没有这张订单", visit("OrderView", "cmd=delete", session).body);
    EXPECT_EQ("未知的命令", visit("OrderView", "cmd=archive", session).body);
}

} // namespace
