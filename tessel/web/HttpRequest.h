#pragma once

#include <cstdint>
#include <map>

#include "tessel/core/Array.h"
#include "tessel/core/DateTime.h"
#include "tessel/core/IObject.h"
#include "tessel/core/PairEntry.h"
#include "tessel/core/String.h"
#include "tessel/web/HttpCookie.h"
#include "tessel/web/HttpSession.h"

namespace tessel {

// One HTTP request as the host decoded it: the request line, the client
// and server, headers and parameters in arrival order, cookies, and the
// visitor's session. The framework never parses HTTP itself; the host
// fills the record through the setters and the pages read it.
class HttpRequest : public IObject {
public:
    enum Flag {
        FLAG_SECURE = 1,
        FLAG_SESSION_ID_VALID = 2,
        FLAG_SESSION_ID_FROM_COOKIE = 4,
        FLAG_SESSION_ID_FROM_URL = 8,
    };

    HttpRequest();

    // The request line and the exchange.
    const String& getAuthType() const { return authType_; }
    void setAuthType(const String& text) { authType_ = text; }
    const String& getContextPath() const { return contextPath_; }
    void setContextPath(const String& text) { contextPath_ = text; }
    const String& getMethod() const { return method_; }
    void setMethod(const String& text) { method_ = text; }
    const String& getPathInfo() const { return pathInfo_; }
    void setPathInfo(const String& text) { pathInfo_ = text; }
    const String& getPathTranslated() const { return pathTranslated_; }
    void setPathTranslated(const String& text) { pathTranslated_ = text; }
    const String& getQueryString() const { return queryString_; }
    void setQueryString(const String& text) { queryString_ = text; }
    const String& getRequestedSessionId() const { return requestedSessionId_; }
    void setRequestedSessionId(const String& text) { requestedSessionId_ = text; }
    const String& getRemoteUser() const { return remoteUser_; }
    void setRemoteUser(const String& text) { remoteUser_ = text; }
    const String& getRequestURI() const { return requestURI_; }
    void setRequestURI(const String& text) { requestURI_ = text; }
    const String& getServletPath() const { return servletPath_; }
    void setServletPath(const String& text) { servletPath_ = text; }
    const String& getDocumentRoot() const { return documentRoot_; }
    void setDocumentRoot(const String& text) { documentRoot_ = text; }
    const String& getProtocol() const { return protocol_; }
    void setProtocol(const String& text) { protocol_ = text; }
    const String& getScheme() const { return scheme_; }
    void setScheme(const String& text) { scheme_ = text; }
    const String& getCharacterEncoding() const { return characterEncoding_; }
    void setCharacterEncoding(const String& text) { characterEncoding_ = text; }
    const String& getContentType() const { return contentType_; }
    void setContentType(const String& text) { contentType_ = text; }
    int getContentLength() const { return contentLength_; }
    void setContentLength(int length) { contentLength_ = length; }
    const DateTime& getRequestTime() const { return requestTime_; }
    void setRequestTime(const DateTime& time) { requestTime_ = time; }

    // The client and the server.
    const String& getRemoteAddr() const { return remoteAddr_; }
    void setRemoteAddr(const String& text) { remoteAddr_ = text; }
    const String& getRemoteHost() const { return remoteHost_; }
    void setRemoteHost(const String& text) { remoteHost_ = text; }
    int getRemotePort() const { return remotePort_; }
    void setRemotePort(int port) { remotePort_ = port; }
    const String& getServerName() const { return serverName_; }
    void setServerName(const String& text) { serverName_ = text; }
    int getServerPort() const { return serverPort_; }
    void setServerPort(int port) { serverPort_ = port; }

    // The flag bits (Flag).
    bool isSecure() const { return (flags_ & FLAG_SECURE) != 0; }
    bool isRequestedSessionIdValid() const { return (flags_ & FLAG_SESSION_ID_VALID) != 0; }
    bool isRequestedSessionIdFromCookie() const { return (flags_ & FLAG_SESSION_ID_FROM_COOKIE) != 0; }
    bool isRequestedSessionIdFromURL() const { return (flags_ & FLAG_SESSION_ID_FROM_URL) != 0; }
    int getFlags() const { return flags_; }
    void setFlag(Flag flag, bool on) { flags_ = on ? (flags_ | flag) : (flags_ & ~flag); }

    // Headers: names compare ignoring letter case.
    void addHeader(const String& name, const String& value);
    String getHeader(const String& name) const;
    int getIntHeader(const String& name) const;
    // The header as a date; a default DateTime when it is missing.
    DateTime getDateHeader(const String& name) const;
    // Every header name in arrival order (the array is emptied first).
    void getHeaderNames(Array<String>& out) const;

    // Parameters: names compare exactly, and a name may repeat.
    void addParameter(const String& name, const String& value);
    // The first value of that name; empty when there is none.
    String getParameter(const String& name) const;
    // Every value of that name in arrival order (the array is emptied first).
    void getParameter(const String& name, Array<String>& out) const;
    // Every name in arrival order, repeats included (emptied first).
    void getParameterNames(Array<String>& out) const;

    // Attributes: objects that live as long as the request.
    IObject* getAttribute(const String& name) const;
    // Stores a reference, releasing the object it replaces; a null object
    // removes the entry.
    void setAttribute(const String& name, IObject* object);
    void removeAttribute(const String& name);
    // The names in their order (emptied first).
    void getAttributeNames(Array<String>& out) const;

    // Cookies the request carried.
    void addCookie(HttpCookie* cookie);
    // Empties `out` and fills it with the request's cookies (the same
    // objects).
    void getCookies(Array<HttpCookie>& out) const;

    // The bound session; without one, a new session for the remote address
    // is created and bound.
    HttpSession& getSession();
    // Binds the session the host found (null unbinds).
    void setSession(HttpSession* session) { session_ = session; }
    // The bound session or null, without creating one.
    HttpSession* findSession() const { return session_.get(); }

    // A client address as a number: four dotted numbers a.b.c.d give
    // a*2^24 + b*2^16 + c*2^8 + d; an IPv4 address written in IPv6 form
    // ("::ffff:a.b.c.d") gives the same number; any other IPv6 address a
    // number folded from its text. 0 for an empty text.
    static uint32_t getAddress(const char16_t* address);

private:
    static String _findPair(const Array<PairEntry>& pairs, const String& name, bool ignoreCase);

    String authType_;
    String contextPath_;
    String method_;
    String pathInfo_;
    String pathTranslated_;
    String queryString_;
    String requestedSessionId_;
    String remoteUser_;
    String remoteAddr_;
    String remoteHost_;
    String requestURI_;
    String servletPath_;
    String documentRoot_;
    String protocol_;
    String scheme_;
    String serverName_;
    String characterEncoding_;
    String contentType_;
    Array<HttpCookie> cookies_;
    Array<PairEntry> headers_;
    Array<PairEntry> parameters_;
    std::map<String, Ref<IObject>> attributes_;
    Ref<HttpSession> session_;
    int remotePort_ = 0;
    int serverPort_ = 0;
    int contentLength_ = 0;
    DateTime requestTime_;
    int flags_ = 0;
};

} // namespace tessel
