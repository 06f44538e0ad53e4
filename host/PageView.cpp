#include "host/PageView.h"

#include "tessel/core/Value.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/PageInfo.h"

#include "host/HeaderValue.h"
#include "host/Utf8.h"

namespace host {

int PageView::charsetOf(const tessel::PageInfo& page)
{
    if (page.charset.empty())
        return UTF8;
    int code = tessel::charsetOf(page.charset.c_str());
    return code > 0 ? code : UTF8;
}

std::string PageView::contentTypeOf(const tessel::PageInfo& page)
{
    std::string charset = page.charset.empty() || tessel::charsetOf(page.charset.c_str()) <= 0
                              ? std::string("utf-8")
                              : Utf8::encode(page.charset);
    if (page.pagetype.empty())
        return "text/html; charset=" + charset;
    std::string type = Utf8::encode(page.pagetype);
    bool isText = HeaderValue::equalsIgnoreCase(std::string_view(type).substr(0, 5), "text/");
    if (isText && type.find("charset=") == std::string::npos)
        type += "; charset=" + charset;
    return type;
}

tessel::String PageView::templateOf(const tessel::HttpContext& context, const tessel::String& pageId)
{
    return context.getTemplateDir() + pageId;
}

bool PageView::render(tessel::HttpContext& context, const tessel::PageInfo& page, tessel::HttpAction& action,
                      tessel::String& shown)
{
    tessel::Value* data = action.getValue();
    tessel::String own = templateOf(context, page.id);
    tessel::PageInfo* templet = page.templet.empty() ? nullptr : context.getTemplate(page.templet);
    if (templet) {
        if (!data->find(u"."))
            data->insert(u".", own);
        shown = templateOf(context, templet->id);
    } else {
        shown = own;
    }
    return action.getWriter() && context.render(shown, data, *action.getWriter());
}

} // namespace host
