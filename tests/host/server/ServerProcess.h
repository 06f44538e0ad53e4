#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/TempFolder.h"

using tessel::testing::TempFolder;

// The real quillot-server, started for one test with its standard output
// and error on pipes. Everything waits on the pipes (with a generous
// deadline so that a broken server fails the test instead of hanging it).
// Standard error is read all the time by a thread of its own: the server
// logs every request there, and a full pipe would stop it.
class ServerProcess {
public:
    static constexpr int DEADLINE_MS = 30000;

    explicit ServerProcess(const std::vector<std::string>& arguments);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // The first line of standard output ("http://127.0.0.1:PORT/"), empty
    // when the server ended first.
    const std::string& address() const { return address_; }
    pid_t pid() const { return pid_; }
    int port() const;
    // The next line of standard output; empty at its end or the deadline.
    std::string nextOutputLine();

    // Reads standard error until a line containing `text` arrives; false at
    // the end of output or the deadline.
    bool waitForLog(const std::string& text);
    const std::string& log() const { return log_; }
    // Everything written to standard error, up to its end.
    std::string remainingOutput();

    // Sends a signal and waits for the end: the exit code, or 128 + signal
    // when the server was killed, or -1.
    int stop(int signal);
    int wait();

private:
    bool readLine(int fd, std::string& buffer, std::string& line);
    void drainErrors();

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string outBuffer_;
    std::thread drainer_;
    std::mutex errLock_;
    std::condition_variable errArrived_;
    bool errEnded_ = false;
    std::string errBuffer_; // read from standard error, not yet taken as lines
    std::string address_;
    std::string log_;
    int status_ = -1;
};

// A test with the real server on a free port over folders in `temp`. The
// server must end cleanly on SIGTERM at the end of the test.
class RealServer : public ::testing::Test {
protected:
    void TearDown() override;
    // Starts the server with `--port 0` and these arguments.
    void start(const std::vector<std::string>& arguments);

    TempFolder temp;
    std::unique_ptr<ServerProcess> server;
    int port = 0;
};
