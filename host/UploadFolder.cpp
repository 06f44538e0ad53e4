#include "host/UploadFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace host {

namespace {

unsigned long long randomWord()
{
    unsigned long long word = 0;
    if (::getrandom(&word, sizeof word, 0) != static_cast<ssize_t>(sizeof word)) {
        // Uniqueness, not secrecy, is what matters here; O_EXCL guards it.
        word = static_cast<unsigned long long>(::getpid()) << 32 ^ static_cast<unsigned long long>(::time(nullptr));
    }
    return word;
}

bool isOwnFile(const char* name)
{
    return std::strncmp(name, UploadFolder::PREFIX, std::strlen(UploadFolder::PREFIX)) == 0;
}

} // namespace

UploadFolder::UploadFolder(std::string folder) : folder_(std::move(folder)) {}

bool UploadFolder::prepare()
{
    if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat info {};
    if (::lstat(folder_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || ::chmod(folder_.c_str(), 0700) != 0)
        return false;
    DIR* dir = ::opendir(folder_.c_str());
    if (!dir)
        return false;
    while (dirent* entry = ::readdir(dir)) {
        if (isOwnFile(entry->d_name))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
    return true;
}

std::string UploadFolder::newName(std::string_view extension)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s%llx-%016llx", PREFIX, ++counter_, randomWord());
    std::string path = folder_ + "/" + name;
    path += '.';
    path += extension.empty() ? std::string_view("tmp") : extension;
    return path;
}

int UploadFolder::createFile(std::string_view extension, std::string& path)
{
    constexpr int ATTEMPTS = 8;
    for (int attempt = 0; attempt < ATTEMPTS; ++attempt) {
        std::string candidate = newName(extension);
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd >= 0) {
            path = std::move(candidate);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

} // namespace host
