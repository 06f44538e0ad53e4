#include "host/PageExchange.h"

#include <cstdio>

#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpResponse.h"
#include "tessel/web/HttpSession.h"
#include "tessel/web/HttpUpload.h"
#include "tessel/web/PageInfo.h"

#include "dbdriver/IDbSession.h"

#include "host/AnonymousSessions.h"
#include "host/FrameworkRequest.h"
#include "host/HostRequest.h"
#include "host/PasswordChecker.h"
#include "host/PageView.h"
#include "host/RequestSections.h"
#include "host/ResponseCopy.h"
#include "host/UriText.h"
#include "host/Utf8.h"
#include "host/VisitorDatabase.h"
#include "host/VisitorSession.h"

namespace host {

namespace {

constexpr int FOUND = 302;
constexpr int FORBIDDEN = 403;
constexpr int NOT_FOUND = 404;
constexpr int SERVER_ERROR = 500;
constexpr const char* STREAM_TYPE = "application/octet-stream";

// The queries of one request share one read transaction: the database's
// locks are taken once, not at every statement. Saves end it first and
// commit as they would without it; it ends with the request, however the
// request ends.
class RequestReads {
public:
    explicit RequestReads(IDbSession& database) : database_(database) { database_.beginReads(); }
    ~RequestReads() { database_.endReads(); }
    RequestReads(const RequestReads&) = delete;
    RequestReads& operator=(const RequestReads&) = delete;

private:
    IDbSession& database_;
};

} // namespace

const tessel::String& PageExchange::signedInAttribute()
{
    static const tessel::String name(u"company");
    return name;
}

PageExchange::PageExchange(tessel::HttpContext& context, const tessel::PageInfo& page, HostRequest& request,
                           const tessel::String& dataFolder, AnonymousSessions& anonymous)
    : context_(context), page_(page), host_(request), dataFolder_(dataFolder), anonymous_(anonymous)
{
}

PageExchange::~PageExchange() = default;

HostResponse PageExchange::run()
{
    prepare();
    RequestReads reads(*database_);
    HostResponse response;
    if (!mayEnter()) {
        response = refusal();
    } else if (!createAction()) {
        logFailure("the application has no action for it");
        response = HostResponse::error(NOT_FOUND);
    } else {
        bindAction();
        handUploads();
        context_.initAction(*action_);
        action_->execute();
        if (PasswordChecker::asked(*request_, host_))
            response.checkPassword = true; // this run's answer is not the one
        else
            response = answeredDirectly() ? directAnswer() : renderedPage();
        action_.reset();
    }
    finishSession(response);
    return response;
}

void PageExchange::prepare()
{
    request_ = new tessel::HttpRequest();
    FrameworkRequest::fill(*request_, host_);
    PasswordChecker::offer(*request_, host_);
    sessionFound_ = VisitorSession::bind(*request_, host_);
    session_ = request_->findSession();
    signedIn_ = session_->hasAttribute(signedInAttribute());
    // Held for the request: the action may empty the session (sign-out)
    // while it still works with the database.
    database_ = VisitorDatabase::find(*session_);
    freshDatabase_ = !database_;
    if (freshDatabase_)
        database_.adopt(VisitorDatabase::make(dataFolder_));
    output_ = new tessel::MemoryStream();
    response_ = new tessel::HttpResponse();
    response_->setOutputStream(output_);
    writer_ = new tessel::TextWriter(output_, PageView::charsetOf(page_));
}

bool PageExchange::mayEnter()
{
    return page_.login.empty() || context_.checkRight(*request_);
}

HostResponse PageExchange::refusal() const
{
    if (page_.login == u"!")
        return HostResponse::error(FORBIDDEN);
    HostResponse response;
    response.status = FOUND;
    response.setHeader("Location", UriText::safe("/" + Utf8::encode(page_.login) + ".htm"));
    response.setHeader("Cache-Control", "no-store");
    return response;
}

bool PageExchange::createAction()
{
    return context_.dispatch(page_.id, action_.out()) && action_;
}

void PageExchange::bindAction()
{
    action_->setRequest(request_);
    action_->setResponse(response_);
    action_->setWriter(writer_);
    action_->setContext(&context_);
    action_->setPageId(page_.id);
    action_->setDbSession(database_);
    RequestSections::fill(*action_->getValue(), host_);
}

void PageExchange::handUploads()
{
    for (const UploadedFile& file : host_.uploads) {
        tessel::Ref<tessel::HttpUpload> upload = new tessel::HttpUpload();
        upload->setName(file.fieldName);
        upload->setFileName(file.fileName);
        upload->setContentType(file.contentType);
        upload->setFullPath(Utf8::decode(file.path));
        upload->setSize(file.size);
        action_->addUpload(upload); // asks the action's tryUpload
    }
}

bool PageExchange::answeredDirectly() const
{
    return action_->isAnswered() || response_->isCommitted() || action_->getStream();
}

HostResponse PageExchange::directAnswer()
{
    if (tessel::IInputStream* stream = action_->getStream()) {
        HostResponse response = framed(STREAM_TYPE);
        bool read = ResponseCopy::readStream(*stream, response.body);
        stream->close();
        if (!read) {
            logFailure("its stream could not be read whole");
            return HostResponse::error(SERVER_ERROR);
        }
        return response;
    }
    HostResponse response = framed(PageView::contentTypeOf(page_));
    response.body = output();
    if (response.body.empty() && response.status >= 400) {
        HostResponse page = HostResponse::error(response.status);
        response.body = page.body;
        response.setHeader("Content-Type", page.header("Content-Type"));
    }
    return response;
}

HostResponse PageExchange::renderedPage()
{
    tessel::PageInfo forwarded;
    tessel::String shown;
    if (!PageView::render(context_, shownPage(forwarded), *action_, shown)) {
        logFailure("no template " + Utf8::encode(shown) + Utf8::encode(context_.getFileext()));
        return HostResponse::error(SERVER_ERROR);
    }
    HostResponse response = framed(PageView::contentTypeOf(page_));
    response.body = output();
    return response;
}

// The page the action forwarded to (setForward), else the one asked for.
const tessel::PageInfo& PageExchange::shownPage(tessel::PageInfo& forwarded) const
{
    const tessel::String& id = action_->getPageId();
    if (id.empty() || id == page_.id)
        return page_;
    if (tessel::PageInfo* known = context_.findPage(id))
        return *known;
    forwarded.id = id;
    return forwarded;
}

HostResponse PageExchange::framed(const std::string& defaultType) const
{
    HostResponse response;
    const tessel::String& type = response_->getContentType();
    response.setHeader("Content-Type", type.empty() ? defaultType : Utf8::encode(type));
    ResponseCopy::copy(*response_, response);
    if (response.header("Cache-Control").empty())
        response.setHeader("Cache-Control", "no-store");
    return response;
}

std::string PageExchange::output() const
{
    const char* bytes = output_->getBuffer();
    return bytes ? std::string(bytes, static_cast<size_t>(output_->getSize())) : std::string();
}

void PageExchange::finishSession(HostResponse& response)
{
    tessel::HttpSession* session = request_->findSession();
    if (!session)
        return;
    bool signedIn = session->hasAttribute(signedInAttribute());
    if (response.checkPassword) {
        // The request runs again with the answer, and makes its session
        // then; nothing of this run is kept.
        if (!sessionFound_ && !signedIn)
            tessel::HttpSession::remove(session->getId());
        return;
    }
    // Only a signed-in visitor keeps a database open: a failed sign-in
    // leaves no file open behind it.
    if (freshDatabase_ && signedIn)
        VisitorDatabase::keep(*session, database_);
    // An id that was known before the sign-in (planted in a link, seen on a
    // shared machine) must not carry the signed-in visitor.
    if (!signedIn_ && signedIn)
        session->renew();
    else if (!sessionFound_ && !signedIn)
        anonymous_.add(session->getId());
    if (session->getId() != request_->getRequestedSessionId())
        response.headers.emplace_back("Set-Cookie", VisitorSession::cookieOf(*session));
}

void PageExchange::logFailure(const std::string& what) const
{
    std::fprintf(stderr, "quillot-server: page %s: %s\n", Utf8::encode(page_.id).c_str(), what.c_str());
}

} // namespace host
