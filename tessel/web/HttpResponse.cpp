#include "tessel/web/HttpResponse.h"

namespace tessel {

namespace {

struct Reason {
    int code;
    const char16_t* phrase;
};

// Sorted by code.
constexpr Reason REASONS[] = {
    {100, u"Continue"},
    {101, u"Switching Protocols"},
    {200, u"OK"},
    {201, u"Created"},
    {202, u"Accepted"},
    {203, u"Non-Authoritative Information"},
    {204, u"No Content"},
    {205, u"Reset Content"},
    {206, u"Partial Content"},
    {300, u"Multiple Choices"},
    {301, u"Moved Permanently"},
    {302, u"Moved Temporarily"},
    {303, u"See Other"},
    {304, u"Not Modified"},
    {305, u"Use Proxy"},
    {400, u"Bad Request"},
    {401, u"Unauthorized"},
    {402, u"Payment Required"},
    {403, u"Forbidden"},
    {404, u"Not Found"},
    {405, u"Method Not Allowed"},
    {406, u"Not Acceptable"},
    {407, u"Proxy Authentication Required"},
    {408, u"Request Timeout"},
    {409, u"Conflict"},
    {410, u"Gone"},
    {411, u"Length Required"},
    {412, u"Precondition Failed"},
    {413, u"Request Entity Too Large"},
    {414, u"Request-URI Too Long"},
    {415, u"Unsupported Media Type"},
    {500, u"Internal Server Error"},
    {501, u"Not Implemented"},
    {502, u"Bad Gateway"},
    {503, u"Service Unavailable"},
    {504, u"Gateway Timeout"},
    {505, u"HTTP Version Not Supported"},
};

String intText(int value)
{
    String text;
    text.format(u"%d", value);
    return text;
}

} // namespace

const char16_t* HttpResponse::getReasonPhrase(int code)
{
    for (const Reason& reason : REASONS) {
        if (reason.code > code)
            break;
        if (reason.code == code)
            return reason.phrase;
    }
    return u"No Reason";
}

bool HttpResponse::isHeaderSafe(const String& text)
{
    for (int i = 0; i < text.size(); i++)
        if (text[i] == u'\r' || text[i] == u'\n' || text[i] == 0)
            return false;
    return true;
}

// -------------------------------------------------------------------- status

void HttpResponse::setStatus(int code)
{
    status_ = code;
    statusMessage_ = getReasonPhrase(code);
}

void HttpResponse::sendError(int code, const String& message)
{
    if (committed_)
        return;
    status_ = code;
    if (message.empty() || !isHeaderSafe(message))
        statusMessage_ = getReasonPhrase(code);
    else
        statusMessage_ = message;
    committed_ = true;
}

bool HttpResponse::sendRedirect(const String& url)
{
    if (committed_ || url.empty() || !isHeaderSafe(url))
        return false;
    headers_.insert(0, new PairEntry(u"Location", url));
    setStatus(302);
    committed_ = true;
    return true;
}

// ------------------------------------------------------------------- headers

bool HttpResponse::_acceptHeader(const String& name, const String& value) const
{
    return !name.empty() && isHeaderSafe(name) && isHeaderSafe(value);
}

bool HttpResponse::addHeader(const String& name, const String& value)
{
    if (!_acceptHeader(name, value))
        return false;
    headers_.add(new PairEntry(name, value));
    return true;
}

bool HttpResponse::setHeader(const String& name, const String& value)
{
    if (!_acceptHeader(name, value))
        return false;
    for (int i = 0; i < headers_.size(); i++) {
        if (headers_[i]->key.equalsIgnoreCase(name)) {
            headers_[i]->value = value;
            return true;
        }
    }
    headers_.add(new PairEntry(name, value));
    return true;
}

bool HttpResponse::addIntHeader(const String& name, int value)
{
    return addHeader(name, intText(value));
}

bool HttpResponse::setIntHeader(const String& name, int value)
{
    return setHeader(name, intText(value));
}

bool HttpResponse::addDateHeader(const String& name, const DateTime& value)
{
    return addHeader(name, value.toString());
}

bool HttpResponse::setDateHeader(const String& name, const DateTime& value)
{
    return setHeader(name, value.toString());
}

bool HttpResponse::containsHeader(const String& name) const
{
    for (int i = 0; i < headers_.size(); i++)
        if (headers_[i]->key.equalsIgnoreCase(name))
            return true;
    return false;
}

String HttpResponse::getHeader(const String& name) const
{
    for (int i = 0; i < headers_.size(); i++)
        if (headers_[i]->key.equalsIgnoreCase(name))
            return headers_[i]->value;
    return String();
}

// ------------------------------------------------------------------- the rest

void HttpResponse::addCookie(HttpCookie* cookie)
{
    if (cookie)
        cookies_.add(cookie);
}

void HttpResponse::reset()
{
    if (committed_)
        return;
    cookies_.clear();
    headers_.clear();
    setStatus(200);
    contentType_ = u"text/html";
    contentLength_ = 0;
}

bool HttpResponse::setContentType(const String& type)
{
    if (!isHeaderSafe(type))
        return false;
    contentType_ = type;
    return true;
}

void HttpResponse::flushBuffer()
{
    if (output_)
        output_->flush();
}

} // namespace tessel
