#include "host/PasswordPrompt.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

namespace host {

namespace {

struct termios savedTerminal;
bool echoOff = false;

void restoreTerminal()
{
    if (echoOff)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedTerminal);
    echoOff = false;
}

// Ctrl-C while the echo is off must not leave the terminal silent.
void interrupted(int signal)
{
    restoreTerminal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

bool readLine(std::string& line)
{
    if (!std::getline(std::cin, line))
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

} // namespace

bool PasswordPrompt::read(const std::string& prompt, std::string& password)
{
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &savedTerminal) != 0)
        return readLine(password);

    struct termios silent = savedTerminal;
    silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    silent.c_lflag |= ECHONL;
    auto previous = std::signal(SIGINT, interrupted);
    echoOff = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent) == 0;
    bool read = readLine(password);
    restoreTerminal();
    std::signal(SIGINT, previous);
    return read;
}

} // namespace host
