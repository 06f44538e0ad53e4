#include "quillot/frame/PageAction.h"

#include "quillot/frame/UserState.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpResponse.h"

using tessel::Value;

tessel::String PageAction::getClassName() const
{
    return entry_ ? entry_->className : tessel::String(u"EmptyAction");
}

Value* PageAction::form() const
{
    return getValue()->insert(u"FORM");
}

Value* PageAction::post() const
{
    Value* section = getValue()->find(u"POST");
    return section && section->isMap() ? section : nullptr;
}

UserState& PageAction::userState() const
{
    return UserState::of(getRequest().getSession());
}

void PageAction::redirectTo(const tessel::String& url)
{
    getResponse().sendRedirect(url);
    setAnswered(true);
}

void PageAction::offerMessages()
{
    tessel::HttpContext* context = getContext();
    Value* messages = context ? context->getMessage(getClassName()) : nullptr;
    if (messages && messages->isMap())
        getValue()->insert(u"messages")->mergeWith(messages);
}
