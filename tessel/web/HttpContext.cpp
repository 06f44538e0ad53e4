#include "tessel/web/HttpContext.h"

#include "tessel/core/AnyValue.h"
#include "tessel/core/IInputStream.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/TextReader.h"
#include "tessel/core/TextWriter.h"
#include "tessel/fs/IFileSystem.h"
#include "tessel/web/ArrayReader.h"
#include "tessel/web/BuiltinFunctions.h"
#include "tessel/web/ConfigReader.h"
#include "tessel/web/ExpressionBuilder.h"
#include "tessel/web/HttpDispatcher.h"
#include "tessel/web/HttpFunction.h"
#include "tessel/web/MessageReader.h"
#include "tessel/web/TagNode.h"
#include "tessel/web/TemplateParser.h"

namespace tessel {

namespace {

using LoadDispatcherFunction = HttpDispatcher* (*)(HttpContext*, HttpWindow*);

// Counts the renders under way for the time of one render.
class DepthGuard {
public:
    explicit DepthGuard(int& depth) : depth_(depth) { depth_++; }
    ~DepthGuard() { depth_--; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

private:
    int& depth_;
};

bool isSeparator(char16_t c)
{
    return c == u'/' || c == u'\\';
}

} // namespace

HttpContext::HttpContext(HttpDispatcher* dispatcher)
    : arrays_(new Value()), messages_(new Value()), dispatcher_(dispatcher), fileExt_(u".htm")
{
    if (dispatcher_)
        dispatcher_->AddRef();
}

// The parsed templates hold functions whose code may lie in the application
// library, and so does the dispatcher: both go before the library closes.
HttpContext::~HttpContext()
{
    _releaseBusiness();
    arrays_.reset();
    messages_.reset();
    pages_.clear();
    properties_.clear();
    if (fileSystem_)
        fileSystem_->Release();
    fileSystem_ = nullptr;
    library_.close();
}

void HttpContext::_releaseBusiness()
{
    clearTemplateCache();
    HttpDispatcher* dispatcher = dispatcher_;
    dispatcher_ = nullptr;
    if (dispatcher)
        dispatcher->Release();
}

// ------------------------------------------------------------------ set-up

void HttpContext::initialize(IFileSystem* fs)
{
    // The new file system is held before the old one goes: they may be the
    // same object.
    if (fs)
        fs->AddRef();
    IFileSystem* old = fileSystem_;
    fileSystem_ = fs;
    if (old)
        old->Release();

    clearTemplateCache();
    pages_.clear();
    properties_.clear();
    if (fs)
        _readConfiguration();
}

void HttpContext::_readConfiguration()
{
    String text;
    if (_readText(u"config.xml", text))
        ConfigReader(*this).read(text);

    text.clear();
    if (_readText(u"message.ini", text))
        messages_.adopt(MessageReader::read(text));
    else
        messages_ = new Value();

    text.clear();
    if (_readText(u"array.xml", text))
        arrays_.adopt(ArrayReader::read(text, messages_));
    else
        arrays_ = new Value();
}

bool HttpContext::loadBusiness(const String& path, HttpWindow* window)
{
    _releaseBusiness();
    if (!library_.open(path.c_str()))
        return false;
    auto entry = reinterpret_cast<LoadDispatcherFunction>(library_.getSymbol("LoadDispatcher"));
    if (entry)
        dispatcher_ = entry(this, window); // handed over with one reference
    if (dispatcher_)
        return true;
    library_.close();
    return false;
}

// ------------------------------------------------------------- forwarders

bool HttpContext::dispatch(const String& page, HttpAction** out) const
{
    if (!dispatcher_ || !out || page.empty())
        return false;
    return dispatcher_->dispatch(page, out);
}

void HttpContext::initAction(HttpAction& action)
{
    if (dispatcher_)
        dispatcher_->initAction(action);
}

bool HttpContext::checkRight(HttpRequest& request) const
{
    return dispatcher_ && dispatcher_->checkRight(request);
}

bool HttpContext::onTimer(int& interval) const
{
    return dispatcher_ && dispatcher_->onTimer(interval);
}

bool HttpContext::_createFunc(const String& name, HttpFunction** out)
{
    if (name.empty() || !out)
        return false;
    if (dispatcher_ && dispatcher_->createFunction(name, out))
        return true;
    return BuiltinFunctions::create(name, out);
}

// ------------------------------------------------------------- page table

PageInfo* HttpContext::getPageInfo(const String& id, bool includeHidden) const
{
    auto it = pages_.find(id);
    if (it == pages_.end())
        return nullptr;
    int kind = it->second->getKind();
    if (kind == PageInfo::PAGE_VISIBLE || (kind == PageInfo::PAGE_HIDDEN && includeHidden))
        return it->second;
    return nullptr;
}

PageInfo* HttpContext::getTemplate(const String& id) const
{
    auto it = pages_.find(id);
    if (it == pages_.end() || it->second->getKind() != PageInfo::PAGE_TEMPLET)
        return nullptr;
    return it->second;
}

PageInfo* HttpContext::findPage(const String& name) const
{
    if (name.empty())
        return nullptr;
    if (PageInfo* exact = getPageInfo(name, true))
        return exact;
    for (const auto& [id, page] : pages_)
        if (page->getKind() != PageInfo::PAGE_TEMPLET && id.equalsIgnoreCase(name))
            return page;
    return nullptr;
}

String HttpContext::getPagePath(const String& page) const
{
    return templateDir_ + page + fileExt_;
}

String HttpContext::getRealPath(const String& path) const
{
    String real;
    if (fileSystem_ && !path.empty() && !fileSystem_->getRealPath(path, real))
        real.clear();
    return real;
}

// -------------------------------------------------------------- templates

bool HttpContext::render(const String& name, Value* data, TextWriter& out)
{
    if (!fileSystem_ || !_isSafeTemplateName(name))
        return false;
    return _renderFile(name + fileExt_, debug_ ? nullptr : &name, data, out);
}

bool HttpContext::convert(const String& path, Value* data, TextWriter& out)
{
    if (!fileSystem_ || !_isSafeTemplateName(path))
        return false;
    return _renderFile(path, nullptr, data, out);
}

bool HttpContext::_renderFile(const String& path, const String* cacheKey, Value* data, TextWriter& out)
{
    if (renderDepth_ > MAX_INCLUDE_DEPTH)
        return false;
    DepthGuard depth(renderDepth_);
    // The tree is held for the render: a function or an include may clear
    // the cache on the way.
    Ref<TagNode> tree;
    if (cacheKey) {
        auto it = templateCache_.find(*cacheKey);
        if (it != templateCache_.end())
            tree = it->second;
    }
    if (!tree) {
        String text;
        if (!_readText(path, text) || !parseXml(text, tree.out()))
            return false;
        if (cacheKey)
            templateCache_[*cacheKey] = tree;
    }
    // The page collects in the writer's block and reaches the stream in a
    // few large writes when the outermost render ends.
    out.beginBlock();
    tree->render(data, out);
    out.endBlock();
    return true;
}

bool HttpContext::parseXml(const String& text, TagNode** out)
{
    return TemplateParser(*this).parse(text, out);
}

bool HttpContext::parseVar(const String& text, AnyValue** out, bool simple)
{
    if (!out)
        return false;
    *out = ExpressionBuilder(*this).build(text, simple);
    return true;
}

void HttpContext::clearTemplateCache()
{
    templateCache_.clear();
}

// A name must stay below the application folder: no "..", no leading
// separator, no control characters. The configured template directory is
// the application's own choice and is not checked.
bool HttpContext::_isSafeTemplateName(const String& name) const
{
    int start = !templateDir_.empty() && name.startsWith(templateDir_) ? templateDir_.size() : 0;
    if (name.size() <= start || isSeparator(name[start]))
        return false;
    int segment = start;
    for (int i = start; i <= name.size(); i++) {
        char16_t c = i < name.size() ? name[i] : u'/';
        if (c < 32 || c == 127)
            return false;
        if (!isSeparator(c))
            continue;
        if (i - segment == 2 && name[segment] == u'.' && name[segment + 1] == u'.')
            return false;
        segment = i + 1;
    }
    return true;
}

bool HttpContext::_readText(const String& path, String& text) const
{
    Ref<IInputStream> stream;
    if (!fileSystem_ || !fileSystem_->open(path, stream.out()) || !stream)
        return false;
    Ref<TextReader> reader = new TextReader(stream, charset_);
    reader->readBOM();
    reader->read(text);
    stream->close();
    return true;
}

// ---------------------------------------------------------- configuration

String HttpContext::getProperty(const String& key) const
{
    if (key.empty())
        return String();
    auto it = properties_.find(key);
    return it == properties_.end() ? String() : it->second;
}

void HttpContext::setProperty(const String& key, const String& value)
{
    properties_[key] = value;
}

Value* HttpContext::getMessage(const String& key) const
{
    if (key.empty() || !messages_)
        return nullptr;
    return messages_->find(key);
}

void HttpContext::setFileext(const String& extension)
{
    if (!extension.empty())
        fileExt_ = extension;
}

void HttpContext::log(const String& message)
{
    if (message.empty() || !fileSystem_ || logFile_.empty())
        return;
    Ref<IOutputStream> stream;
    if (!fileSystem_->open(logFile_, stream.out()) || !stream)
        return;
    Ref<TextWriter> writer = new TextWriter(stream, charset_);
    writer->write(message);
    stream->close();
}

} // namespace tessel
