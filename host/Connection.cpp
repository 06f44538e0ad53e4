#include "host/Connection.h"

#include <boost/asio/write.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>

#include "host/Application.h"
#include "host/HeaderValue.h"
#include "host/HostRequest.h"
#include "host/HttpDate.h"
#include "host/Limits.h"
#include "host/PasswordChecker.h"
#include "host/QueryString.h"
#include "host/RequestBody.h"
#include "host/RequestLog.h"
#include "host/RequestTarget.h"

namespace host {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

constexpr size_t PIECE_BYTES = 64 * 1024;
constexpr size_t MAX_DRAIN_BYTES = 4 * 1024 * 1024;
constexpr int BAD_REQUEST = 400;
constexpr int FORBIDDEN = 403;
constexpr int NOT_FOUND = 404;
constexpr int NOT_ALLOWED = 405;
constexpr int TOO_LARGE = 413;
constexpr int HEADER_TOO_LARGE = 431;
constexpr int SERVER_ERROR = 500;
constexpr int NOT_IMPLEMENTED = 501;
constexpr int UNAVAILABLE = 503;

const char CONTINUE[] = "HTTP/1.1 100 Continue\r\n\r\n";

// Header text from the glue goes out only without line breaks or NULs, so
// that no value can start a header or a response of its own.
std::string headerSafe(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\r' && c != '\n' && c != '\0')
            out += c;
    }
    return out;
}

std::string timeNow()
{
    return HttpDate::format(
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
}

template <class Message>
void setCommonHeaders(Message& message, const HostResponse& response, bool keepAlive)
{
    message.result(static_cast<unsigned>(response.status));
    message.reason(HostResponse::reasonOf(response.status));
    message.set(http::field::date, timeNow());
    message.set(http::field::server, "quillot");
    message.set("X-Content-Type-Options", "nosniff");
    for (const HostResponse::Header& header : response.headers)
        message.insert(headerSafe(header.first), headerSafe(header.second));
    message.keep_alive(keepAlive);
}

bool isAllowedMethod(http::verb method)
{
    return method == http::verb::get || method == http::verb::head || method == http::verb::post;
}

// A message the client got wrong (as opposed to a connection that ended
// or timed out): answered with 400.
bool isMalformed(beast::error_code ec)
{
    return ec && ec.category() == http::make_error_code(http::error::bad_target).category() &&
           ec != http::error::end_of_stream && ec != http::error::partial_message;
}

} // namespace

Connection::Connection(tcp::socket socket, ServerShared& shared) : stream_(std::move(socket)), shared_(shared)
{
    beast::error_code ec;
    tcp::socket& raw = stream_.socket();
    raw.set_option(tcp::no_delay(true), ec);
    tcp::endpoint remote = raw.remote_endpoint(ec);
    if (!ec) {
        remoteAddress_ = remote.address().to_string();
        remotePort_ = remote.port();
    }
    tcp::endpoint local = raw.local_endpoint(ec);
    if (!ec) {
        serverAddress_ = local.address().to_string();
        serverPort_ = local.port();
    }
}

Connection::~Connection()
{
    shared_.connections.erase(this);
}

void Connection::start()
{
    shared_.connections.insert(this);
    readHeader();
}

void Connection::close()
{
    finish();
}

bool Connection::isIdle() const
{
    // The parser takes the request line as soon as it is whole and the
    // rest of the header when that is: nothing in the buffer and nothing
    // taken means nothing of the request has come.
    return waitingForHeader_ && !finished_ && buffer_.size() == 0 && !(parser_ && parser_->got_some());
}

void Connection::finish()
{
    if (finished_)
        return;
    finished_ = true;
    beast::error_code ec;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ec);
    stream_.close(); // the socket and its timer
    shared_.connections.erase(this);
}

double Connection::elapsedMilliseconds() const
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started_).count();
}

// ------------------------------------------------------------------ reading

