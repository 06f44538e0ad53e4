#include "host/FrameworkRequest.h"

#include <chrono>
#include <climits>

#include "tessel/core/DateTime.h"
#include "tessel/web/HttpCookie.h"
#include "tessel/web/HttpRequest.h"

#include "host/CookieHeader.h"
#include "host/HeaderValue.h"
#include "host/HostRequest.h"
#include "host/Utf8.h"

namespace host {

namespace {

int clampToInt(int64_t value)
{
    return value > INT_MAX ? INT_MAX : value < 0 ? 0 : static_cast<int>(value);
}

} // namespace

void FrameworkRequest::fill(tessel::HttpRequest& target, const HostRequest& request)
{
    fillLine(target, request);
    fillHeaders(target, request);
    fillParameters(target, request);
}

void FrameworkRequest::fillLine(tessel::HttpRequest& target, const HostRequest& request)
{
    target.setMethod(Utf8::decode(request.method));
    target.setRequestURI(Utf8::decode(request.path));
    target.setServletPath(Utf8::decode(request.path));
    target.setQueryString(Utf8::decode(request.queryString));
    target.setProtocol(Utf8::decode(request.protocol));
    target.setScheme(u"http");
    target.setRemoteAddr(Utf8::decode(request.remoteAddress));
    target.setRemoteHost(Utf8::decode(request.remoteAddress));
    target.setRemotePort(request.remotePort);
    target.setServerName(Utf8::decode(request.serverAddress));
    target.setServerPort(request.serverPort);
    target.setContentType(Utf8::decode(request.header("Content-Type")));
    target.setContentLength(clampToInt(request.bodyBytes));
    int64_t seconds = std::chrono::duration_cast<std::chrono::seconds>(request.time.time_since_epoch()).count();
    target.setRequestTime(tessel::DateTime(seconds));
}

void FrameworkRequest::fillHeaders(tessel::HttpRequest& target, const HostRequest& request)
{
    for (const HostRequest::Header& header : request.headers) {
        target.addHeader(Utf8::decode(header.first), Utf8::decode(header.second));
        if (!HeaderValue::equalsIgnoreCase(header.first, "Cookie"))
            continue;
        for (const CookieHeader::Cookie& cookie : CookieHeader::parse(header.second))
            target.addCookie(new tessel::HttpCookie(Utf8::decode(cookie.name), Utf8::decode(cookie.value)));
    }
}

void FrameworkRequest::fillParameters(tessel::HttpRequest& target, const HostRequest& request)
{
    for (const FormField& field : request.query)
        target.addParameter(field.name, field.value);
    for (const FormField& field : request.form)
        target.addParameter(field.name, field.value);
}

} // namespace host
