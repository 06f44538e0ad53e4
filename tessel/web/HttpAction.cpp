#include "tessel/web/HttpAction.h"

#include <initializer_list>

#include "tessel/core/IInputStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpUpload.h"

namespace tessel {

namespace {

// Characters isSafe takes beyond letters, digits and "-._{|}", with the
// types that take each.
struct SafeRule {
    char16_t c;
    unsigned types; // bit n: accepted for type n
};

constexpr unsigned typesOf(std::initializer_list<int> types)
{
    unsigned bits = 0;
    for (int type : types)
        bits |= 1u << type;
    return bits;
}

constexpr SafeRule SAFE_RULES[] = {
    {u' ', typesOf({0, 3, 4, 5, 7, 8, 9})},
    {u'#', typesOf({4, 7})},
    {u'%', typesOf({4})},
    {u'&', typesOf({4})},
    {u'=', typesOf({4})},
    {u'?', typesOf({4})},
    {u'~', typesOf({4})},
    {u'(', typesOf({4, 5, 7})},
    {u')', typesOf({4, 5, 7})},
    {u'+', typesOf({0, 2, 3, 4, 5, 7})},
    {u',', typesOf({2, 7, 9})},
    {u'/', typesOf({0, 3, 4, 5, 7, 8})},
    {u':', typesOf({4, 8})},
    {u';', typesOf({9})},
    {u'<', typesOf({6})},
    {u'>', typesOf({6})},
    {u'@', typesOf({6})},
    {u'[', typesOf({0, 3, 4, 5, 6, 7})},
    {u']', typesOf({0, 3, 4, 5, 6, 7})},
};

bool isLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool isSafeCharacter(char16_t c, HttpAction::SafeType type)
{
    if ((c >= u'0' && c <= u'9') || c == u'-' || c == u'.' || c == u'_' || c == u'{' || c == u'|' || c == u'}')
        return true;
    if (isLetter(c))
        return type != HttpAction::SAFE_TIME;
    for (const SafeRule& rule : SAFE_RULES)
        if (rule.c == c)
            return static_cast<unsigned>(type) < 32 && (rule.types & (1u << type)) != 0;
    // Control characters, everything beyond ASCII, and ! " $ ' * \ ^ `.
    return false;
}

} // namespace

HttpAction::HttpAction() : data_(new Value()) {}

HttpAction::~HttpAction() = default;

IFileSystem* HttpAction::getFileSystem() const
{
    return context_ ? context_->getFileSystem() : nullptr;
}

String HttpAction::getProperty(const String& key) const
{
    return context_ ? context_->getProperty(key) : String();
}

void HttpAction::setView(const String& view, const String&)
{
    data_->insert(u".", view);
}

bool HttpAction::isPost() const
{
    return request_ && request_->getMethod() == u"POST";
}

// ------------------------------------------------------------------ messages

String HttpAction::getMessage(const String& key) const
{
    if (!context_ || key.empty())
        return String();
    String path = key.indexOf(u'.') >= 0 ? key : getClassName() + u"." + key;
    Value* message = context_->getMessage(path);
    String* text = message ? message->getString() : nullptr;
    return text ? String(*text) : String();
}

void HttpAction::setError(const String& message)
{
    answered_ = true;
    if (!writer_)
        return;
    if (message.empty()) {
        writer_->write(u"ok:");
        return;
    }
    // A text with a colon or a space is an answer already, not a key.
    if (message.indexOf(u':') >= 0 || message.indexOf(u' ') >= 0) {
        writer_->write(message);
        return;
    }
    String text = getMessage(message);
    writer_->write(text.empty() ? message : text);
}

// ------------------------------------------------------------ files, streams

bool HttpAction::loadFile(const String& name)
{
    if (!context_ || !writer_)
        return false;
    if (!context_->render(name, data_, *writer_))
        return false;
    answered_ = true;
    return true;
}

bool HttpAction::loadFile(const String& path, TextWriter& out)
{
    if (!context_ || !context_->convert(path, data_, out))
        return false;
    if (&out == writer_)
        answered_ = true;
    return true;
}

void HttpAction::sendStream(IInputStream* stream)
{
    stream_ = stream;
    if (stream)
        answered_ = true;
}

void HttpAction::addUpload(HttpUpload* upload)
{
    if (upload && tryUpload(*upload))
        uploads_.add(upload);
}

HttpUpload* HttpAction::getUpload(const String& name) const
{
    for (int i = 0; i < uploads_.size(); i++)
        if (uploads_[i]->getName().equals(name))
            return uploads_[i];
    return nullptr;
}

void HttpAction::setCharset(const char16_t* name)
{
    if (writer_)
        writer_->setCharset(charsetOf(name));
}

// ------------------------------------------------------------------- helpers

bool HttpAction::isSafe(const String& text, SafeType type)
{
    for (int i = 0; i < text.size(); i++)
        if (!isSafeCharacter(text[i], type))
            return false;
    return true;
}

void HttpAction::parseQuery(const String& query, Value* out)
{
    if (query.empty() || !out)
        return;
    Array<String> parts;
    query.split(u"&", parts);
    for (int i = 0; i < parts.size(); i++) {
        const String& part = *parts[i];
        int equals = part.indexOf(u'=');
        if (equals < 0)
            out->insert(part, u"");
        else
            out->insert(part.substr(0, equals), part.substr(equals + 1));
    }
}

} // namespace tessel
