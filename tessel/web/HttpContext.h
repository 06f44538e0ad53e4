#pragma once

#include <map>

#include "tessel/core/IObject.h"
#include "tessel/core/Library.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"
#include "tessel/web/PageInfo.h"

namespace tessel {

class AnyValue;
class HttpAction;
class HttpDispatcher;
class HttpFunction;
class HttpRequest;
class HttpWindow;
class IFileSystem;
class IInputStream;
class TextWriter;

// The root object of a running web application. The host creates one,
// initialises it over the application folder (which holds "config.xml",
// "message.ini", "array.xml" and the templates) and loads the business
// library; from then on the context owns what all requests share: the page
// table, the properties, the messages and arrays, the parsed templates and
// the application's dispatcher. Destroyed only through Release.
class HttpContext : public IObject {
public:
    class TagNode;

    explicit HttpContext(HttpDispatcher* dispatcher = nullptr);

    // Set-up. initialize (re)reads the three configuration files through
    // `fs` and drops every parsed template; loadBusiness loads the
    // application library and takes its dispatcher.
    void initialize(IFileSystem* fs);
    bool loadBusiness(const String& path, HttpWindow* window);

    // Forwarders to the application's dispatcher.
    bool dispatch(const String& page, HttpAction** out) const;
    void initAction(HttpAction& action);
    bool checkRight(HttpRequest& request) const;
    bool onTimer(int& interval) const;

    // The page table.
    PageInfo* getPageInfo(const String& id, bool includeHidden) const;
    PageInfo* getTemplate(const String& id) const;
    // The page whose id equals `name` ignoring letter case (pages and hidden
    // pages only), for hosts that match request paths to page ids.
    PageInfo* findPage(const String& name) const;
    String getPagePath(const String& page) const;
    String getRealPath(const String& path) const;

    // Templates. render reads name + extension and keeps the parsed tree
    // (unless debug is on); convert reads the path as given and never
    // caches. Both refuse names that could leave the application folder.
    bool render(const String& name, Value* data, TextWriter& out);
    // How deeply includes may nest; an include past it writes nothing.
    static constexpr int MAX_INCLUDE_DEPTH = 16;
    bool convert(const String& path, Value* data, TextWriter& out);
    // Builds an expression value; `out` receives one reference.
    bool parseVar(const String& text, AnyValue** out, bool simple);
    // Creates a template function by name: the application's first, then
    // the built-in ones. False when neither knows the name.
    bool _createFunc(const String& name, HttpFunction** out);
    void clearTemplateCache();

    // Configuration.
    String getProperty(const String& key) const;
    void setProperty(const String& key, const String& value);
    Value* getMessage(const String& key) const;
    Value* getArrays() const { return arrays_; }
    IFileSystem* getFileSystem() const { return fileSystem_; }
    int getCharset() const { return charset_; }
    void setCharset(int charset) { charset_ = charset; }
    const String& getFileext() const { return fileExt_; }
    void setFileext(const String& extension);
    const String& getLogFilename() const { return logFile_; }
    const String& getTemplateDir() const { return templateDir_; }
    bool isDebug() const { return debug_; }

    // Writes the message, exactly as given, as the whole content of the log
    // file named by the "log_file" property.
    void log(const String& message);

private:
    friend class ConfigReader;
    using PageTable = std::map<String, Ref<PageInfo>>;
    using TemplateCache = std::map<String, Ref<TagNode>>;

    ~HttpContext() override;

    bool parseXml(const String& text, TagNode** out);
    // Reads, parses and renders one template file; with a cache key the
    // parsed tree is looked up and kept under that key.
    bool _renderFile(const String& path, const String* cacheKey, Value* data, TextWriter& out);
    // The whole text of a file in the context's charset, a byte order mark
    // taking precedence. False when the file does not open.
    bool _readText(const String& path, String& text) const;
    // Whether a template name stays inside the application's file system.
    bool _isSafeTemplateName(const String& name) const;
    void _readConfiguration();
    // Drops what holds code of the loaded application: the parsed
    // templates (their functions) and the dispatcher.
    void _releaseBusiness();

    PageTable pages_;
    TemplateCache templateCache_;
    Ref<Value> arrays_;
    Ref<Value> messages_;
    std::map<String, String> properties_;
    HttpDispatcher* dispatcher_ = nullptr;
    IFileSystem* fileSystem_ = nullptr;
    String templateDir_;
    String logFile_;
    String fileExt_;
    Library library_;
    int charset_ = 0;
    bool debug_ = false;
    int renderDepth_ = 0; // nested renders (includes), capped so that a loop of includes ends
};

} // namespace tessel
