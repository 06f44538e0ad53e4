#include "tessel/core/Url.h"

#include <string>

namespace tessel {

namespace {

// First position in [from, end) of any character of `set`, or `end`.
int findAny(const String& text, const char16_t* set, int from, int end)
{
    const char16_t* s = text.c_str();
    for (int i = from < 0 ? 0 : from; i < end; i++)
        for (const char16_t* c = set; *c; c++)
            if (s[i] == *c)
                return i;
    return end;
}

int findAny(const String& text, const char16_t* set, int from = 0)
{
    return findAny(text, set, from, text.size());
}

// Last position in [from, end) of any character of `set`, or -1.
int findLastAny(const String& text, const char16_t* set, int from, int end)
{
    const char16_t* s = text.c_str();
    for (int i = end - 1; i >= from && i >= 0; i--)
        for (const char16_t* c = set; *c; c++)
            if (s[i] == *c)
                return i;
    return -1;
}

// The characters of [from, to); empty for an empty or inverted range.
String slice(const String& text, int from, int to)
{
    if (to <= from)
        return String();
    return text.substr(from, to - from);
}

// The end of the authority that starts at `from`: the first "/", "?" or
// "#", or the end of the text.
int authorityEnd(const String& text, int from)
{
    return findAny(text, u"/?#", from);
}

// A port number read the way the C runtime reads an integer (leading
// blanks, a sign, digits up to the first other character). Only numbers
// that fit a port are taken: anything else means "no port" rather than a
// different port wrapped into 16 bits.
unsigned short parsePort(const char16_t* p, const char16_t* end)
{
    while (p < end && *p <= u' ' && *p != 0)
        p++;
    bool negative = false;
    if (p < end && (*p == u'+' || *p == u'-')) {
        negative = *p == u'-';
        p++;
    }
    long value = 0;
    for (; p < end && *p >= u'0' && *p <= u'9'; p++) {
        value = value * 10 + (*p - u'0');
        if (value > 65535)
            return 0;
    }
    return negative ? 0 : static_cast<unsigned short>(value);
}

unsigned short parsePort(const String& text, int from, int end)
{
    return parsePort(text.c_str() + from, text.c_str() + end);
}

const char16_t* defaultScheme(unsigned short port)
{
    switch (port) {
    case 80: return u"http://";
    case 443: return u"https://";
    case 21: return u"ftp://";
    default: return nullptr;
    }
}

// Removes the last segment (and the "/" after it) from a path being
// built; false when there is none left to remove, i.e. ".." climbs above
// the start.
bool dropLastSegment(std::u16string& path)
{
    if (path.empty() || path == u"/")
        return false;
    size_t end = path.size() - 1; // the "/" that closed the segment
    size_t slash = end == 0 ? std::u16string::npos : path.rfind(u'/', end - 1);
    path.resize(slash == std::u16string::npos ? 0 : slash + 1);
    return true;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

struct MimeEntry {
    const char16_t* extension;
    const char16_t* type;
};

const MimeEntry MIME_TYPES[] = {
    {u"txt", u"text/plain"},
    {u"htm", u"text/html"},
    {u"html", u"text/html"},
    {u"shtml", u"text/html"},
    {u"css", u"text/css"},
    {u"js", u"application/x-javascript"},
    {u"doc", u"text/vnd.ms-word"},
    {u"xls", u"application/vnd.ms-excel"},
    {u"png", u"image/png"},
    {u"gif", u"image/gif"},
    {u"jpg", u"image/jpeg"},
    {u"jpeg", u"image/jpeg"},
    {u"jpe", u"image/jpeg"},
    {u"bmp", u"image/bmp"},
    {u"ico", u"image/x-icon"},
    {u"zip", u"application/zip"},
    {u"rar", u"application/x-rar"},
    {u"gz", u"application/x-gzip"},
    {u"xml", u"application/xml"},
    {u"svg", u"image/svg+xml"},
    {u"rtf", u"text/rtf"},
    {u"pdf", u"application/pdf"},
    {u"swf", u"application/x-shockwave-flash"},
    {u"ppt", u"application/vnd.ms-powerpoint"},
    {u"tar", u"application/x-tar"},
    {u"mp2", u"audio/mpeg"},
    {u"mp3", u"audio/mpeg"},
    {u"mpga", u"audio/mpeg"},
    {u"mpg", u"video/mpeg"},
    {u"mpe", u"video/mpeg"},
    {u"mpeg", u"video/mpeg"},
    {u"avi", u"video/x-msvideo"},
    {u"wrl", u"model/vrml"},
    {u"vrml", u"model/vrml"},
    {u"rm", u"application/vnd.rn-realmedia"},
};

const char16_t* const DEFAULT_MIME_TYPE = u"application/octet-stream";

} // namespace

// ---------------------------------------------------------------- the object

Url::Url(const String& text)
{
    if (!text.empty())
        parse(text);
}

Url& Url::operator=(const String& text)
{
    parse(text);
    return *this;
}

bool Url::parse(const String& text)
{
    const char16_t* s = text.c_str();
    int length = text.size();

    // A scheme is only taken when its ":" is followed by "/", so that
    // "c:\dir" or "mailto:x" are not mistaken for "scheme://".
    int pos = 0;
    int mark = findAny(text, u":/?#");
    if (mark < length && s[mark] == u':' && mark + 1 < length && s[mark + 1] == u'/') {
        scheme_ = slice(text, 0, mark);
        scheme_.toLower();
        pos = mark + 1;
    } else {
        scheme_.clear();
    }

    user_.clear();
    pass_.clear();
    host_.clear();
    port_ = 0;
    if (text.startsWith(u"//", pos)) {
        int end = authorityEnd(text, pos + 2);
        _parseAuthority(slice(text, pos + 2, end));
        pos = end;
    }

    query_.clear();
    anchor_.clear();
    int stop = findAny(text, u"?#", pos);
    path_ = slice(text, pos, stop);
    if (stop < length && s[stop] == u'?') {
        int hash = findAny(text, u"#", stop + 1);
        query_ = slice(text, stop + 1, hash);
        anchor_ = slice(text, hash + 1, length);
    } else if (stop < length) {
        anchor_ = slice(text, stop + 1, length);
    }
    if (path_.empty())
        path_ = u"/";
    return true;
}

void Url::_parseAuthority(const String& authority)
{
    int at = authority.indexOf(u'@');
    if (at < 0) {
        setHost(authority);
        return;
    }
    int colon = findAny(authority, u":", 0, at);
    user_ = slice(authority, 0, colon);
    if (colon < at)
        pass_ = slice(authority, colon + 1, at);
    setHost(slice(authority, at + 1, authority.size()));
}

void Url::setHost(const String& host)
{
    int colon = host.indexOf(u':');
    if (colon < 0) {
        host_ = host;
    } else {
        port_ = parsePort(host, colon + 1, host.size());
        host_ = slice(host, 0, colon);
    }
    host_.toLower();
}

String Url::toString(int flags) const
{
    String out(1024);
    if (!(flags & URL_NO_SERVER)) {
        if (!scheme_.empty())
            out.append(scheme_).append(u"://");
        else if (const char16_t* scheme = defaultScheme(port_))
            out.append(scheme);
        if (!(flags & URL_NO_USER) && !user_.empty())
            out.append(user_).append(u':').append(pass_).append(u'@');
        out.append(host_);
        if (port_ != 0)
            out.append(u':').append(static_cast<int>(port_));
    }
    if (flags & URL_NO_PATH)
        return out;
    if (flags & URL_DIRECTORY) {
        int slash = path_.lastIndexOf(u'/');
        if (slash >= 0)
            out.append(path_, slash + 1);
        return out;
    }
    out.append(path_);
    if (!(flags & URL_NO_QUERY) && !query_.empty()) {
        out.append(u'?').append(query_);
        if (!anchor_.empty())
            out.append(u'#').append(anchor_);
    }
    return out;
}

String Url::relative(const String& href) const
{
    String target = slice(href, 0, findAny(href, u"#"));
    int colon = findAny(href, u":");
    if (colon > 0 && colon < href.size() && colon < findAny(href, u"/"))
        return target;

    String joined;
    if (!href.startsWith(u"/") && !href.startsWith(u":")) {
        int slash = path_.lastIndexOf(u'/');
        joined = slash >= 0 ? slice(path_, 0, slash + 1) : String(u"/");
    }
    joined.append(target);
    return toString(URL_NO_PATH) + realpath(joined);
}

bool Url::isSame(const String& other, int flags) const
{
    if (flags & SAME_SERVER) {
        int separator = other.indexOf(u"://");
        String scheme = slice(other, 0, separator);
        scheme.toLower();
        if (scheme != scheme_)
            return false;
        if (flags & SAME_SCHEME_ONLY)
            return true;
        String host = getHost(other, false);
        host.toLower();
        if (host != host_)
            return false;
    }
    if ((flags & SAME_PORT) && getPort(other) != port_)
        return false;
    if (flags & SAME_PATH_QUERY) {
        String full = getFullPath(other, true);
        int question = findAny(full, u"?");
        return slice(full, 0, question) == path_ && slice(full, question + 1, full.size()) == query_;
    }
    if (flags & SAME_DIRECTORY)
        return path_.startsWith(getFullPath(other, false));
    return true;
}

void Url::parseQuery(Array<PairEntry>& out) const
{
    parseQuery(query_, out);
}

// ----------------------------------------------------------- static helpers

String Url::realpath(const String& path)
{
    const char16_t* s = path.c_str();
    int length = path.size();
    int end = findAny(path, u"?");

    std::u16string out;
    out.reserve(static_cast<size_t>(length));
    int i = 0;
    while (i < end) {
        if (i == 0 || s[i - 1] == u'/') {
            int segmentEnd = findAny(path, u"/", i, end);
            int segmentLength = segmentEnd - i;
            int next = segmentEnd < end ? segmentEnd + 1 : segmentEnd;
            if (segmentLength == 1 && s[i] == u'.') {
                i = next;
                continue;
            }
            if (segmentLength == 2 && s[i] == u'.' && s[i + 1] == u'.') {
                if (!dropLastSegment(out))
                    return String(u"/");
                i = next;
                continue;
            }
        }
        out.push_back(s[i++]);
    }
    out.append(s + end, s + length);
    return String(out.data(), static_cast<int>(out.size()));
}

String Url::getHost(const String& url, bool withScheme)
{
    int separator = url.indexOf(u"://");
    if (separator < 3)
        return String();
    int start = separator + 3;
    int end = authorityEnd(url, start);
    if (withScheme)
        return slice(url, 0, end);
    int at = findAny(url, u"@", start, end);
    if (at < end)
        start = at + 1;
    return slice(url, start, findAny(url, u":", start, end));
}

int Url::getPort(const String& url)
{
    int separator = url.indexOf(u"://");
    int start = separator >= 0 ? separator + 3 : 0;
    int end = authorityEnd(url, start);
    int at = findAny(url, u"@", start, end);
    if (at < end)
        start = at + 1;
    int colon = findAny(url, u":", start, end);
    if (colon >= end)
        return 0;
    return parsePort(url, colon + 1, end);
}

String Url::getFullPath(const String& url, bool withQuery)
{
    int separator = url.indexOf(u"://");
    if (separator < 3)
        return String();
    int length = url.size();
    int start = authorityEnd(url, separator + 3);
    bool hasPath = start < length && url[start] == u'/';
    if (withQuery) {
        int hash = findAny(url, u"#", start);
        if (hasPath)
            return slice(url, start, hash);
        // "http://host?x" has the root as its path.
        return String(u"/") + slice(url, start, hash);
    }
    if (!hasPath)
        return String(u"/");
    int stop = findAny(url, u"?#", start);
    int slash = findLastAny(url, u"/", start, stop);
    return slice(url, start, slash + 1);
}

String Url::getFile(const String& url, bool withExtension)
{
    const char16_t* s = url.c_str();
    int stop = findAny(url, u"?#");
    int separator = findLastAny(url, u"/\\", 0, stop);
    if (separator < 0)
        return String();
    // "http://host": the host is not a file name.
    if (separator > 0 && (s[separator - 1] == u'/' || s[separator - 1] == u'\\'))
        return String();
    String name = slice(url, separator + 1, stop);
    if (!withExtension) {
        int dot = name.lastIndexOf(u'.');
        if (dot > 0)
            name = slice(name, 0, dot);
    }
    return name;
}

String Url::getExtension(const String& url)
{
    const char16_t* s = url.c_str();
    int stop = findAny(url, u"?#");
    for (int i = stop - 1; i >= 0; i--) {
        if (s[i] == u'.')
            return slice(url, i, stop);
        if (s[i] == u'/' || s[i] == u'\\')
            break;
    }
    return String();
}

String Url::getMimeType(const String& url)
{
    const char16_t* s = url.c_str();
    int stop = findAny(url, u"?#");
    int dot = -1;
    for (int i = stop - 1; i >= 1 && s[i] != u'/' && s[i] != u'\\'; i--) {
        if (s[i] == u'.') {
            dot = i;
            break;
        }
    }
    if (dot < 0)
        return String(DEFAULT_MIME_TYPE);
    String extension = slice(url, dot + 1, stop);
    extension.toLower();
    for (const MimeEntry& entry : MIME_TYPES)
        if (extension == entry.extension)
            return String(entry.type);
    return String(DEFAULT_MIME_TYPE);
}

void Url::parseQuery(const String& query, Array<PairEntry>& out)
{
    int length = query.size();
    if (length == 0)
        return;
    int start = 0;
    for (;;) {
        int end = findAny(query, u"&", start);
        int equals = findAny(query, u"=", start, end);
        String key = slice(query, start, equals);
        String value = slice(query, equals + 1, end);
        out.add(new PairEntry(key, value));
        if (end >= length)
            break;
        start = end + 1;
    }
}

int Url::unescape(char* bytes, int n)
{
    if (!bytes || !bytes[0])
        return 0;
    // With a count the input ends after n bytes or at a zero byte,
    // whichever comes first; the byte past the input is never touched.
    bool counted = n >= 1;
    auto inInput = [&](int i) { return (!counted || i < n) && bytes[i] != 0; };

    int in = 0;
    int out = 0;
    while (inInput(in)) {
        char c = bytes[in];
        if (c == '+') {
            bytes[out++] = ' ';
            in++;
        } else if (c == '%' && inInput(in + 1) && inInput(in + 2) && isHexDigit(bytes[in + 1]) &&
                   isHexDigit(bytes[in + 2])) {
            bytes[out++] = static_cast<char>(hexValue(bytes[in + 1]) * 16 + hexValue(bytes[in + 2]));
            in += 3;
        } else {
            bytes[out++] = c;
            in++;
        }
    }
    // The terminator goes after the output only where the input gave room.
    if (!counted || out < n)
        bytes[out] = 0;
    return out;
}

} // namespace tessel
