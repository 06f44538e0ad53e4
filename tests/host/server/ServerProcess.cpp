#include "ServerProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

extern char** environ;

ServerProcess::ServerProcess(const std::vector<std::string>& arguments)
{
    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    std::vector<char*> argv;
    std::string program = QUILLOT_SERVER;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (pid_ > 0) {
        std::string line;
        if (readLine(out_, outBuffer_, line))
            address_ = line;
    }
}

ServerProcess::~ServerProcess()
{
    if (pid_ > 0 && status_ < 0)
        stop(SIGKILL);
    if (out_ >= 0)
        ::close(out_);
    if (err_ >= 0)
        ::close(err_);
}

int ServerProcess::port() const
{
    size_t colon = address_.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(address_.c_str() + colon + 1);
}

bool ServerProcess::readLine(int fd, std::string& buffer, std::string& line)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DEADLINE_MS);
    while (true) {
        size_t end = buffer.find('\n');
        if (end != std::string::npos) {
            line = buffer.substr(0, end);
            buffer.erase(0, end + 1);
            return true;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd ready {fd, POLLIN, 0};
        int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            return false;
        char chunk[4096];
        ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(got));
    }
}

bool ServerProcess::waitForLog(const std::string& text)
{
    std::string line;
    while (readLine(err_, errBuffer_, line)) {
        log_ += line + "\n";
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}

int ServerProcess::stop(int signal)
{
    if (pid_ <= 0)
        return -1;
    if (status_ < 0)
        ::kill(pid_, signal);
    return wait();
}

int ServerProcess::wait()
{
    if (pid_ <= 0)
        return -1;
    if (status_ >= 0)
        return status_;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return status_;
}

std::string ServerProcess::nextOutputLine()
{
    std::string line;
    return readLine(out_, outBuffer_, line) ? line : std::string();
}

std::string ServerProcess::remainingOutput()
{
    std::string line;
    std::string all;
    while (readLine(err_, errBuffer_, line))
        all += line + "\n";
    return log_ + all + errBuffer_;
}

void RealServer::TearDown()
{
    if (server) {
        EXPECT_EQ(server->stop(SIGTERM), 0) << server->remainingOutput();
    }
}

void RealServer::start(const std::vector<std::string>& arguments)
{
    std::vector<std::string> line = {"--port", "0"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    server = std::make_unique<ServerProcess>(line);
    ASSERT_FALSE(server->address().empty()) << server->remainingOutput();
    port = server->port();
}

