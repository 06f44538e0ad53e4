#include "host/CompanyCreation.h"

#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpResponse.h"
#include "tessel/web/HttpSession.h"

#include "dbdriver/SqliteSession.h"

#include "host/PageView.h"
#include "host/Utf8.h"

namespace host {

namespace {

const char* const OK = "ok:";

// The page's form as a browser would post it: under POST and FORM.
void putField(tessel::Value& data, const char16_t* name, const tessel::String& value)
{
    data.insert(tessel::String(u"POST.") + name, value);
    data.insert(tessel::String(u"FORM.") + name, value);
}

} // namespace

CompanyCreation::CompanyCreation(tessel::HttpContext& context, const tessel::String& dataFolder)
    : context_(context), dataFolder_(dataFolder)
{
}

bool CompanyCreation::isOffered() const
{
    return context_.findPage(Utf8::decode(PAGE)) != nullptr;
}

bool CompanyCreation::exists(const std::string& name) const
{
    tessel::Ref<SqliteSession> session = new SqliteSession(dataFolder_);
    return session->exists(Utf8::decode(name));
}

std::string CompanyCreation::create(const std::string& name, const std::string& company, const std::string& password,
                                    bool demo)
{
    tessel::PageInfo* page = context_.findPage(Utf8::decode(PAGE));
    tessel::Ref<tessel::HttpAction> action;
    if (!page || !context_.dispatch(page->id, action.out()) || !action)
        return "the application has no page that makes databases";

    tessel::Ref<tessel::HttpRequest> request = new tessel::HttpRequest();
    request->setMethod(u"POST");
    tessel::Ref<tessel::HttpResponse> response = new tessel::HttpResponse();
    tessel::Ref<tessel::MemoryStream> output = new tessel::MemoryStream();
    response->setOutputStream(output);
    tessel::Ref<tessel::TextWriter> writer = new tessel::TextWriter(output, PageView::UTF8);
    tessel::Ref<SqliteSession> database = new SqliteSession(dataFolder_);

    action->setRequest(request);
    action->setResponse(response);
    action->setWriter(writer);
    action->setContext(&context_);
    action->setPageId(page->id);
    action->setDbSession(database);
    tessel::Value& data = *action->getValue();
    putField(data, u"cmd", u"create");
    putField(data, u"dbname", Utf8::decode(name));
    putField(data, u"company", Utf8::decode(company));
    putField(data, u"passwd", Utf8::decode(password));
    putField(data, u"demo", demo ? u"1" : u"0");
    context_.initAction(*action);
    action->execute();
    action.reset();
    // Preparing the page gave the request a visitor session (the dispatcher
    // looks there for a signed-in company); no visitor will come back for it.
    if (tessel::HttpSession* session = request->findSession())
        session->invalidate();
    database->close();

    std::string answer(output->getBuffer() ? output->getBuffer() : "", static_cast<size_t>(output->getSize()));
    if (answer.rfind(OK, 0) == 0)
        return std::string();
    return answer.empty() ? std::string("the database was not made") : answer;
}

} // namespace host
