#include "host/HostResponse.h"

#include "host/HeaderValue.h"

namespace host {

namespace {

struct Reason {
    int status;
    const char* text;
};

const Reason REASONS[] = {
    {200, "OK"},
    {204, "No Content"},
    {206, "Partial Content"},
    {302, "Found"},
    {304, "Not Modified"},
    {400, "Bad Request"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {405, "Method Not Allowed"},
    {408, "Request Timeout"},
    {411, "Length Required"},
    {413, "Content Too Large"},
    {414, "URI Too Long"},
    {415, "Unsupported Media Type"},
    {417, "Expectation Failed"},
    {431, "Request Header Fields Too Large"},
    {500, "Internal Server Error"},
    {501, "Not Implemented"},
    {503, "Service Unavailable"},
    {505, "HTTP Version Not Supported"},
};

} // namespace

const char* HostResponse::reasonOf(int status)
{
    for (const Reason& reason : REASONS) {
        if (reason.status == status)
            return reason.text;
    }
    return "Unknown";
}

HostResponse HostResponse::text(int status, std::string_view contentType, std::string body)
{
    HostResponse response;
    response.status = status;
    response.setHeader("Content-Type", contentType);
    response.body = std::move(body);
    return response;
}

HostResponse HostResponse::error(int status)
{
    std::string title = std::to_string(status) + " " + reasonOf(status);
    HostResponse response = text(status, "text/html; charset=utf-8",
                                 "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head><body><h1>" + title +
                                     "</h1></body></html>\n");
    response.setHeader("Cache-Control", "no-store");
    return response;
}

void HostResponse::setHeader(std::string_view name, std::string_view value)
{
    for (Header& header : headers) {
        if (HeaderValue::equalsIgnoreCase(header.first, name)) {
            header.second.assign(value);
            return;
        }
    }
    headers.emplace_back(std::string(name), std::string(value));
}

std::string HostResponse::header(std::string_view name) const
{
    for (const Header& header : headers) {
        if (HeaderValue::equalsIgnoreCase(header.first, name))
            return header.second;
    }
    return std::string();
}

} // namespace host
