#include "PageVisitor.h"

HttpClient::Response PageVisitor::send(const std::string& method, const std::string& target, const std::string& headers,
                                       const std::string& body) const
{
    std::string text = method + " " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n" + headers;
    if (!cookie_.empty())
        text += "Cookie: " + cookie_ + "\r\n";
    HttpClient client(port_);
    return client.exchange(text + "\r\n" + body);
}

HttpClient::Response PageVisitor::get(const std::string& target) const
{
    return send("GET", target, "", "");
}

HttpClient::Response PageVisitor::post(const std::string& target, const std::string& body,
                                       const std::string& type) const
{
    std::string headers = "Content-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    return send("POST", target, headers, body);
}

void PageVisitor::keepCookieOf(const HttpClient::Response& response)
{
    std::string handed = sessionCookie(response);
    if (!handed.empty())
        cookie_ = handed;
}

std::string PageVisitor::sessionSetCookie(const HttpClient::Response& response)
{
    for (const std::string& value : response.all("set-cookie")) {
        if (value.rfind("CSESSIONID=", 0) == 0)
            return value;
    }
    return std::string();
}

std::string PageVisitor::sessionCookie(const HttpClient::Response& response)
{
    std::string value = sessionSetCookie(response);
    return value.substr(0, value.find(';'));
}
