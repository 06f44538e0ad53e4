#include "tessel/web/ConfigReader.h"

#include "tessel/core/XmlParser.h"
#include "tessel/web/HttpContext.h"

namespace tessel {

namespace {

const String* find(const TagScanner::Attributes& attributes, const char16_t* name)
{
    auto it = attributes.find(String(name));
    return it == attributes.end() ? nullptr : &it->second;
}

String valueOf(const TagScanner::Attributes& attributes, const char16_t* name)
{
    const String* value = find(attributes, name);
    return value ? *value : String();
}

// Any value but "false", "off" and "0" hides a page, the empty one too.
bool isHidden(const String& value)
{
    String lower(value);
    lower.toLower();
    return !(lower == u"false" || lower == u"off" || lower == u"0");
}

} // namespace

void ConfigReader::read(const String& text)
{
    context_.pages_.clear();
    context_.properties_.clear();
    loginPages_.clear();
    currentTemplet_.reset();

    TagScanner scanner(text);
    TagScanner::Tag tag;
    while (scanner.next(tag)) {
        String name = tag.name;
        name.toLower();
        if (name.getAt(0) == u'/') {
            if (name == u"/templet")
                currentTemplet_.reset();
            continue;
        }
        if (tag.hasAttributes)
            _apply(name, tag.attributes);
    }
    currentTemplet_.reset();
}

void ConfigReader::_apply(const String& element, const Attributes& attributes)
{
    String id = valueOf(attributes, u"id");
    if (id.empty())
        return;
    if (element == u"property")
        _property(id, valueOf(attributes, u"value"));
    else if (element == u"login")
        loginPages_[id] = valueOf(attributes, u"page");
    else if (element == u"templet")
        _templet(id, attributes);
    else if (element == u"page")
        _page(id, attributes);
}

void ConfigReader::_property(const String& id, const String& value)
{
    if (id == u"log_file")
        context_.logFile_ = value;
    else if (id == u"temp_dir")
        context_.templateDir_ = value;
    else if (id == u"debug")
        context_.debug_ = XmlParser::toBool(value);
    else
        context_.properties_[id] = value;
}

String ConfigReader::_loginPage(const String& login) const
{
    auto it = loginPages_.find(login);
    if (it == loginPages_.end() || it->second.empty())
        return String(u"!");
    return it->second;
}

void ConfigReader::_templet(const String& id, const Attributes& attributes)
{
    Ref<PageInfo> templet = new PageInfo();
    templet->setKind(PageInfo::PAGE_TEMPLET);
    templet->id = id;
    templet->dblink = valueOf(attributes, u"dblink");
    templet->charset = valueOf(attributes, u"charset");
    templet->pagetype = valueOf(attributes, u"pagetype");
    String login = valueOf(attributes, u"login");
    if (!login.empty())
        templet->login = _loginPage(login);
    templet->setExpires(valueOf(attributes, u"expires").toInteger());
    context_.pages_[id] = templet;
    if (!find(attributes, TagScanner::CLOSED))
        currentTemplet_ = templet;
}

// A page names its templet, or inherits from the one that is open. A
// named templet that does not exist (or is not a templet) gives no parent;
// the open one is not used then.
PageInfo* ConfigReader::_parentOf(const Attributes& attributes) const
{
    const String* named = find(attributes, u"templet");
    if (!named)
        return currentTemplet_;
    if (named->empty())
        return nullptr;
    auto it = context_.pages_.find(*named);
    if (it == context_.pages_.end() || it->second->getKind() != PageInfo::PAGE_TEMPLET)
        return nullptr;
    return it->second;
}

void ConfigReader::_page(const String& id, const Attributes& attributes)
{
    PageInfo* parent = _parentOf(attributes);
    Ref<PageInfo> page = new PageInfo();
    page->setKind(PageInfo::PAGE_VISIBLE);
    page->id = id;
    page->title = valueOf(attributes, u"title");
    if (parent)
        page->templet = parent->id;

    if (const String* login = find(attributes, u"login"))
        page->login = login->empty() ? String() : _loginPage(*login);
    else if (parent)
        page->login = parent->login;

    page->group = valueOf(attributes, u"group");

    const String* dblink = find(attributes, u"dblink");
    page->dblink = dblink ? *dblink : parent ? parent->dblink : String();
    if (page->dblink.getAt(0) == u'!') {
        page->dblink.remove(0, 1);
        page->setDblinkFlag(true);
    }

    const String* charset = find(attributes, u"charset");
    page->charset = charset ? *charset : parent ? parent->charset : String();
    const String* pagetype = find(attributes, u"pagetype");
    page->pagetype = pagetype ? *pagetype : parent ? parent->pagetype : String();
    if (const String* expires = find(attributes, u"expires"))
        page->setExpires(expires->toInteger());
    else if (parent)
        page->setExpires(parent->getExpires());

    if (const String* hidden = find(attributes, u"hidden"); hidden && isHidden(*hidden))
        page->setKind(PageInfo::PAGE_HIDDEN);

    context_.pages_[id] = page;
}

} // namespace tessel
