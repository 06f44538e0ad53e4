#include "tessel/web/TextFunctions.h"

#include <string>

namespace tessel {

namespace {

bool staysInUrl(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
}

} // namespace

void LeftFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (value.empty())
        return;
    int count = integer(1, data);
    give(out, count >= 1 && count < value.size() ? value.substr(0, count) : value);
}

void RightFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (value.empty())
        return;
    int count = integer(1, data);
    if (count < 1)
        give(out, String());
    else
        give(out, count < value.size() ? value.right(count) : value);
}

void SubstrFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (value.empty())
        return;
    int start = integer(1, data);
    int length = integer(2, data);
    give(out, length >= 1 ? value.substr(start, length) : value.substr(start));
}

void TrimWidthFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (value.empty())
        return;
    int width = integer(1, data);
    if (width < 1 || value.size() < width) {
        give(out, value);
        return;
    }
    String suffix = text(2, data);
    int kept = width - suffix.size();
    // A width that leaves no room for the suffix gives the text cut to the
    // width, which says more than a cut suffix would.
    give(out, kept >= 1 ? value.substr(0, kept) + suffix : value.substr(0, width));
}

void UpperCaseFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (!value.empty())
        give(out, value.toUpper());
}

void LowerCaseFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (!value.empty())
        give(out, value.toLower());
}

void HtmlEncodeFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (!value.empty())
        give(out, value.htmlEncode(false));
}

void UrlEncodeFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (value.empty())
        return;
    static constexpr char16_t HEX[] = u"0123456789ABCDEF";
    String encoded;
    for (unsigned char c : value.toStdString()) {
        if (staysInUrl(c)) {
            encoded += char16_t(c);
        } else if (c == ' ') {
            encoded += u'+';
        } else {
            encoded += u'%';
            encoded += HEX[c >> 4];
            encoded += HEX[c & 15];
        }
    }
    give(out, encoded);
}

void AttrOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    String name = text(1, data);
    if (value.empty() || name.empty())
        return;
    String attribute;
    attribute.format(u"%s=\"%s\"", name.c_str(), value.htmlEncode(false).c_str());
    give(out, attribute);
}

} // namespace tessel
