#include "host/InProcessPage.h"

#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpResponse.h"
#include "tessel/web/HttpSession.h"

#include "dbdriver/IDbSession.h"

#include "host/PageView.h"
#include "host/Utf8.h"

namespace host {

InProcessPage::InProcessPage(tessel::HttpContext& context, const char* page)
    : context_(context), page_(Utf8::decode(page)), fields_(new tessel::Value())
{
}

bool InProcessPage::isOffered() const
{
    return context_.findPage(page_) != nullptr;
}

void InProcessPage::setField(const char16_t* name, const tessel::String& value)
{
    fields_->insert(tessel::String(u"POST.") + name, value);
    fields_->insert(tessel::String(u"FORM.") + name, value);
}

bool InProcessPage::run(IDbSession* database, std::string& answer)
{
    tessel::PageInfo* page = context_.findPage(page_);
    tessel::Ref<tessel::HttpAction> action;
    if (!page || !context_.dispatch(page->id, action.out()) || !action) {
        answer = "the application has no page " + page_.toStdString();
        return false;
    }
    tessel::Ref<tessel::HttpRequest> request = new tessel::HttpRequest();
    request->setMethod(u"POST");
    tessel::Ref<tessel::HttpResponse> response = new tessel::HttpResponse();
    tessel::Ref<tessel::MemoryStream> output = new tessel::MemoryStream();
    response->setOutputStream(output);
    tessel::Ref<tessel::TextWriter> writer = new tessel::TextWriter(output, PageView::UTF8);

    action->setRequest(request);
    action->setResponse(response);
    action->setWriter(writer);
    action->setContext(&context_);
    action->setPageId(page->id);
    action->setDbSession(database);
    action->getValue()->mergeWith(fields_);
    context_.initAction(*action);
    action->execute();
    action.reset();
    // Preparing the page gave the request a visitor session (the dispatcher
    // looks there for a signed-in company); no visitor will come back for it.
    if (tessel::HttpSession* session = request->findSession())
        session->invalidate();

    answer.assign(output->getBuffer() ? output->getBuffer() : "", static_cast<size_t>(output->getSize()));
    return true;
}

} // namespace host
