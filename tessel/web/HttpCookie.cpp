#include "tessel/web/HttpCookie.h"

#include "tessel/core/Array.h"
#include "tessel/core/Date.h"
#include "tessel/core/System.h"

namespace tessel {

namespace {

constexpr const char16_t* MONTHS[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                      u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
constexpr const char16_t* WEEKDAYS[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
constexpr int64_t SECONDS_PER_DAY = 86400;

Array<HttpCookie>& jar()
{
    static Array<HttpCookie> cookies;
    return cookies;
}

// The text without the characters that would end a header line.
String headerSafe(const String& text)
{
    String safe;
    for (int i = 0; i < text.size(); i++)
        if (text[i] != u'\r' && text[i] != u'\n' && text[i] != 0)
            safe += text[i];
    return safe;
}

String trimmed(const String& text)
{
    String copy(text);
    copy.trim();
    return copy;
}

// "Wdy, DD Mon YYYY HH:MM:SS GMT" of a time in seconds since 1970.
String httpDate(int64_t time)
{
    int64_t days = time / SECONDS_PER_DAY;
    int64_t seconds = time % SECONDS_PER_DAY;
    if (seconds < 0) {
        seconds += SECONDS_PER_DAY;
        days--;
    }
    Date date(static_cast<unsigned>(Date::UNIX_EPOCH_JDN + days));
    int year, month, day, weekday;
    date.getDate(year, month, day, weekday);
    String text;
    text.format(u"%s, %02d %s %04d %02d:%02d:%02d GMT", WEEKDAYS[weekday], day, MONTHS[month - 1], year,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

int monthOf(const String& name)
{
    for (int i = 0; i < 12; i++)
        if (name.equalsIgnoreCase(MONTHS[i]))
            return i + 1;
    return 0;
}

// Reads an Expires date ("Wdy, DD-Mon-YYYY HH:MM:SS GMT" or the same with
// spaces between the date's parts) as the GMT time it states. False when
// the text is not such a date.
bool parseExpiry(const String& text, int64_t& out)
{
    int comma = text.indexOf(u',');
    String rest = comma >= 0 ? text.substr(comma + 1) : text;
    Array<String> fields;
    rest.splitAny(u" -:", fields);
    if (fields.size() < 6)
        return false;
    int day = fields[0]->toInteger();
    int month = monthOf(*fields[1]);
    int year = fields[2]->toInteger();
    int hour = fields[3]->toInteger();
    int minute = fields[4]->toInteger();
    int second = fields[5]->toInteger();
    if (year >= 0 && year < 50)
        year += 2000;
    else if (year >= 50 && year < 100)
        year += 1900;
    else if (year <= 1900)
        return false;
    if (month == 0 || !Date::isValidDate(year, month, day))
        return false;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 60)
        return false;
    int64_t days = static_cast<int64_t>(Date(year, month, day).getJdn()) - Date::UNIX_EPOCH_JDN;
    out = days * SECONDS_PER_DAY + hour * 3600 + minute * 60 + second;
    return true;
}

// Max-Age: whole seconds from now; zero or less removes the cookie.
bool parseMaxAge(const String& text, int64_t now, int64_t& out)
{
    if (text.empty())
        return false;
    for (int i = 0; i < text.size(); i++)
        if (!(text.isDigit(i) || (i == 0 && text[i] == u'-' && text.size() > 1)))
            return false;
    int64_t seconds = text.toLong();
    out = seconds <= 0 ? 1 : now + seconds;
    return true;
}

bool pathMatches(const String& requestPath, const String& cookiePath)
{
    if (requestPath.empty() || cookiePath.empty())
        return true;
    if (!requestPath.startsWith(cookiePath))
        return false;
    int n = cookiePath.size();
    return n <= 1 || requestPath.size() == n || cookiePath[n - 1] == u'/' || requestPath[n] == u'/';
}

String withoutLeadingDots(const String& domain)
{
    int i = 0;
    while (i < domain.size() && domain[i] == u'.')
        i++;
    return domain.substr(i);
}

} // namespace

HttpCookie::HttpCookie(const HttpCookie& other)
    : IObject(), domain_(other.domain_), name_(other.name_), comment_(other.comment_), path_(other.path_),
      value_(other.value_), sameSite_(other.sameSite_), secure_(other.secure_), httpOnly_(other.httpOnly_),
      expire_(other.expire_)
{
}

HttpCookie& HttpCookie::operator=(const HttpCookie& other)
{
    domain_ = other.domain_;
    name_ = other.name_;
    comment_ = other.comment_;
    path_ = other.path_;
    value_ = other.value_;
    sameSite_ = other.sameSite_;
    secure_ = other.secure_;
    httpOnly_ = other.httpOnly_;
    expire_ = other.expire_;
    return *this;
}

String HttpCookie::toString() const
{
    String text = headerSafe(name_);
    text += u'=';
    text += headerSafe(value_);
    if (!comment_.empty())
        text.append(u"; Comment=").append(headerSafe(comment_));
    if (!domain_.empty())
        text.append(u"; Domain=").append(headerSafe(domain_));
    if (!path_.empty())
        text.append(u"; Path=").append(headerSafe(path_));
    if (expire_ > 0)
        text.append(u"; Expires=").append(httpDate(expire_));
    if (secure_)
        text.append(u"; Secure");
    if (httpOnly_)
        text.append(u"; HttpOnly");
    if (!sameSite_.empty())
        text.append(u"; SameSite=").append(headerSafe(sameSite_));
    return text;
}

bool HttpCookie::domainMatches(const String& host, const String& domain)
{
    String bare = withoutLeadingDots(domain);
    if (bare.empty() || host.size() < bare.size())
        return false;
    if (host.size() == bare.size())
        return host.equalsIgnoreCase(bare);
    int start = host.size() - bare.size();
    return host[start - 1] == u'.' && host.compareIgnoreCase(bare, bare.size(), start) == 0;
}

bool HttpCookie::addCookie(const String& domain, const String& header)
{
    Array<String> segments;
    header.split(u";", segments);
    const String* pair = segments[0];
    int equals = pair ? pair->indexOf(u'=') : -1;
    if (equals < 0)
        return false;
    HttpCookie cookie(trimmed(pair->substr(0, equals)), trimmed(pair->substr(equals + 1)));
    if (cookie.name_.empty())
        return false;
    cookie.domain_ = domain;

    int64_t now = System::currentTime();
    bool hasMaxAge = false;
    for (int i = 1; i < segments.size(); i++) {
        const String& segment = *segments[i];
        int at = segment.indexOf(u'=');
        String name = trimmed(at >= 0 ? segment.substr(0, at) : segment);
        String value = at >= 0 ? trimmed(segment.substr(at + 1)) : String();
        if (name.equalsIgnoreCase(u"domain")) {
            // A server may widen a cookie to a domain it lies in, never to
            // somebody else's.
            String bare = withoutLeadingDots(value);
            if (!bare.empty() && domainMatches(domain, bare))
                cookie.domain_ = bare;
        } else if (name.equalsIgnoreCase(u"path")) {
            if (!value.empty())
                cookie.path_ = value;
        } else if (name.equalsIgnoreCase(u"expires")) {
            int64_t expire;
            if (!hasMaxAge && parseExpiry(value, expire))
                cookie.expire_ = expire;
        } else if (name.equalsIgnoreCase(u"max-age")) {
            hasMaxAge = parseMaxAge(value, now, cookie.expire_) || hasMaxAge;
        } else if (name.equalsIgnoreCase(u"secure")) {
            cookie.secure_ = true;
        } else if (name.equalsIgnoreCase(u"httponly")) {
            cookie.httpOnly_ = true;
        } else if (name.equalsIgnoreCase(u"samesite")) {
            cookie.sameSite_ = value;
        } else if (name.equalsIgnoreCase(u"comment")) {
            cookie.comment_ = value;
        }
    }
    if (cookie.domain_.indexOf(u'.') < 0)
        return false;
    _store(cookie);
    return true;
}

bool HttpCookie::addCookie(const HttpCookie& cookie)
{
    if (cookie.name_.empty() || cookie.domain_.empty())
        return false;
    _store(cookie);
    return true;
}

void HttpCookie::_store(const HttpCookie& cookie)
{
    // An expired cookie of the same name is brought back to life in its
    // place, so that a jar that is never emptied does not grow without end.
    Array<HttpCookie>& cookies = jar();
    for (int i = 0; i < cookies.size(); i++) {
        HttpCookie* held = cookies[i];
        if (held->domain_.equalsIgnoreCase(cookie.domain_) && held->name_.equalsIgnoreCase(cookie.name_)) {
            held->value_ = cookie.value_;
            held->expire_ = cookie.expire_;
            held->path_ = cookie.path_;
            return;
        }
    }
    HttpCookie* stored = new HttpCookie(cookie.name_, cookie.value_);
    stored->domain_ = cookie.domain_;
    stored->expire_ = cookie.expire_;
    stored->path_ = cookie.path_;
    cookies.add(stored);
}

HttpCookie* HttpCookie::getCookie(const String& domain, const String& name)
{
    int64_t now = System::currentTime();
    Array<HttpCookie>& cookies = jar();
    for (int i = 0; i < cookies.size(); i++) {
        HttpCookie* cookie = cookies[i];
        if (!cookie->isExpired(now) && cookie->domain_.equalsIgnoreCase(domain) && cookie->name_.equalsIgnoreCase(name))
            return cookie;
    }
    return nullptr;
}

String HttpCookie::loadCookie(const String& host, const String& path)
{
    int64_t now = System::currentTime();
    Array<HttpCookie>& cookies = jar();
    String header;
    for (int i = 0; i < cookies.size(); i++) {
        const HttpCookie* cookie = cookies[i];
        if (cookie->isExpired(now) || !domainMatches(host, cookie->domain_) || !pathMatches(path, cookie->path_))
            continue;
        if (!header.empty())
            header.append(u"; ");
        header.append(cookie->name_).append(u'=').append(cookie->value_);
    }
    return header;
}

} // namespace tessel