void Connection::readHeader()
{
    if (finished_ || shared_.stopping) {
        finish();
        return;
    }
    parser_.emplace();
    parser_->header_limit(static_cast<std::uint32_t>(shared_.limits.maxHeaderBytes));
    parser_->body_limit(static_cast<std::uint64_t>(shared_.limits.maxBodyBytes));
    request_.reset();
    body_.reset();
    waitingForHeader_ = true;
    idleSince_ = std::chrono::steady_clock::now();
    stream_.expires_after(std::chrono::seconds(shared_.limits.headerSeconds));
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code ec, size_t) { self->onHeader(ec); });
}

void Connection::onHeader(beast::error_code ec)
{
    started_ = std::chrono::steady_clock::now();
    waitingForHeader_ = false;
    if (ec == http::error::header_limit) {
        refuse(HEADER_TOO_LARGE);
        return;
    }
    if (ec == http::error::body_limit) {
        refuse(TOO_LARGE);
        return;
    }
    if (isMalformed(ec)) {
        refuse(BAD_REQUEST);
        return;
    }
    if (ec) {
        finish(); // closed, reset, timed out or shut down
        return;
    }
    if (!decodeHeader())
        return;
    if (parser_->is_done()) {
        dispatch();
        return;
    }
    beginBody();
}

// Copies the header into a new HostRequest; false when it was refused.
bool Connection::decodeHeader()
{
    const auto& message = parser_->get();
    request_ = std::make_unique<HostRequest>();
    HostRequest& request = *request_;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    request.protocol = message.version() == 10 ? "1.0" : "1.1";
    request.remoteAddress = remoteAddress_;
    request.remotePort = remotePort_;
    request.serverAddress = serverAddress_;
    request.serverPort = serverPort_;
    request.time = std::chrono::system_clock::now();
    for (const auto& field : message)
        request.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    keepAlive_ = message.keep_alive();

    if (!isAllowedMethod(message.method())) {
        refuse(NOT_ALLOWED);
        return false;
    }
    if (message.version() == 11 && !hasOneHost()) {
        refuse(BAD_REQUEST);
        return false;
    }
    // Only chunked framing is undone here; a body in another transfer coding
    // (gzip) would reach the decoders still encoded.
    std::string transfer = request.header("Transfer-Encoding");
    if (!transfer.empty() && !HeaderValue::equalsIgnoreCase(HeaderValue::trim(transfer), "chunked")) {
        refuse(NOT_IMPLEMENTED);
        return false;
    }
    RequestTarget target;
    if (!RequestTarget::parse(request.target, target)) {
        refuse(BAD_REQUEST);
        return false;
    }
    request.path = std::move(target.path);
    request.queryString = std::move(target.query);
    if (!QueryString::parse(request.queryString, request.query, shared_.limits.maxFields)) {
        refuse(TOO_LARGE);
        return false;
    }
    return true;
}

bool Connection::hasOneHost() const
{
    int hosts = 0;
    for (const HostRequest::Header& header : request_->headers) {
        if (HeaderValue::equalsIgnoreCase(header.first, "Host"))
            hosts++;
    }
    return hosts == 1;
}

void Connection::beginBody()
{
    body_ = std::make_unique<RequestBody>(request_->header("Content-Type"), shared_.uploads, request_->temporaryFiles,
                                          shared_.limits);
    // Files are taken only from signed-in visitors, and asked before any
    // byte of one is stored.
    if (body_->kind() == RequestBody::Kind::Multipart && !shared_.application.mayUpload(*request_)) {
        refuse(FORBIDDEN);
        return;
    }
    bodyStarted_ = std::chrono::steady_clock::now();
    declaredBodyBytes_ = static_cast<int64_t>(parser_->content_length().value_or(0));
    if (body_->status() != 0) {
        refuse(body_->status());
        return;
    }
    piece_.resize(PIECE_BYTES);
    if (!HeaderValue::equalsIgnoreCase(request_->header("Expect"), "100-continue")) {
        readBody();
        return;
    }
    stream_.expires_after(std::chrono::seconds(shared_.limits.writeSeconds));
    asio::async_write(stream_, asio::buffer(CONTINUE, sizeof CONTINUE - 1),
                      [self = shared_from_this()](beast::error_code ec, size_t) {
                          if (ec)
                              self->finish();
                          else
                              self->readBody();
                      });
}

