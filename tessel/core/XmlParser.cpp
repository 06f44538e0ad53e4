#include "tessel/core/XmlParser.h"

namespace tessel {

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
