#include "tessel/web/HttpRequest.h"

#include "tessel/core/Character.h"

namespace tessel {

namespace {

uint32_t dottedAddress(const String& text)
{
    uint32_t address = static_cast<uint32_t>(text.toInteger(0));
    for (int dot = text.indexOf(u'.'); dot >= 0; dot = text.indexOf(u'.', dot + 1))
        address = (address << 8) + static_cast<uint32_t>(text.toInteger(dot + 1));
    return address;
}

// FNV-1a over the letters in lower case, so that one IPv6 address always
// gives one number however the host wrote its hexadecimal digits.
uint32_t foldedAddress(const String& text)
{
    uint32_t hash = 2166136261u;
    for (int i = 0; i < text.size(); i++) {
        hash ^= Character::toLower(text[i]);
        hash *= 16777619u;
    }
    return hash;
}

} // namespace

HttpRequest::HttpRequest()
    : method_(u"GET"), remoteAddr_(u"127.0.0.1"), protocol_(u"1.1"), scheme_(u"http"), serverName_(u"localhost")
{
}

// ------------------------------------------------------------------- headers

String HttpRequest::_findPair(const Array<PairEntry>& pairs, const String& name, bool ignoreCase)
{
    for (int i = 0; i < pairs.size(); i++) {
        const PairEntry* pair = pairs[i];
        if (ignoreCase ? pair->key.equalsIgnoreCase(name) : pair->key.equals(name))
            return pair->value;
    }
    return String();
}

void HttpRequest::addHeader(const String& name, const String& value)
{
    headers_.add(new PairEntry(name, value));
}

String HttpRequest::getHeader(const String& name) const
{
    return _findPair(headers_, name, true);
}

int HttpRequest::getIntHeader(const String& name) const
{
    return getHeader(name).toInteger();
}

DateTime HttpRequest::getDateHeader(const String& name) const
{
    DateTime time;
    String text = getHeader(name);
    if (!text.empty())
        time.parseDateTime(text.c_str());
    return time;
}

void HttpRequest::getHeaderNames(Array<String>& out) const
{
    out.clear();
    for (int i = 0; i < headers_.size(); i++)
        out.add(new String(headers_[i]->key));
}

// ---------------------------------------------------------------- parameters

void HttpRequest::addParameter(const String& name, const String& value)
{
    parameters_.add(new PairEntry(name, value));
}

String HttpRequest::getParameter(const String& name) const
{
    return _findPair(parameters_, name, false);
}

void HttpRequest::getParameter(const String& name, Array<String>& out) const
{
    out.clear();
    for (int i = 0; i < parameters_.size(); i++)
        if (parameters_[i]->key.equals(name))
            out.add(new String(parameters_[i]->value));
}

void HttpRequest::getParameterNames(Array<String>& out) const
{
    out.clear();
    for (int i = 0; i < parameters_.size(); i++)
        out.add(new String(parameters_[i]->key));
}

// ---------------------------------------------------------------- attributes

IObject* HttpRequest::getAttribute(const String& name) const
{
    auto found = attributes_.find(name);
    return found == attributes_.end() ? nullptr : found->second.get();
}

void HttpRequest::setAttribute(const String& name, IObject* object)
{
    if (object)
        attributes_[name] = object;
    else
        attributes_.erase(name);
}

void HttpRequest::removeAttribute(const String& name)
{
    attributes_.erase(name);
}

void HttpRequest::getAttributeNames(Array<String>& out) const
{
    out.clear();
    for (const auto& entry : attributes_)
        out.add(new String(entry.first));
}

// ------------------------------------------------------- cookies and session

void HttpRequest::addCookie(HttpCookie* cookie)
{
    if (cookie)
        cookies_.add(cookie);
}

void HttpRequest::getCookies(Array<HttpCookie>& out) const
{
    out.clear();
    for (int i = 0; i < cookies_.size(); i++)
        out.add(cookies_[i]);
}

HttpSession& HttpRequest::getSession()
{
    if (!session_)
        session_ = HttpSession::_create(remoteAddr_);
    return *session_;
}

uint32_t HttpRequest::getAddress(const char16_t* address)
{
    String text(address);
    if (text.empty())
        return 0;
    int colon = text.lastIndexOf(u':');
    if (colon < 0)
        return dottedAddress(text);
    if (text.indexOf(u'.', colon) > colon)
        return dottedAddress(text.substr(colon + 1));
    return foldedAddress(text);
}

} // namespace tessel
