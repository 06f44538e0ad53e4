#include "HttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "ServerProcess.h"

namespace {

sockaddr_in loopback(const char* address, int port)
{
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(static_cast<uint16_t>(port));
    ::inet_pton(AF_INET, address, &socketAddress.sin_addr);
    return socketAddress;
}

} // namespace

HttpClient::HttpClient(int port, const char* source)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local = loopback(source ? source : "127.0.0.1", 0);
    sockaddr_in server = loopback("127.0.0.1", port);
    if (fd_ >= 0 && ((source && ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) ||
                     ::connect(fd_, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0)) {
        ::close(fd_);
        fd_ = -1;
    }
}

HttpClient::~HttpClient()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool HttpClient::send(const std::string& bytes)
{
    size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return fd_ >= 0;
}

bool HttpClient::fill()
{
    pollfd ready{fd_, POLLIN, 0};
    if (fd_ < 0 || eof_ || ::poll(&ready, 1, ServerProcess::DEADLINE_MS) <= 0)
        return false;
    char chunk[16384];
    ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    eof_ = got <= 0;
    if (!eof_)
        buffer_.append(chunk, static_cast<size_t>(got));
    return !eof_;
}

HttpClient::Response HttpClient::receive(bool bodyExpected)
{
    Response response;
    size_t end;
    while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
        if (!fill())
            return response;
    }
    std::string head = buffer_.substr(0, end + 2);
    buffer_.erase(0, end + 4);
    if (head.rfind("HTTP/1.", 0) != 0 || head.size() < 12)
        return response;
    int status = std::atoi(head.c_str() + 9);
    for (size_t line = head.find("\r\n") + 2, next; line < head.size(); line = next + 2) {
        next = head.find("\r\n", line);
        size_t colon = head.find(':', line);
        if (colon > next)
            continue;
        std::string name = head.substr(line, colon - line);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        size_t start = std::min(head.find_first_not_of(' ', colon + 1), next);
        response.headers[name] = head.substr(start, next - start);
        response.fields.emplace_back(name, response.headers[name]);
    }
    auto length = response.headers.find("content-length");
    if (!bodyExpected || status == 304 || status == 204) {
        // no body
    } else if (length != response.headers.end()) {
        size_t wanted = std::strtoul(length->second.c_str(), nullptr, 10);
        while (buffer_.size() < wanted) {
            if (!fill())
                return response;
        }
        response.body = buffer_.substr(0, wanted);
        buffer_.erase(0, wanted);
    } else {
        while (fill()) {
        }
        response.body = std::exchange(buffer_, std::string());
    }
    response.status = status;
    auto connection = response.headers.find("connection");
    response.closed = connection != response.headers.end() && connection->second == "close";
    return response;
}

bool HttpClient::waitForClose()
{
    while (fill()) {
    }
    return eof_ && buffer_.empty();
}

HttpClient::Response HttpClient::get(int port, const std::string& target, const std::string& extraHeaders)
{
    HttpClient client(port);
    return client.exchange("GET " + target + " HTTP/1.1\r\nHost: localhost\r\n" + extraHeaders +
                           "Connection: close\r\n\r\n");
}

std::vector<std::string> HttpClient::Response::all(const std::string& name) const
{
    std::vector<std::string> values;
    for (const auto& [field, value] : fields) {
        if (field == name)
            values.push_back(value);
    }
    return values;
}
