#pragma once

#include "tessel/core/Array.h"
#include "tessel/core/DateTime.h"
#include "tessel/core/IObject.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/PairEntry.h"
#include "tessel/core/String.h"
#include "tessel/web/HttpCookie.h"

namespace tessel {

// What a page answers: status, headers, cookies and content type, and the
// stream the body goes to. The host binds the stream, runs the page and
// sends what the record holds. Once an error or a redirect is sent the
// response is committed and those two, like reset, change nothing more.
//
// No header name or value may carry a carriage return, a line feed or a
// NUL: such headers and redirects are refused, so page data can never
// start a header or a body of its own.
class HttpResponse : public IObject {
public:
    HttpResponse() = default;

    // Status code and the reason phrase that goes with it.
    void setStatus(int code);
    int getStatus() const { return status_; }
    const String& getStatusMessage() const { return statusMessage_; }
    // Only while not committed: the status with `message` (the reason
    // phrase when empty or not fit for a status line); then committed.
    void sendError(int code, const String& message = String());
    // Only while not committed: "Location" as the first header, status
    // 302; then committed. False when committed or the URL is refused.
    bool sendRedirect(const String& url);

    // Headers in insertion order; names compare ignoring letter case. The
    // add and set operations are false for an empty name and for a name or
    // value with a line break or a NUL, which are not stored.
    bool addHeader(const String& name, const String& value);
    // Replaces the value of the first header of that name, else appends.
    bool setHeader(const String& name, const String& value);
    bool addIntHeader(const String& name, int value);
    bool setIntHeader(const String& name, int value);
    bool addDateHeader(const String& name, const DateTime& value);
    bool setDateHeader(const String& name, const DateTime& value);
    bool containsHeader(const String& name) const;
    // The value of the first header of that name; empty when none.
    String getHeader(const String& name) const;
    const Array<PairEntry>& getHeaders() const { return headers_; }
    void clearHeaders() { headers_.clear(); }

    void addCookie(HttpCookie* cookie);
    const Array<HttpCookie>& getCookies() const { return cookies_; }

    // Only while not committed: no cookies or headers, status 200, content
    // type "text/html", content length 0.
    void reset();
    void resetBuffer() {}

    const String& getContentType() const { return contentType_; }
    // The type goes into a header as well: one with a line break or a NUL
    // is refused and the type stays as it was.
    bool setContentType(const String& type);
    int getContentLength() const { return contentLength_; }
    void setContentLength(int length) { contentLength_ = length; }
    int getBufferSize() const { return bufferSize_; }
    void setBufferSize(int size) { bufferSize_ = size; }
    bool isCommitted() const { return committed_; }

    // The stream the body is written to; null until the host binds one.
    IOutputStream* getOutputStream() const { return output_.get(); }
    void setOutputStream(IOutputStream* stream) { output_ = stream; }
    void flushBuffer();

    // Session ids never go into URLs: both give the URL unchanged.
    String encodeURL(const String& url) const { return url; }
    String encodeRedirectURL(const String& url) const { return url; }

    // The reason phrase of a status code; "No Reason" for codes without one.
    static const char16_t* getReasonPhrase(int code);
    // Whether the text can stand in a header: no carriage return, line
    // feed or NUL.
    static bool isHeaderSafe(const String& text);

private:
    bool _acceptHeader(const String& name, const String& value) const;

    Array<HttpCookie> cookies_;
    Array<PairEntry> headers_;
    String contentType_;
    String statusMessage_{u"Ok"};
    Ref<IOutputStream> output_;
    int status_ = 200;
    int contentLength_ = 0;
    int bufferSize_ = 8192;
    bool committed_ = false;
};

} // namespace tessel
