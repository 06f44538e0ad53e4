#include "host/RequestSections.h"

#include "tessel/core/Value.h"

#include "host/FieldRules.h"
#include "host/HostRequest.h"
#include "host/UriText.h"
#include "host/Utf8.h"

namespace host {

namespace {

void insertFields(tessel::Value& section, const std::vector<FormField>& fields)
{
    for (const FormField& field : fields)
        FieldRules::insert(section, field.name, field.value);
}

std::string targetOf(const HostRequest& request)
{
    return request.queryString.empty() ? request.path : request.path + "?" + request.queryString;
}

std::string contentLengthOf(const HostRequest& request)
{
    if (request.bodyBytes > 0 || request.hasHeader("Content-Length") || request.hasHeader("Transfer-Encoding"))
        return std::to_string(request.bodyBytes);
    return std::string();
}

} // namespace

void RequestSections::fill(tessel::Value& data, const HostRequest& request)
{
    tessel::Value* get = data.insert(u"GET");
    insertFields(*get, request.query);
    if (request.isPost()) {
        tessel::Value* post = data.insert(u"POST");
        insertFields(*post, request.form);
    }
    tessel::Value* form = data.insert(u"FORM");
    insertFields(*form, request.query);
    insertFields(*form, request.form);
    fillServer(*data.insert(u"SERVER"), request);
}

void RequestSections::fillServer(tessel::Value& section, const HostRequest& request)
{
    put(section, u"REQUEST_URI", UriText::safe(targetOf(request)));
    put(section, u"REQUEST_METHOD", request.method);
    put(section, u"QUERY_STRING", UriText::safe(request.queryString));
    put(section, u"REMOTE_ADDR", request.remoteAddress);
    put(section, u"REMOTE_PORT", std::to_string(request.remotePort));
    put(section, u"SERVER_NAME", request.serverAddress);
    put(section, u"SERVER_PORT", std::to_string(request.serverPort));
    put(section, u"SERVER_PROTOCOL", "HTTP/" + request.protocol);
    put(section, u"SCRIPT_NAME", UriText::safe(request.path));
    put(section, u"PATH_INFO", std::string());
    put(section, u"CONTENT_TYPE", request.header("Content-Type"));
    put(section, u"CONTENT_LENGTH", contentLengthOf(request));
    put(section, u"HTTP_HOST", request.header("Host"));
    put(section, u"HTTP_USER_AGENT", request.header("User-Agent"));
    put(section, u"HTTP_REFERER", UriText::safe(request.header("Referer")));
    put(section, u"HTTP_ACCEPT_LANGUAGE", request.header("Accept-Language"));
}

void RequestSections::put(tessel::Value& section, const char16_t* name, const std::string& value)
{
    FieldRules::insert(section, tessel::String(name), Utf8::decode(value));
}

} // namespace host
