#pragma once

#include <map>
#include <string>

// A plain-socket HTTP/1.1 client for the tests: sends raw request text and
// reads one response (by Content-Length, or up to the end of the
// connection). Header names come back in lower case.
class HttpClient {
public:
    struct Response {
        int status = 0;
        std::map<std::string, std::string> headers;
        std::string body;
        bool closed = false; // the server ended the connection after it
    };

    explicit HttpClient(int port);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    bool send(const std::string& bytes);
    // Status 0 when no complete response arrived.
    Response receive(bool bodyExpected = true);
    Response exchange(const std::string& request) { send(request); return receive(); }
    // True when the server closes the connection without sending more.
    bool waitForClose();

    static Response get(int port, const std::string& target, const std::string& extraHeaders = "");

private:
    bool fill();

    int fd_ = -1;
    std::string buffer_;
    bool eof_ = false;
};
