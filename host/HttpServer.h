#pragma once

#include <functional>
#include <memory>
#include <string>

namespace host {

class Application;
class UploadFolder;
struct Limits;

// The HTTP/1.1 server: one event loop on the calling thread (the framework
// is single-threaded, so nothing here takes a lock), asynchronous accept,
// read and write, keep-alive, timeouts and limits per connection, and a
// periodic timer on the same loop. SIGINT and SIGTERM stop it: it stops
// accepting, closes every connection and returns from run. The signals
// are taken from construction on.
class HttpServer {
public:
    HttpServer(Application& application, UploadFolder& uploads, const Limits& limits);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens; false with the reason in `error`.
    bool listen(const std::string& host, int port, std::string& error);
    // "http://127.0.0.1:8080/" once listening.
    std::string address() const;
    // Calls `hook` after `firstMs` milliseconds and then again after as
    // many milliseconds as it returns (its result <= 0 keeps the last
    // interval).
    void setTimer(std::function<int()> hook, int firstMs);
    // Serves until stop or a signal.
    void run();
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace host
