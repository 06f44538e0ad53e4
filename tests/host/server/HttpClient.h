#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// A plain-socket HTTP/1.1 client for the tests: sends raw request text and
// reads one response (by Content-Length, or up to the end of the
// connection). Header names come back in lower case.
class HttpClient {
public:
    struct Response {
        int status = 0;
        std::map<std::string, std::string> headers;              // the last of each name
        std::vector<std::pair<std::string, std::string>> fields; // every header, in order
        std::string body;
        bool closed = false; // the server ended the connection after it

        // Every value of a header (Set-Cookie comes once per cookie).
        std::vector<std::string> all(const std::string& name) const;
    };

    // `source` binds the client's own end to that loopback address
    // ("127.0.0.2"), so that the server sees another client address.
    explicit HttpClient(int port, const char* source = nullptr);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    bool connected() const { return fd_ >= 0; }
    bool send(const std::string& bytes);
    // Status 0 when no complete response arrived.
    Response receive(bool bodyExpected = true);
    Response exchange(const std::string& request)
    {
        send(request);
        return receive();
    }
    // True when the server closes the connection without sending more.
    bool waitForClose();

    static Response get(int port, const std::string& target, const std::string& extraHeaders = "");

private:
    bool fill();

    int fd_ = -1;
    std::string buffer_;
    bool eof_ = false;
};