void Connection::readBody()
{
    auto& body = parser_->get().body();
    body.data = piece_.data();
    body.size = piece_.size();
    // A silent client loses the connection after bodySeconds, and the whole
    // body must come within its deadline: a body sent a byte at a time
    // cannot hold the connection for long.
    auto silence = std::chrono::steady_clock::now() + std::chrono::seconds(shared_.limits.bodySeconds);
    stream_.expires_at(std::min(silence, bodyDeadline()));
    http::async_read_some(stream_, buffer_, *parser_,
                          [self = shared_from_this()](beast::error_code ec, size_t) { self->onBody(ec); });
}

// bodySeconds from the body's start, plus the time the body's length
// takes at the slowest rate accepted (the length so far for a chunked
// body, so that its deadline moves only as fast as the body comes).
std::chrono::steady_clock::time_point Connection::bodyDeadline() const
{
    int64_t bytes = std::max(declaredBodyBytes_, request_->bodyBytes);
    int64_t rate = std::max<int64_t>(shared_.limits.minBodyBytesPerSecond, 1);
    return bodyStarted_ + std::chrono::seconds(shared_.limits.bodySeconds) +
           std::chrono::milliseconds(bytes / rate * 1000 + bytes % rate * 1000 / rate);
}

void Connection::onBody(beast::error_code ec)
{
    if (ec == http::error::need_buffer)
        ec = {};
    if (ec == http::error::body_limit) {
        refuse(TOO_LARGE);
        return;
    }
    if (isMalformed(ec)) { // a chunk size that is not one
        refuse(BAD_REQUEST);
        return;
    }
    if (ec) {
        finish();
        return;
    }
    size_t received = piece_.size() - parser_->get().body().size;
    request_->bodyBytes += static_cast<int64_t>(received);
    if (received > 0 && !body_->feed(std::string_view(piece_.data(), received))) {
        refuse(body_->status());
        return;
    }
    if (!parser_->is_done()) {
        readBody();
        return;
    }
    int status = body_->finish();
    if (status != 0) {
        refuse(status);
        return;
    }
    dispatch();
}

// ----------------------------------------------------------------- answering

void Connection::dispatch()
{
    HostRequest& request = *request_;
    if (body_) {
        request.form = std::move(body_->fields());
        request.uploads = std::move(body_->uploads());
        request.body = std::move(body_->raw());
        body_.reset();
    }
    if (finished_ || shared_.stopping) {
        finish();
        return;
    }
    HostResponse response;
    try {
        response = shared_.application.handle(request);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "quillot-server: %s %s failed: %s\n", request.method.c_str(), request.path.c_str(),
                     error.what());
        response = HostResponse::error(SERVER_ERROR);
    } catch (...) {
        response = HostResponse::error(SERVER_ERROR);
    }
    if (response.checkPassword) {
        checkPassword();
        return;
    }
    respond(std::move(response));
}

// The page asked for a password check: it runs on the server's checking
// threads while this loop serves others, and the page runs again with the
// answer. The connection reads or writes nothing meanwhile.
void Connection::checkPassword()
{
    HostRequest::PasswordQuestion& question = request_->passwordQuestion;
    if (++question.rounds > PasswordChecker::MAX_ROUNDS || !shared_.checkPassword) {
        respond(HostResponse::error(UNAVAILABLE));
        return;
    }
    shared_.checkPassword(question.hash, question.password,
                          [self = shared_from_this()](bool valid) { self->onPasswordChecked(valid); });
}

void Connection::onPasswordChecked(bool valid)
{
    HostRequest::PasswordQuestion& question = request_->passwordQuestion;
    question.answered = true;
    question.valid = valid;
    dispatch();
}

