#include "host/HttpServer.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/asio/write.hpp>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <vector>

#include "host/Connection.h"
#include "host/Limits.h"
#include "host/PasswordChecker.h"

namespace host {

namespace asio = boost::asio;
namespace beast = boost::beast;
using tcp = asio::ip::tcp;

namespace {

constexpr int DEFAULT_TIMER_MS = 60000;
constexpr int ACCEPT_RETRY_MS = 100;
// Password checks at once: each takes a core and 19 MiB for its time.
constexpr int CHECKING_THREADS = 2;

const char BUSY[] =
    "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nRetry-After: 1\r\nConnection: close\r\n\r\n";

} // namespace

struct HttpServer::Impl {
    Impl(Application& application, UploadFolder& uploads, const Limits& limits)
        : shared{application, uploads, limits, {}, false, {}}
    {
        // At once, not in run: a signal that comes after the address was
        // printed must already stop the server cleanly (it waits queued).
        beast::error_code ignored;
        signals.add(SIGINT, ignored);
        signals.add(SIGTERM, ignored);
        shared.checkPassword = [this](std::string hash, std::string password, std::function<void(bool)> done) {
            checkPassword(std::move(hash), std::move(password), std::move(done));
        };
        spare = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    }
    ~Impl()
    {
        if (spare >= 0)
            ::close(spare);
    }

    void accept();
    void onAccept(beast::error_code ec, tcp::socket socket);
    bool makeRoom();
    void turnAway(tcp::socket socket);
    void turnAwayWithSpare();
    void checkPassword(std::string hash, std::string password, std::function<void(bool)> done);
    void scheduleTimer(int milliseconds);
    void stop();

    // Declared before the loop, so that connections still owned by pending
    // handlers can sign off when the loop goes.
    ServerShared shared;
    asio::io_context io{1};
    tcp::acceptor acceptor{io};
    asio::signal_set signals{io};
    asio::steady_timer timer{io};
    asio::steady_timer acceptRetry{io};
    std::function<int()> timerHook;
    int timerMs = DEFAULT_TIMER_MS;
    std::string address;
    // Kept open for the moment all descriptors are taken: closed, it lets
    // one waiting client be accepted, told 503 and closed.
    int spare = -1;
    // After the loop, so that it is joined before the loop goes.
    asio::thread_pool checking{CHECKING_THREADS};
};

void HttpServer::Impl::accept()
{
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) { onAccept(ec, std::move(socket)); });
}

void HttpServer::Impl::onAccept(beast::error_code ec, tcp::socket socket)
{
    if (shared.stopping || ec == asio::error::operation_aborted)
        return;
    if ((ec == asio::error::no_descriptors || ec.value() == ENFILE) && spare >= 0) {
        turnAwayWithSpare();
        accept();
        return;
    }
    if (ec) {
        // Out of descriptors or similar: wait a little instead of spinning.
        std::fprintf(stderr, "quillot-server: accept failed: %s\n", ec.message().c_str());
        acceptRetry.expires_after(std::chrono::milliseconds(ACCEPT_RETRY_MS));
        acceptRetry.async_wait([this](beast::error_code wait) {
            if (!wait && !shared.stopping)
                accept();
        });
        return;
    }
    if (static_cast<int>(shared.connections.size()) >= shared.limits.maxConnections && !makeRoom())
        turnAway(std::move(socket));
    else
        std::make_shared<Connection>(std::move(socket), shared)->start();
    accept();
}

// At the cap, the connection that has waited longest without sending a
// byte makes room: connections opened only to hold a place cannot keep
// clients with a request out.
bool HttpServer::Impl::makeRoom()
{
    Connection* idlest = nullptr;
    for (Connection* connection : shared.connections) {
        if (connection->isIdle() && (!idlest || connection->idleSince() < idlest->idleSince()))
            idlest = connection;
    }
    if (!idlest)
        return false;
    idlest->close();
    return true;
}

