#pragma once

#include "tessel/core/Array.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

class IDbSession; // the database driver's session; the framework only carries it

namespace tessel {

class HttpContext;
class HttpRequest;
class HttpResponse;
class HttpUpload;
class IFileSystem;
class IInputStream;
class TextWriter;

// Base of every page action. The application's dispatcher creates one per
// request; the host binds the request, the response, the output writer, the
// context and a database session to it; the dispatcher's initAction prepares
// it; execute does the page's work: it fills the data tree for the
// template, or answers directly (a short text through setError, a file
// through sendStream). Destroyed through Release.
class HttpAction : public IObject {
public:
    // Character classes accepted by isSafe.
    enum SafeType {
        SAFE_TEXT = 0,
        SAFE_NAME = 1,
        SAFE_LIST = 2,
        SAFE_PATH = 3,
        SAFE_URL = 4,
        SAFE_EXPRESSION = 5,
        SAFE_MAIL = 6,
        SAFE_FILTER = 7,
        SAFE_TIME = 8,
        SAFE_SQL = 9,
    };

    HttpAction();

    virtual void execute() {}
    // The concrete class name ("LoginAction"); it names the action's
    // section in "message.ini".
    virtual String getClassName() const = 0;
    // Asked for each uploaded file before it is accepted.
    virtual bool tryUpload(HttpUpload&) { return true; }

    Value* getValue() const { return data_; }
    HttpRequest& getRequest() const { return *request_; }
    HttpResponse& getResponse() const { return *response_; }
    IFileSystem* getFileSystem() const;
    String getProperty(const String& key) const;
    const String& getPageId() const { return pageId_; }
    void setForward(const String& page) { pageId_ = page; }
    void setView(const String& view, const String& templet = String());
    bool isPost() const;
    String getMessage(const String& key) const;
    void setError(const String& message);
    bool loadFile(const String& name);
    bool loadFile(const String& path, TextWriter& out);
    void sendStream(IInputStream* stream);
    IInputStream* getStream() const { return stream_; }
    HttpUpload* getUpload(const String& name) const;
    void setCharset(const char16_t* name);
    void log(const String&) {}

    static bool isSafe(const String& text, SafeType type);
    static void parseQuery(const String& query, Value* out);

    // What the host binds before the action runs.
    void setRequest(HttpRequest* request) { request_ = request; }
    void setResponse(HttpResponse* response) { response_ = response; }
    void setWriter(TextWriter* writer) { writer_ = writer; }
    TextWriter* getWriter() const { return writer_; }
    void setContext(HttpContext* context) { context_ = context; }
    HttpContext* getContext() const { return context_; }
    void setPageId(const String& page) { pageId_ = page; }
    void setDbSession(IDbSession* session) { dbSession_ = session; }
    IDbSession* getDbSession() const { return dbSession_; }
    void addUpload(HttpUpload* upload);
    const Array<HttpUpload>& getUploads() const { return uploads_; }
    // Whether the action wrote its answer itself (setError, loadFile into
    // the response, sendStream), so that the host does not render the page.
    bool isAnswered() const { return answered_; }
    void setAnswered(bool answered) { answered_ = answered; }

protected:
    ~HttpAction() override;

private:
    TextWriter* writer_ = nullptr;
    Ref<Value> data_;
    IDbSession* dbSession_ = nullptr;
    Array<HttpUpload> uploads_;
    String pageId_;
    HttpRequest* request_ = nullptr;
    HttpResponse* response_ = nullptr;
    HttpContext* context_ = nullptr;
    Ref<IInputStream> stream_;
    bool answered_ = false;
};

} // namespace tessel
