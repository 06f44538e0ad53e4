#include "host/VisitorSession.h"

#include "tessel/web/HttpCookie.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"

#include "host/CookieHeader.h"
#include "host/HeaderValue.h"
#include "host/HostRequest.h"
#include "host/Utf8.h"

namespace host {

namespace {

const tessel::String* fieldOf(const std::vector<FormField>& fields, const tessel::String& name)
{
    for (const FormField& field : fields) {
        if (field.name == name)
            return &field.value;
    }
    return nullptr;
}

} // namespace

bool VisitorSession::isIdText(const std::string& text)
{
    if (text.empty() || text.size() > static_cast<size_t>(MAX_ID_LENGTH))
        return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

tessel::String VisitorSession::requestedId(const HostRequest& request, bool& fromCookie)
{
    const std::string name = Utf8::encode(tessel::HttpSession::getIdName());
    fromCookie = true;
    for (const HostRequest::Header& header : request.headers) {
        if (!HeaderValue::equalsIgnoreCase(header.first, "Cookie"))
            continue;
        for (const CookieHeader::Cookie& cookie : CookieHeader::parse(header.second)) {
            if (cookie.name == name && isIdText(cookie.value))
                return Utf8::decode(cookie.value);
        }
    }
    fromCookie = false;
    const tessel::String* field = fieldOf(request.query, tessel::HttpSession::getIdName());
    if (!field)
        field = fieldOf(request.form, tessel::HttpSession::getIdName());
    if (field && isIdText(Utf8::encode(*field)))
        return *field;
    return tessel::String();
}

tessel::HttpSession* VisitorSession::find(const HostRequest& request)
{
    bool fromCookie = false;
    tessel::String id = requestedId(request, fromCookie);
    if (id.empty())
        return nullptr;
    tessel::String address = Utf8::decode(request.remoteAddress);
    return tessel::HttpSession::getSessionById(id, address.c_str());
}

bool VisitorSession::bind(tessel::HttpRequest& target, const HostRequest& request)
{
    bool fromCookie = false;
    tessel::String id = requestedId(request, fromCookie);
    target.setRequestedSessionId(id);
    target.setFlag(tessel::HttpRequest::FLAG_SESSION_ID_FROM_COOKIE, !id.empty() && fromCookie);
    target.setFlag(tessel::HttpRequest::FLAG_SESSION_ID_FROM_URL, !id.empty() && !fromCookie);
    tessel::HttpSession* found = id.empty() ? nullptr
                                            : tessel::HttpSession::getSessionById(id, target.getRemoteAddr().c_str());
    target.setFlag(tessel::HttpRequest::FLAG_SESSION_ID_VALID, found != nullptr);
    if (found)
        target.setSession(found);
    else
        target.getSession(); // a new one for the client's address
    return found != nullptr;
}

std::string VisitorSession::cookieOf(const tessel::HttpSession& session)
{
    tessel::HttpCookie cookie(tessel::HttpSession::getIdName(), session.getId());
    cookie.setPath(u"/");
    cookie.setHttpOnly(true);
    cookie.setSameSite(u"Lax");
    return Utf8::encode(cookie.toString());
}

} // namespace host
