#pragma once

#include <string>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "host/HostResponse.h"

class IDbSession;

namespace tessel {
class HttpAction;
class HttpContext;
class HttpRequest;
class HttpResponse;
class HttpSession;
class MemoryStream;
class PageInfo;
class TextWriter;
} // namespace tessel

namespace host {

class AnonymousSessions;
class HostRequest;

// One page request, from the decoded request to the answer:
//   1. the framework's request, response and writer (in the page's
//      charset); the visitor's session, found or new, and its own
//      database session (VisitorDatabase), whose queries share one read
//      transaction until the answer is made (IDbSession::beginReads)
//   2. a page guarded by a login page: checkRight, or a redirect to the
//      login page ("!" for an unknown one: 403)
//   3. dispatch; bind request, response, writer, context, page id and
//      database session; fill GET, POST, FORM, SERVER; hand over the
//      uploads; initAction; execute
//   4. unless the action answered itself (a short text, a redirect or
//      error, a stream), render the page's template
//   5. release the action; a signed-in session keeps a database opened
//      during the request; a visitor who signed in during the request gets
//      a new session id, a new session that did not sign in is counted
//      among the anonymous ones, and any id the browser does not hold yet
//      goes out in the session cookie
// A page that asks for a password check (PasswordChecker) gives no answer:
// the server checks and runs the exchange again, and a session made by
// the first run is dropped.
class PageExchange {
public:
    static const tessel::String& signedInAttribute(); // "company"

    PageExchange(tessel::HttpContext& context, const tessel::PageInfo& page, HostRequest& request,
                 const tessel::String& dataFolder, AnonymousSessions& anonymous);
    ~PageExchange();
    PageExchange(const PageExchange&) = delete;
    PageExchange& operator=(const PageExchange&) = delete;

    HostResponse run();

private:
    void prepare();
    bool mayEnter();
    HostResponse refusal() const;
    bool createAction();
    void bindAction();
    void handUploads();
    bool answeredDirectly() const;
    HostResponse directAnswer();
    HostResponse renderedPage();
    const tessel::PageInfo& shownPage(tessel::PageInfo& forwarded) const;
    // The response as far as the action shaped it, over a default type.
    HostResponse framed(const std::string& defaultType) const;
    std::string output() const;
    void finishSession(HostResponse& response);
    void logFailure(const std::string& what) const;

    tessel::HttpContext& context_;
    const tessel::PageInfo& page_;
    HostRequest& host_;
    const tessel::String& dataFolder_;
    AnonymousSessions& anonymous_;
    // Declared in the order they are made; the action, made last, goes
    // first, while everything it was bound to still exists.
    tessel::Ref<tessel::HttpRequest> request_;
    tessel::Ref<tessel::HttpSession> session_;
    tessel::Ref<IDbSession> database_;
    tessel::Ref<tessel::MemoryStream> output_;
    tessel::Ref<tessel::HttpResponse> response_;
    tessel::Ref<tessel::TextWriter> writer_;
    tessel::Ref<tessel::HttpAction> action_;
    bool signedIn_ = false;
    bool sessionFound_ = false;  // the request named a live session
    bool freshDatabase_ = false; // made for this request, not yet the session's
};

} // namespace host