void Connection::refuse(int status)
{
    keepAlive_ = false;
    refused_ = true;
    body_.reset();
    respond(HostResponse::error(status));
}

void Connection::respond(HostResponse response)
{
    bool keepAlive = keepAlive_ && !response.close && !shared_.stopping;
    keepAlive_ = keepAlive;
    bool head = request_ && request_->isHead();
    int status = response.status;

    if (response.hasFile && !head) {
        auto message = std::make_shared<http::response<http::file_body>>();
        beast::error_code ec;
        message->body().open(response.file.path.c_str(), beast::file_mode::scan, ec);
        if (ec) {
            respond(HostResponse::error(NOT_FOUND));
            return;
        }
        setCommonHeaders(*message, response, keepAlive);
        message->prepare_payload();
        uint64_t bytes = message->body().size();
        write(message, status, bytes);
        return;
    }
    if (head || status == 304 || status == 204) {
        auto message = std::make_shared<http::response<http::empty_body>>();
        setCommonHeaders(*message, response, keepAlive);
        if (head && status != 304 && status != 204)
            message->content_length(response.bodySize());
        write(message, status, 0);
        return;
    }
    auto message = std::make_shared<http::response<http::string_body>>();
    setCommonHeaders(*message, response, keepAlive);
    message->body() = std::move(response.body);
    message->prepare_payload();
    uint64_t bytes = message->body().size();
    write(message, status, bytes);
}

template <class Message>
void Connection::write(std::shared_ptr<Message> message, int status, uint64_t bytes)
{
    using Serializer = http::serializer<false, typename Message::body_type, typename Message::fields_type>;
    auto serializer = std::make_shared<Serializer>(*message);
    writeSome(std::move(message), std::move(serializer), status, bytes);
}

template <class Message, class Serializer>
void Connection::writeSome(std::shared_ptr<Message> message, std::shared_ptr<Serializer> serializer, int status,
                           uint64_t bytes)
{
    // Per piece, like reading: a large file to a slow client may take long.
    stream_.expires_after(std::chrono::seconds(shared_.limits.writeSeconds));
    http::async_write_some(stream_, *serializer,
                           [self = shared_from_this(), message, serializer, status, bytes](beast::error_code ec,
                                                                                           size_t) {
                               if (ec) {
                                   self->finish();
                                   return;
                               }
                               if (!serializer->is_done()) {
                                   self->writeSome(message, serializer, status, bytes);
                                   return;
                               }
                               self->onWritten(status, bytes);
                           });
}

void Connection::onWritten(int status, uint64_t bytes)
{
    std::string method;
    std::string path;
    if (request_) {
        method = request_->method;
        path = request_->path;
    } else if (parser_) { // refused before the header was taken in
        method = std::string(parser_->get().method_string());
        std::string_view target = parser_->get().target();
        path = std::string(target.substr(0, target.find('?')));
    }
    request_.reset(); // its temporary files go before the log line says it is done
    RequestLog::write(method, path, status, bytes, elapsedMilliseconds());
    if (refused_) {
        beast::error_code ec;
        stream_.socket().shutdown(tcp::socket::shutdown_send, ec);
        stream_.expires_after(std::chrono::seconds(shared_.limits.drainSeconds));
        drain();
        return;
    }
    if (!keepAlive_) {
        finish();
        return;
    }
    readHeader();
}

// After an early answer the client may still be sending its request;
// closing at once would reset the connection and could destroy the answer
// in flight. Read for a while, then close.
void Connection::drain()
{
    piece_.resize(PIECE_BYTES);
    stream_.async_read_some(asio::buffer(piece_), [self = shared_from_this()](beast::error_code ec, size_t bytes) {
        self->drained_ += bytes;
        if (ec || self->drained_ > MAX_DRAIN_BYTES || self->shared_.stopping) {
            self->finish();
            return;
        }
        self->drain();
    });
}

} // namespace host
