#include "ServerProcess.h"

#include <fcntl.h>
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
    // Close-on-exec pipes: the server gets only its own ends as 1 and 2, and
    // no later server holds an earlier one's pipes open.
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> words = arguments;
    words.insert(words.begin(), QUILLOT_SERVER);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    out_ = out[0];
    err_ = err[0];
    if (pid_ > 0) {
        drainer_ = std::thread([this] { drainErrors(); });
        readLine(out_, outBuffer_, address_);
    }
}

void ServerProcess::drainErrors()
{
    char chunk[4096];
    for (;;) {
        ssize_t got = ::read(err_, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        std::lock_guard<std::mutex> hold(errLock_);
        if (got <= 0) {
            errEnded_ = true;
            errArrived_.notify_all();
            return;
        }
        errBuffer_.append(chunk, static_cast<size_t>(got));
        errArrived_.notify_all();
    }
}

ServerProcess::~ServerProcess()
{
    if (pid_ > 0 && status_ < 0)
        stop(SIGKILL);
    if (drainer_.joinable())
        drainer_.join();
    for (int fd : {out_, err_}) {
        if (fd >= 0)
            ::close(fd);
    }
}

int ServerProcess::port() const
{
    size_t colon = address_.rfind(':');
    return colon == std::string::npos ? 0 : std::atoi(address_.c_str() + colon + 1);
}

bool ServerProcess::readLine(int fd, std::string& buffer, std::string& line)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DEADLINE_MS);
    size_t end;
    while ((end = buffer.find('\n')) == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        int polled = left.count() > 0 ? ::poll(&ready, 1, static_cast<int>(left.count())) : 0;
        if (polled < 0 && errno == EINTR)
            continue;
        char chunk[4096];
        ssize_t got = polled > 0 ? ::read(fd, chunk, sizeof chunk) : 0;
        if (got <= 0)
            return false;
        buffer.append(chunk, static_cast<size_t>(got));
    }
    line = buffer.substr(0, end);
    buffer.erase(0, end + 1);
    return true;
}

std::string ServerProcess::nextOutputLine()
{
    std::string line;
    return readLine(out_, outBuffer_, line) ? line : std::string();
}

bool ServerProcess::waitForLog(const std::string& text)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DEADLINE_MS);
    std::unique_lock<std::mutex> hold(errLock_);
    for (;;) {
        for (size_t end; (end = errBuffer_.find('\n')) != std::string::npos;) {
            std::string line = errBuffer_.substr(0, end);
            errBuffer_.erase(0, end + 1);
            log_ += line + "\n";
            if (line.find(text) != std::string::npos)
                return true;
        }
        if (errEnded_ || errArrived_.wait_until(hold, deadline) == std::cv_status::timeout)
            return false;
    }
}

std::string ServerProcess::remainingOutput()
{
    waitForLog("\n"); // no line holds one: reads to the end
    std::lock_guard<std::mutex> hold(errLock_);
    return log_ + errBuffer_;
}

int ServerProcess::stop(int signal)
{
    if (pid_ > 0 && status_ < 0)
        ::kill(pid_, signal);
    return wait();
}

int ServerProcess::wait()
{
    if (pid_ <= 0 || status_ >= 0)
        return pid_ <= 0 ? -1 : status_;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
    return status_;
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
