#include "tessel/web/NavigateNode.h"

#include "tessel/core/Character.h"
#include "tessel/core/Value.h"
#include "tessel/core/XmlParser.h"

namespace tessel {

namespace {

const char16_t* const NAVI = u"_navi";

// The visitor's URI goes into attributes of the page: the characters that
// could end an attribute or open a tag, and blanks, are percent-encoded.
String attributeSafe(const String& uri)
{
    static const char16_t HEX[] = u"0123456789ABCDEF";
    String safe(uri.size() + 16);
    for (int i = 0; i < uri.size(); i++) {
        char16_t c = uri[i];
        bool unsafe = c <= 32 || c == 127 || c == u'"' || c == u'\'' || c == u'<' || c == u'>' || c == u'`';
        if (unsafe) {
            safe.append(u'%');
            safe.append(HEX[(c >> 4) & 15]);
            safe.append(HEX[c & 15]);
        } else {
            safe.append(c);
        }
    }
    return safe;
}

// The template's own url is written as a format: "%%" stands for "%".
String unescapePercent(const String& text)
{
    String plain(text);
    plain.replace(u"%%", u"%");
    return plain;
}

bool isAlnumAt(const String& text, int pos)
{
    return pos >= 0 && pos < text.size() && Character::isAlnum(text[pos]);
}

} // namespace

String NavigateNode::LinkPattern::link(int page) const
{
    String text(head.size() + tail.size() + 12, head);
    text.append(page);
    text.append(tail);
    return text;
}

bool NavigateNode::init(Attributes& attributes)
{
    const String* total = attribute(attributes, u"total");
    if (!total || total->empty())
        return false;
    total_ = expression(*total, true);
    if (const String* size = attribute(attributes, u"size"))
        size_ = size->toInteger();
    if (const String* page = attribute(attributes, u"page"))
        page_ = *page;
    if (const String* url = attribute(attributes, u"url"))
        url_ = *url;
    if (const String* smart = attribute(attributes, u"smart"))
        smart_ = XmlParser::toBool(*smart);
    return !total_.empty();
}

void NavigateNode::render(Value* data, TextWriter& out)
{
    Ref<Value> local;
    if (!data) {
        local = new Value();
        data = local;
    }
    Value* navi = data->find(NAVI);
    if (!navi && !_fill(data, navi))
        return;
    Ref<Value> scope = navi;
    renderChildren(scope, out);
}

bool NavigateNode::_fill(Value* data, Value*& navi)
{
    int total = total_->getInt(data);
    if (total < 2 && smart_)
        return false;
    LinkPattern pattern;
    int page = _patternOf(data, pattern);
    if (page < 1)
        page = 1;

    navi = data->insert(NAVI);
    if (!navi)
        return false;
    navi->insert(u"first", pattern.link(1));
    navi->insert(u"last", pattern.link(total));
    if (page > 1)
        navi->insert(u"prior", pattern.link(page - 1));
    if (page < total)
        navi->insert(u"next", pattern.link(page + 1));
    navi->insert(u"page", page);
    if (size_ > 0) {
        Value* list = navi->insert(u"list");
        int shown = page - size_ / 2;
        if (shown < 0)
            shown = 0;
        for (int k = 1; k <= size_; k++) {
            if (++shown > total)
                break;
            String key;
            key.format(u"%03d", k);
            Value* item = list->insert(key);
            item->insert(u"href", pattern.link(shown));
            item->insert(u"title", shown);
            if (shown == page)
                item->insert(u"current", u"current");
        }
    }
    return true;
}

// The pattern of the links and the current page (0 when the link does not
// say it).
int NavigateNode::_patternOf(Value* data, LinkPattern& pattern) const
{
    int slot = url_.indexOf(u"%d", 1);
    if (slot > 0) {
        pattern.head = unescapePercent(url_.substr(0, slot));
        pattern.tail = unescapePercent(url_.substr(slot + 2));
        return data->getInt(String(u"GET.") + page_);
    }
    if (!url_.empty())
        return _patternOfUri(url_, false, pattern);
    return _patternOfUri(data->getAt(u"SERVER.REQUEST_URI"), true, pattern);
}

// Finds the page parameter in the URI: a match must not start the URI nor
// follow a letter or digit. "page=7" or "page/7" gives page 7 and the
// number's place; a bare "page" gives page 1 and the place at the end. A URI
// without the parameter gains "?page=" or "&page=".
int NavigateNode::_patternOfUri(const String& uri, bool fromVisitor, LinkPattern& pattern) const
{
    int page = 0;
    int split = -1;
    int resume = -1;
    for (int from = 0; !page_.empty();) {
        int match = uri.indexOf(page_, from);
        if (match < 0)
            break;
        int after = match + page_.size();
        from = after;
        if (match == 0 || isAlnumAt(uri, match - 1))
            continue;
        char16_t next = uri.getAt(after);
        if (next == u'=' || next == u'/') {
            int digits = after + 1;
            page = uri.toInteger(digits);
            if (uri.getAt(digits) == u'-' || uri.getAt(digits) == u'+')
                digits++;
            int end = digits;
            while (end < uri.size() && uri[end] >= u'0' && uri[end] <= u'9')
                end++;
            split = after + 1;
            resume = end;
            if (digits == after + 2 && end == digits)
                resume = after + 1; // a lone sign is no number: keep it
            break;
        }
        if (!isAlnumAt(uri, after)) {
            page = 1;
            split = resume = uri.size();
            break;
        }
    }
    String head;
    String tail;
    if (split < 0) {
        head = uri;
        head.append(uri.indexOf(u'?') >= 0 ? u'&' : u'?');
        head.append(page_);
        head.append(u'=');
    } else {
        head = uri.substr(0, split);
        tail = uri.substr(resume);
    }
    pattern.head = fromVisitor ? attributeSafe(head) : unescapePercent(head);
    pattern.tail = fromVisitor ? attributeSafe(tail) : unescapePercent(tail);
    return page;
}

} // namespace tessel
