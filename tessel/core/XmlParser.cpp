#include "tessel/core/XmlParser.h"

#include <utility>

#include "tessel/core/Character.h"
#include "tessel/core/TextReader.h"

namespace tessel {

namespace {

const char16_t BYTE_ORDER_MARK = 0xFEFF;

bool isBlank(char16_t c)
{
    return c <= 32;
}

bool isQuote(char16_t c)
{
    return c == u'"' || c == u'\'';
}

// The characters that may follow "<" in a tag: "?", "%", "/", "_" or an
// ASCII letter in either case.
bool startsTag(char16_t c)
{
    char16_t lower = Character::toLower(c);
    return lower == u'?' || lower == u'%' || lower == u'/' || lower == u'_' || (lower >= u'a' && lower <= u'z');
}

} // namespace

XmlParser::XmlParser(NAMECASE nameCase) : nameCase_(nameCase) {}

void XmlParser::setXml(const char16_t* text, int length, bool attach)
{
    if (!text || (length < 1 && !*text))
        return;
    document_.clear();
    if (attach)
        document_.attach(text, length);
    else
        document_.assign(text, length);
    _restart();
}

void XmlParser::loadXml(TextReader& reader)
{
    // A borrowed document cannot grow: continue on a copy of it.
    if (document_.isAttached()) {
        String copy(document_);
        document_.clear();
        document_ = std::move(copy);
    }
    reader.read(document_);
    _restart();
}

void XmlParser::_restart()
{
    // Only a declaration that opens the document is stepped over; a "?>"
    // further on belongs to the content.
    int start = 0;
    while (start < document_.size() && (isBlank(document_[start]) || document_[start] == BYTE_ORDER_MARK))
        start++;
    int begin = 0;
    if (_at(start, u"<?")) {
        int end = document_.indexOf(u"?>", start + 2);
        if (end >= 0)
            begin = end + 2;
    }
    position_ = tagStart_ = tagEnd_ = begin;
    rawEnd_.clear();
    rawEndWritten_.clear();
    lastTag_.clear();
    selfClosing_ = false;
}

bool XmlParser::_at(int pos, const char16_t* text) const
{
    return pos >= 0 && document_.startsWith(text, pos);
}

void XmlParser::_skipBlanks()
{
    while (position_ < document_.size() && isBlank(document_[position_]))
        position_++;
}

void XmlParser::_applyCase(String& name) const
{
    if (nameCase_ == CASE_UPPER)
        name.toUpper();
    else if (nameCase_ == CASE_LOWER)
        name.toLower();
}

int XmlParser::_findTagStart(int from) const
{
    for (;;) {
        int lt = document_.indexOf(u'<', from);
        if (lt < 0)
            return -1;
        if (startsTag(_charAt(lt + 1)))
            return lt;
        if (_at(lt, u"<!--")) {
            int end = document_.indexOf(u"-->", lt + 4);
            if (end < 0)
                return -1;
            from = end + 3;
        } else if (smart_ && _at(lt, u"<![CDATA[")) {
            int end = document_.indexOf(u"]]>", lt + 9);
            if (end < 0)
                return -1;
            from = end + 3;
        } else {
            from = lt + 1;
        }
    }
}

// The closing tag of a script or style body. It is matched as the start tag
// was written or in lower case, so "<SCRIPT>" ends at "</SCRIPT>" and
// "<Script>" at "</script>", but "<script>" does not end at "</SCRIPT>".
bool XmlParser::_nextRawEnd(String& name)
{
    String lower = String(u"<") + rawEnd_;
    int end = document_.indexOf(lower, position_);
    String matched = rawEnd_;
    if (!rawEndWritten_.equals(rawEnd_)) {
        int written = document_.indexOf(String(u"<") + rawEndWritten_, position_);
        if (written >= 0 && (end < 0 || written < end)) {
            end = written;
            matched = rawEndWritten_;
        }
    }
    if (end < 0)
        return false;
    tagStart_ = end;
    position_ = end + matched.size();
    name = matched.substr(0, matched.size() - 1);
    rawEnd_.clear();
    rawEndWritten_.clear();
    lastTag_.clear();
    return true;
}

bool XmlParser::nextTag(String& name)
{
    if (smart_ && !rawEnd_.empty()) {
        if (!_nextRawEnd(name))
            return false;
        _applyCase(name);
        return true;
    }
    if (lastTag_.getAt(0) == u'/') {
        name = lastTag_;
        lastTag_.clear();
        tagStart_ = tagEnd_;
        _applyCase(name);
        return true;
    }
    int start = _findTagStart(position_);
    if (start < 0)
        return false;
    char16_t kind = _charAt(start + 1);
    if (kind == u'?') {
        int end = document_.indexOf(u"?>", start + 2);
        if (end < 0)
            return false;
        name.clear();
        tagStart_ = start;
        position_ = end + 2;
        selfClosing_ = false;
        return true;
    }
    if (kind == u'/') {
        int end = document_.indexOf(u'>', start + 1);
        if (end < 0)
            return false;
        name = document_.substr(start + 1, end - start - 1);
        tagStart_ = start;
        position_ = end;
        selfClosing_ = false;
        _applyCase(name);
        return true;
    }
    tagStart_ = start;
    position_ = start + 1;
    selfClosing_ = false;
    name = _nextValue(true);
    lastTag_ = name;
    rawEnd_.clear();
    rawEndWritten_.clear();
    if (smart_) {
        String lower(name);
        lower.toLower();
        if (lower.equals(u"script") || lower.equals(u"style")) {
            rawEnd_ = String(u"/") + lower + u">";
            rawEndWritten_ = String(u"/") + name + u">";
        }
    }
    _applyCase(name);
    return true;
}

String XmlParser::_nextValue(bool isName)
{
    int size = document_.size();
    if (position_ >= size)
        return String();
    char16_t first = document_[position_];
    if (isQuote(first)) {
        int close = document_.indexOf(first, position_ + 1);
        if (close < 0)
            return String();
        String value = document_.substr(position_ + 1, close - position_ - 1);
        position_ = close + 1;
        return value;
    }
    int start = position_;
    int end = start + 1;
    for (; end < size; end++) {
        char16_t c = document_[end];
        if (isBlank(c) || c == u'>' || (isName && c == u'='))
            break;
        if (c == u'/' && _charAt(end + 1) == u'>') {
            selfClosing_ = true;
            position_ = end + 1;
            return document_.substr(start, end - start);
        }
    }
    position_ = end;
    if (first == u'/' && end == start + 1 && _charAt(end) == u'>') {
        selfClosing_ = true;
        return String();
    }
    return document_.substr(start, end - start);
}

void XmlParser::_closeIfSelfClosing()
{
    if (selfClosing_ && !lastTag_.empty() && lastTag_.getAt(0) != u'/')
        lastTag_ = String(u"/") + lastTag_;
    selfClosing_ = false;
}

void XmlParser::initAttrs()
{
    attrs_.clear();
    int size = document_.size();
    for (;;) {
        _skipBlanks();
        if (position_ >= size || document_[position_] == u'>')
            break;
        int before = position_;
        String name = _nextValue(true);
        if (position_ == before) {
            // An unclosed quote: step over it and read on.
            position_++;
            continue;
        }
        if (name.empty())
            continue;
        _applyCase(name);
        _skipBlanks();
        String value;
        if (_charAt(position_) == u'=') {
            position_++;
            _skipBlanks();
            if (position_ < size && document_[position_] != u'>') {
                value = _nextValue(false);
                value.htmlDecode();
            }
        }
        attrs_[name] = value;
    }
    if (position_ < size)
        position_++;
    tagEnd_ = position_;
    _closeIfSelfClosing();
}

void XmlParser::skipAttrs()
{
    if (lastTag_.empty())
        return;
    int size = document_.size();
    int pos = position_;
    while (pos < size && document_[pos] != u'>') {
        char16_t c = document_[pos];
        if (isQuote(c)) {
            int close = document_.indexOf(c, pos + 1);
            if (close < 0)
                break;
            pos = close;
        }
        pos++;
    }
    if (pos < size && document_[pos] == u'>') {
        if (_charAt(pos - 1) == u'/')
            selfClosing_ = true;
    }
    position_ = pos < size ? pos + 1 : size;
    tagEnd_ = position_;
    _closeIfSelfClosing();
}

String XmlParser::getAttr(const String& name) const
{
    auto it = attrs_.find(name);
    return it == attrs_.end() ? String() : it->second;
}

int XmlParser::getInt(const String& name) const
{
    auto it = attrs_.find(name);
    return it == attrs_.end() ? 0 : it->second.toInteger();
}

bool XmlParser::getBool(const String& name) const
{
    auto it = attrs_.find(name);
    return it != attrs_.end() && toBool(it->second);
}

String XmlParser::nextText()
{
    int start = position_;
    int size = document_.size();
    while (start < size && isBlank(document_[start]))
        start++;
    int lt = document_.indexOf(u'<', start);
    if (lt < 0)
        return String();
    if (lt > start) {
        String text = document_.substr(start, lt - start);
        text.rightTrim();
        position_ = lt;
        return text;
    }
    if (!_at(lt, u"<![CDATA["))
        return String();
    int end = document_.indexOf(u"]]>", lt + 9);
    if (end < 0)
        return String();
    String text = document_.substr(lt + 9, end - lt - 9);
    text.trim();
    position_ = end + 3;
    return text;
}

bool XmlParser::seekTo(int pos, bool relative)
{
    int64_t target = relative ? int64_t(position_) + pos : int64_t(pos);
    if (target < 0 || target > document_.size())
        return false;
    position_ = static_cast<int>(target);
    return true;
}

bool XmlParser::toBool(const String& text)
{
    if (text.empty())
        return false;
    char16_t first = text[0];
    if (first >= u'0' && first <= u'9')
        return first != u'0';
    return text.equalsIgnoreCase(u"true") || text.equalsIgnoreCase(u"yes") || text.equalsIgnoreCase(u"on");
}

} // namespace tessel
