#include "HttpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "ServerProcess.h"

HttpClient::HttpClient(int port, const char* source)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return;
    if (source) {
        sockaddr_in local {};
        local.sin_family = AF_INET;
        if (::inet_pton(AF_INET, source, &local.sin_addr) != 1
            || ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
    }
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
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
    if (fd_ < 0 || eof_)
        return false;
    pollfd ready {fd_, POLLIN, 0};
    int polled = ::poll(&ready, 1, ServerProcess::DEADLINE_MS);
    if (polled <= 0)
        return false;
    char chunk[16384];
    ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    if (got <= 0) {
        eof_ = true;
        return false;
    }
    buffer_.append(chunk, static_cast<size_t>(got));
    return true;
}

HttpClient::Response HttpClient::receive(bool bodyExpected)
{
    Response response;
    size_t end;
    while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
        if (!fill())
            return response;
    }
    std::string head = buffer_.substr(0, end);
    buffer_.erase(0, end + 4);
    size_t lineEnd = head.find("\r\n");
    std::string statusLine = head.substr(0, lineEnd);
    if (statusLine.rfind("HTTP/1.", 0) != 0 || statusLine.size() < 12)
        return response;
    int status = std::atoi(statusLine.c_str() + 9);
    while (lineEnd != std::string::npos) {
        size_t next = head.find("\r\n", lineEnd + 2);
        std::string line = head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
        size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = line.substr(0, colon);
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            size_t start = line.find_first_not_of(' ', colon + 1);
            response.headers[name] = start == std::string::npos ? "" : line.substr(start);
            response.fields.emplace_back(name, response.headers[name]);
        }
        lineEnd = next;
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
        response.body = std::move(buffer_);
        buffer_.clear();
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
    return client.exchange("GET " + target + " HTTP/1.1\r\nHost: localhost\r\n" + extraHeaders
                           + "Connection: close\r\n\r\n");
}

std::vector<std::string> HttpClient::Response::all(const std::string& name) const
{
    std::vector<std::string> values;
    for (const auto& field : fields) {
        if (field.first == name)
            values.push_back(field.second);
    }
    return values;
}