// Every descriptor is taken: the spare one makes room for one client,
// which hears 503 at once instead of waiting in the queue.
void HttpServer::Impl::turnAwayWithSpare()
{
    ::close(spare);
    spare = -1;
    int client = ::accept4(acceptor.native_handle(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client >= 0) {
        ssize_t sent = ::send(client, BUSY, sizeof BUSY - 1, MSG_NOSIGNAL);
        (void)sent; // a client that cannot take it is closed all the same
        ::close(client);
    }
    spare = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

void HttpServer::Impl::checkPassword(std::string hash, std::string password, std::function<void(bool)> done)
{
    // The loop keeps running until the answer is back on it.
    auto working = asio::make_work_guard(io);
    asio::post(checking, [this, hash = std::move(hash), password = std::move(password), done = std::move(done),
                          working = std::move(working)]() mutable {
        bool valid = PasswordChecker::matches(hash, password);
        asio::post(io, [done = std::move(done), valid] { done(valid); });
        working.reset();
    });
}

void HttpServer::Impl::turnAway(tcp::socket socket)
{
    auto held = std::make_shared<tcp::socket>(std::move(socket));
    asio::async_write(*held, asio::buffer(BUSY, sizeof BUSY - 1), [held](beast::error_code, size_t) {
        beast::error_code ignored;
        held->shutdown(tcp::socket::shutdown_both, ignored);
        held->close(ignored);
    });
}

void HttpServer::Impl::scheduleTimer(int milliseconds)
{
    if (milliseconds > 0)
        timerMs = milliseconds;
    timer.expires_after(std::chrono::milliseconds(timerMs));
    timer.async_wait([this](beast::error_code ec) {
        if (ec || shared.stopping)
            return;
        scheduleTimer(timerHook ? timerHook() : 0);
    });
}

void HttpServer::Impl::stop()
{
    if (shared.stopping)
        return;
    shared.stopping = true;
    beast::error_code ignored;
    acceptor.close(ignored);
    signals.cancel(ignored);
    timer.cancel();
    acceptRetry.cancel();
    std::vector<Connection*> open(shared.connections.begin(), shared.connections.end());
    for (Connection* connection : open)
        connection->close();
}

HttpServer::HttpServer(Application& application, UploadFolder& uploads, const Limits& limits)
    : impl_(std::make_unique<Impl>(application, uploads, limits))
{
}

HttpServer::~HttpServer() = default;

bool HttpServer::listen(const std::string& host, int port, std::string& error)
{
    beast::error_code ec;
    tcp::resolver resolver(impl_->io);
    auto endpoints = resolver.resolve(host, std::to_string(port), tcp::resolver::numeric_service, ec);
    if (ec || endpoints.empty()) {
        error = "cannot resolve " + host + ": " + ec.message();
        return false;
    }
    tcp::endpoint endpoint = endpoints.begin()->endpoint();
    tcp::acceptor& acceptor = impl_->acceptor;
    acceptor.open(endpoint.protocol(), ec);
    if (!ec)
        acceptor.set_option(asio::socket_base::reuse_address(true), ec);
    if (!ec)
        acceptor.bind(endpoint, ec);
    if (!ec)
        acceptor.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + ec.message();
        beast::error_code ignored;
        acceptor.close(ignored);
        return false;
    }
    tcp::endpoint bound = acceptor.local_endpoint(ec);
    std::string name = bound.address().to_string();
    if (bound.address().is_v6())
        name = "[" + name + "]";
    impl_->address = "http://" + name + ":" + std::to_string(bound.port()) + "/";
    return true;
}

std::string HttpServer::address() const
{
    return impl_->address;
}

void HttpServer::setTimer(std::function<int()> hook, int firstMs)
{
    impl_->timerHook = std::move(hook);
    impl_->timerMs = firstMs > 0 ? firstMs : DEFAULT_TIMER_MS;
}

void HttpServer::run()
{
    Impl& impl = *impl_;
    impl.signals.async_wait([&impl](beast::error_code ec, int) {
        if (!ec)
            impl.stop();
    });
    impl.accept();
    impl.scheduleTimer(impl.timerMs);
    while (true) {
        try {
            impl.io.run();
            return;
        } catch (const std::exception& error) {
            // A handler failed; the connection it served is gone, the
            // server goes on.
            std::fprintf(stderr, "quillot-server: %s\n", error.what());
        }
    }
}

void HttpServer::stop()
{
    asio::post(impl_->io, [impl = impl_.get()] { impl->stop(); });
}

} // namespace host
