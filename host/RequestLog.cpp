#include "host/RequestLog.h"

#include <cstdio>

namespace host {

namespace {

constexpr size_t MAX_LOGGED_PATH = 512;

void appendPrintable(std::string& out, std::string_view text)
{
    static const char HEX[] = "0123456789ABCDEF";
    if (text.empty()) {
        out += '-';
        return;
    }
    if (text.size() > MAX_LOGGED_PATH)
        text = text.substr(0, MAX_LOGGED_PATH);
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || c == '\\') {
            out += "\\x";
            out += HEX[u >> 4];
            out += HEX[u & 15];
        } else {
            out += c;
        }
    }
}

} // namespace

std::string RequestLog::line(std::string_view method, std::string_view path, int status, uint64_t bytes,
                             double milliseconds)
{
    std::string out;
    appendPrintable(out, method);
    out += ' ';
    appendPrintable(out, path);
    char numbers[80];
    std::snprintf(numbers, sizeof numbers, " %d %llu %.1fms", status, static_cast<unsigned long long>(bytes),
                  milliseconds);
    out += numbers;
    return out;
}

void RequestLog::write(std::string_view method, std::string_view path, int status, uint64_t bytes, double milliseconds)
{
    std::string text = line(method, path, status, bytes, milliseconds);
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
}

} // namespace host
