#include "tessel/web/ArrayReader.h"

#include "tessel/core/XmlParser.h"

namespace tessel {

String ArrayReader::pathOf(const String& name, const String& message)
{
    if (message.indexOf(u'.', 1) > 0)
        return message;
    if (message.empty() || XmlParser::toBool(message))
        return String(u"array") + name;
    return message + u"." + name;
}

Value* ArrayReader::read(const String& text, Value* messages)
{
    Ref<Value> root = new Value();
    XmlParser parser(XmlParser::CASE_LOWER);
    parser.setXml(text.c_str(), text.size());
    // Held, since an item's name may be a path that replaces the array node.
    Ref<Value> array;
    String path;
    String tag;
    while (parser.nextTag(tag)) {
        if (tag == u"/array") {
            array.reset();
            continue;
        }
        if (tag != u"array" && !(tag == u"item" && array)) {
            if (tag.getAt(0) != u'/')
                parser.skipAttrs();
            continue;
        }
        parser.initAttrs();
        String name = parser.getAttr(u"name");
        if (name.empty())
            continue;
        if (tag == u"array") {
            path = pathOf(name, parser.getAttr(u"message"));
            array = root->insert(path);
            continue;
        }
        String value = parser.getAttr(u"value");
        if (!value.empty()) {
            array->insert(name, value);
        } else if (Value* section = messages ? messages->find(path) : nullptr) {
            array->insert(name, section->getAt(name));
        }
    }
    return root.detach();
}

} // namespace tessel
