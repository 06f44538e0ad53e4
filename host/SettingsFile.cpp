#include "host/SettingsFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string_view>

namespace host {

namespace {

std::string escape(std::string_view text, bool isKey)
{
    std::string out;
    if (isKey && !text.empty() && text.front() == '#')
        out += '\\'; // or the line would read as a comment
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '=': out += isKey ? "\\=" : "="; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string unescape(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

// The first "=" that no backslash escapes.
size_t separatorOf(std::string_view line)
{
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\')
            ++i;
        else if (line[i] == '=')
            return i;
    }
    return std::string_view::npos;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

bool SettingsFile::load()
{
    values_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in)
        return ::access(path_.c_str(), F_OK) != 0;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        size_t separator = separatorOf(line);
        if (separator == std::string::npos)
            continue;
        std::string_view text(line);
        values_[unescape(text.substr(0, separator))] = unescape(text.substr(separator + 1));
    }
    return !in.bad();
}

bool SettingsFile::get(const std::string& key, std::string& value) const
{
    auto at = values_.find(key);
    if (at == values_.end())
        return false;
    value = at->second;
    return true;
}

bool SettingsFile::set(const std::string& key, const std::string& value)
{
    values_[key] = value;
    return save();
}

bool SettingsFile::save() const
{
    std::ostringstream text;
    text << "# quillot-server settings, UTF-8; written by the server\n";
    for (const auto& [key, value] : values_)
        text << escape(key, true) << '=' << escape(value, false) << '\n';

    std::string temporary = path_ + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    bool written = writeAll(fd, text.str()) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.c_str(), path_.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    int folder = ::open(folderOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

} // namespace host
