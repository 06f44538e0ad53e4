#pragma once

// Included by the two translation units that speak Beast (this one's source
// and HttpServer.cpp) and nowhere else: Beast is slow to compile.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include "host/HostResponse.h"

namespace host {

class Application;
class Connection;
class HostRequest;
class RequestBody;
class UploadFolder;
struct Limits;

// What every connection of one server shares.
struct ServerShared {
    using PasswordCheck = std::function<void(std::string hash, std::string password, std::function<void(bool)> done)>;

    Application& application;
    UploadFolder& uploads;
    const Limits& limits;
    std::set<Connection*> connections; // open ones
    bool stopping = false;
    // Checks a password away from the loop; `done` runs on the loop.
    PasswordCheck checkPassword;
};

// One client connection: reads requests (header, then the body in pieces
// into its decoder), hands each to the application and writes the answer,
// as long as the client keeps the connection alive. Owned by its pending
// operations through shared_ptr.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(boost::asio::ip::tcp::socket socket, ServerShared& shared);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void start();
    // Ends the connection at once (server shutdown, or room for another).
    void close();
    // Waiting for a request of which not one byte has come yet.
    bool isIdle() const;
    std::chrono::steady_clock::time_point idleSince() const { return idleSince_; }

private:
    using Parser = boost::beast::http::request_parser<boost::beast::http::buffer_body>;

    void readHeader();
    void onHeader(boost::beast::error_code ec);
    bool decodeHeader();
    void beginBody();
    void readBody();
    void onBody(boost::beast::error_code ec);
    bool hasOneHost() const;
    std::chrono::steady_clock::time_point bodyDeadline() const;
    void dispatch();
    void checkPassword();
    void onPasswordChecked(bool valid);
    void respond(HostResponse response);
    template <class Message>
    void write(std::shared_ptr<Message> message, int status, uint64_t bytes);
    template <class Message, class Serializer>
    void writeSome(std::shared_ptr<Message> message, std::shared_ptr<Serializer> serializer, int status,
                   uint64_t bytes);
    void onWritten(int status, uint64_t bytes);
    // Answers with an error and ends the connection, reading for a short
    // while what the client still sends so that it sees the answer.
    void refuse(int status);
    void drain();
    void finish();
    double elapsedMilliseconds() const;

    boost::beast::tcp_stream stream_;
    ServerShared& shared_;
    boost::beast::flat_buffer buffer_;
    std::optional<Parser> parser_;
    std::unique_ptr<HostRequest> request_;
    std::unique_ptr<RequestBody> body_;
    std::vector<char> piece_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point idleSince_;
    std::chrono::steady_clock::time_point bodyStarted_;
    int64_t declaredBodyBytes_ = 0; // Content-Length, 0 for a chunked body
    std::string remoteAddress_;
    int remotePort_ = 0;
    std::string serverAddress_;
    int serverPort_ = 0;
    size_t drained_ = 0;
    bool refused_ = false; // answered early: drain, then close
    bool keepAlive_ = false;
    bool finished_ = false;
    bool waitingForHeader_ = false;
};

} // namespace host
