// The application of the host's end-to-end tests: a handful of pages that
// exercise what the host hands an action (request, response, writer,
// session, database session, uploads, the window) without the business
// application's own pages. A visitor signs in by opening a database named
// in the form; the rights check then lets the session through.
#include "tessel/core/MemoryStream.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpCookie.h"
#include "tessel/web/HttpDispatcher.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpResponse.h"
#include "tessel/web/HttpSession.h"
#include "tessel/web/HttpUpload.h"
#include "tessel/web/HttpWindow.h"

#include "dbdriver/IDbSession.h"

using namespace tessel;

namespace {

const char16_t* const COMPANY = u"company";

HttpWindow* window = nullptr;

class TestAction : public HttpAction {
public:
    String getClassName() const override { return u"TestAction"; }

    // A field named "reject" is turned away before the page sees it.
    bool tryUpload(HttpUpload& upload) override { return upload.getName() != u"reject"; }

    void execute() override
    {
        const String& page = getPageId();
        if (page == u"signin")
            signIn();
        else if (page == u"signout")
            signOut();
        else if (page == u"whoami")
            whoAmI();
        else if (page == u"settings")
            settings();
        else if (page == u"upload")
            upload();
        else if (page == u"stream")
            stream();
        else if (page == u"redirect")
            getResponse().sendRedirect(u"/open.htm");
        else if (page == u"view")
            setView(u"other");
        else if (page == u"headers")
            headers();
        else if (page == u"forward")
            setForward(u"open");
    }

private:
    void signIn()
    {
        String name = getValue()->getAt(u"FORM.db");
        IDbSession* db = getDbSession();
        if (!db || !db->open(name)) {
            setError(u"failed");
            return;
        }
        Ref<Value> company = new Value();
        company->insert(u"name", name);
        company->insert(u"company", String(u"Company ") + name);
        getRequest().getSession().setAttribute(COMPANY, company);
        if (window) {
            window->postEvent(100, 0);
            window->setSetting(u"dbname", name);
        }
        setError(String());
    }

    void signOut()
    {
        getRequest().getSession().invalidate();
        setError(String());
    }

    void whoAmI()
    {
        IDbSession* db = getDbSession();
        String name, note;
        getValue()->insert(u"db", db->getName(name));
        getValue()->insert(u"note", db->queryString(note, u"SELECT note FROM notes"));
    }

    void settings()
    {
        String name;
        if (window)
            window->getSetting(u"dbname", name);
        getValue()->insert(u"dbname", name);
    }

    void upload()
    {
        getValue()->insert(u"count", static_cast<int>(getUploads().size()));
        HttpUpload* file = getUpload(u"file");
        if (!file)
            return;
        getValue()->insert(u"name", file->getFileName());
        getValue()->insert(u"size", static_cast<int>(file->getSize()));
        getValue()->insert(u"path", file->getFullPath());
        Ref<IInputStream> in;
        String text;
        if (file->open(in.out()) && in->toString(text, 65001))
            getValue()->insert(u"text", text);
        if (in)
            in->close();
    }

    void stream()
    {
        static const char CSV[] = "a,b\n1,2\n";
        getResponse().setContentType(u"text/csv");
        getResponse().setHeader(u"Content-Disposition", u"attachment; filename=\"list.csv\"");
        sendStream(new MemoryStream(const_cast<char*>(CSV), sizeof CSV - 1, false));
    }

    void headers()
    {
        HttpResponse& response = getResponse();
        response.addHeader(u"X-Plain", u"1");
        response.addHeader(u"X-Split", u"a\r\nX-Injected: 1");
        response.addHeader(u"Content-Length", u"3");
        response.addCookie(new HttpCookie(u"taste", u"sweet\r\nX-Injected: 2"));
        getValue()->insert(u"said", u"headers");
    }
};

class TestDispatcher : public HttpDispatcher {
public:
    bool dispatch(const String& page, HttpAction** out) override
    {
        if (page == u"noaction")
            return false;
        Ref<HttpAction> action = new TestAction();
        *out = action.detach();
        return true;
    }

    // The signed-in company's tree is what the pages see as "SESSION".
    void initAction(HttpAction& action) override
    {
        auto* company = dynamic_cast<Value*>(action.getRequest().getSession().getAttribute(COMPANY));
        if (company)
            action.getValue()->insert(u"SESSION")->mergeWith(company);
    }

    bool checkRight(HttpRequest& request) override { return request.getSession().hasAttribute(COMPANY); }
    bool createFunction(const String&, HttpFunction**) override { return false; }
    bool onTimer(int& interval) override
    {
        interval = 60000;
        return true;
    }
};

} // namespace

extern "C" HttpDispatcher* LoadDispatcher(HttpContext*, HttpWindow* hostWindow)
{
    window = hostWindow;
    HttpDispatcher* dispatcher = new TestDispatcher();
    dispatcher->AddRef();
    return dispatcher;
}
