#pragma once

#include <string>

#include "HttpClient.h"

// Page requests of one visitor to a server on `port`, each on a connection
// of its own, with the visitor's session cookie once it has one.
class PageVisitor {
public:
    explicit PageVisitor(int port, std::string cookie = "") : port_(port), cookie_(std::move(cookie)) {}

    HttpClient::Response get(const std::string& target) const;
    HttpClient::Response post(const std::string& target, const std::string& body,
                              const std::string& type = "application/x-www-form-urlencoded") const;
    // Takes the session cookie the response handed out, if any.
    void keepCookieOf(const HttpClient::Response& response);

    const std::string& cookie() const { return cookie_; }
    void setCookie(const std::string& cookie) { cookie_ = cookie; }

    // "CSESSIONID=..." of a response's Set-Cookie; empty when none.
    static std::string sessionCookie(const HttpClient::Response& response);
    // The whole Set-Cookie value of the session cookie.
    static std::string sessionSetCookie(const HttpClient::Response& response);

private:
    HttpClient::Response send(const std::string& method, const std::string& target, const std::string& headers,
                              const std::string& body) const;

    int port_;
    std::string cookie_;
};
