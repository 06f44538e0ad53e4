#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// One cookie: what a response sets (toString gives the Set-Cookie value)
// or what a request carried. The static operations keep a process-wide jar
// for the application's own outgoing HTTP calls: cookies received from a
// server are stored by domain and name and handed back to the hosts they
// belong to. The jar has no lock; callers serialise its use.
class HttpCookie : public IObject {
public:
    HttpCookie() = default;
    HttpCookie(const String& name, const String& value) : name_(name), value_(value) {}
    HttpCookie(const HttpCookie& other);
    HttpCookie& operator=(const HttpCookie& other);

    const String& getDomain() const { return domain_; }
    void setDomain(const String& domain) { domain_ = domain; }
    const String& getName() const { return name_; }
    void setName(const String& name) { name_ = name; }
    const String& getComment() const { return comment_; }
    void setComment(const String& comment) { comment_ = comment; }
    const String& getPath() const { return path_; }
    void setPath(const String& path) { path_ = path; }
    const String& getValue() const { return value_; }
    void setValue(const String& value) { value_ = value; }
    bool getSecure() const { return secure_; }
    void setSecure(bool secure) { secure_ = secure; }
    // Kept from script access in the browser.
    bool getHttpOnly() const { return httpOnly_; }
    void setHttpOnly(bool httpOnly) { httpOnly_ = httpOnly; }
    // "Strict", "Lax" or "None"; empty leaves the attribute out.
    const String& getSameSite() const { return sameSite_; }
    void setSameSite(const String& sameSite) { sameSite_ = sameSite; }
    // Seconds since 1970 after which the cookie is gone; 0 for a cookie
    // that lasts as long as the browser session.
    int64_t getExpire() const { return expire_; }
    void setExpire(int64_t expire) { expire_ = expire; }
    bool isExpired(int64_t now) const { return expire_ > 0 && expire_ < now; }

    // The Set-Cookie value: name=value, then the attributes that are set.
    // Carriage returns, line feeds and NULs are left out of every part, so
    // no text of a cookie can end the header it is written into.
    String toString() const;

    // Parses a Set-Cookie header value that `domain` sent into the jar.
    // False when the header has no name=value pair or the domain is a bare
    // host name (no ".").
    static bool addCookie(const String& domain, const String& header);
    // Stores a copy of the cookie (domain, name, value, expiry, path).
    static bool addCookie(const HttpCookie& cookie);
    // The live jar cookie of that domain and name (letter case ignored); no
    // reference is added.
    static HttpCookie* getCookie(const String& domain, const String& name);
    // The Cookie header value for a request to `host` and `path`.
    static String loadCookie(const String& host, const String& path);
    // Whether `host` lies in `domain`: the same name, or a name that ends
    // with "." and the domain (letter case ignored; a leading "." of the
    // domain does not count).
    static bool domainMatches(const String& host, const String& domain);

private:
    static void _store(const HttpCookie& cookie);

    String domain_;
    String name_;
    String comment_;
    String path_;
    String value_;
    String sameSite_;
    bool secure_ = false;
    bool httpOnly_ = false;
    int64_t expire_ = 0;
};

} // namespace tessel
