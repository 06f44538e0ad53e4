#include "quillot/frame/FailureLog.h"

#include <cstdio>

using tessel::String;

namespace {

FailureLog::Sink& sink()
{
    static FailureLog::Sink current;
    return current;
}

// The text as UTF-8 with line ends, tabs and other control characters
// written as escapes.
std::string printable(const String& text)
{
    std::string out;
    for (unsigned char c : text.toStdString()) {
        if (c >= 0x20 && c != 0x7f) {
            out += static_cast<char>(c);
            continue;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02x", c);
        out += escape;
    }
    return out;
}

} // namespace

std::string FailureLog::line(const String& page, const String& error, const String& sql)
{
    return "quillot: " + printable(page.empty() ? String(u"-") : page) +
           ": the database refused a statement: " + printable(error) + ": " + printable(sql);
}

void FailureLog::write(const String& page, const String& error, const String& sql)
{
    std::string text = line(page, error, sql);
    if (sink()) {
        sink()(text);
        return;
    }
    std::fprintf(stderr, "%s\n", text.c_str());
}

void FailureLog::setSink(Sink sink_)
{
    sink() = std::move(sink_);
}
