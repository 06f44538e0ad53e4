// The host file system half of System.

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "tessel/core/FileStream.h"
#include "tessel/core/System.h"

namespace tessel {

namespace {

// ------------------------------------------------------------- local time

// The local wall-clock fields of a file time, as a DateTime.
DateTime localDateTime(const struct timespec& time)
{
    struct tm local;
    std::time_t seconds = time.tv_sec;
    if (!::localtime_r(&seconds, &local))
        return DateTime();
    return DateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                    static_cast<int>(time.tv_nsec / 1000000));
}

// The file time of a DateTime whose fields are local wall-clock time.
bool fileTimeOf(const DateTime& time, struct timespec& out)
{
    if (!time.isValid() || time.getMsOfDay() < 0 || time.getMsOfDay() >= 86400000)
        return false;
    int year, month, day, weekday, hour, minute, second, millisecond;
    time.getDate(year, month, day, weekday);
    time.getTime(hour, minute, second, millisecond);
    if (year < 1900)
        return false;
    struct tm local = {};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1))
        return false;
    out.tv_sec = seconds;
    out.tv_nsec = static_cast<long>(millisecond) * 1000000;
    return true;
}

// ------------------------------------------------------------ host paths

bool statPath(const std::string& path, struct stat& info)
{
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

bool isDirectoryPath(const std::string& path)
{
    struct stat info;
    return statPath(path, info) && S_ISDIR(info.st_mode);
}

bool isReadOnlyMode(mode_t mode)
{
    return (mode & 0222) == 0;
}

bool hasWildcard(const std::string& name)
{
    return name.find_first_of("*?[") != std::string::npos;
}

std::string childPath(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// The folder and the last part of a path ("." for a bare name).
void splitPath(const std::string& path, std::string& folder, std::string& name)
{
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) {
        folder.assign(1, '.');
        name = path;
        return;
    }
    folder = path.substr(0, slash == 0 ? 1 : slash);
    name = path.substr(slash + 1);
}

// The names in a folder, "." and ".." left out; false when it cannot be read.
bool readNames(const std::string& folder, std::vector<std::string>& names)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return false;
    while (struct dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return true;
}

bool matchesAny(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> names;
    readNames(folder, names);
    for (const std::string& name : names)
        if (::fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
            return true;
    return false;
}

bool isHiddenName(const std::string& name)
{
    return name.size() > 1 && name[0] == '.' && name != "..";
}

int attributesOf(const struct stat& info, const std::string& name)
{
    int attributes = S_ISDIR(info.st_mode) ? IFileSystem::ATTR_DIRECTORY : IFileSystem::ATTR_FILE;
    if (isReadOnlyMode(info.st_mode))
        attributes |= IFileSystem::ATTR_READONLY;
    if (isHiddenName(name))
        attributes |= IFileSystem::ATTR_HIDDEN;
    return attributes;
}

IFileSystem::FileEntry* newEntry(const std::string& path, const std::string& name)
{
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 && ::lstat(path.c_str(), &info) != 0)
        return nullptr;
    int64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<int64_t>(info.st_size);
    return new IFileSystem::FileEntry(String::fromUTF8(name), size, attributesOf(info, name),
                                      localDateTime(info.st_mtim));
}

// Removes everything inside `folder`. Symbolic links are removed, never
// followed, so nothing outside the folder is touched. False when any entry
// could not be removed.
bool removeContents(const std::string& folder)
{
    std::vector<std::string> names;
    if (!readNames(folder, names))
        return false;
    bool removedAll = true;
    for (const std::string& name : names) {
        std::string child = childPath(folder, name);
        struct stat info;
        if (::lstat(child.c_str(), &info) != 0) {
            removedAll = false;
            continue;
        }
        bool removed = S_ISDIR(info.st_mode) ? removeContents(child) && ::rmdir(child.c_str()) == 0
                                             : ::unlink(child.c_str()) == 0;
        removedAll = removedAll && removed;
    }
    return removedAll;
}

void addFolderInfo(const std::string& folder, int& files, int64_t& bytes)
{
    std::vector<std::string> names;
    readNames(folder, names);
    for (const std::string& name : names) {
        std::string child = childPath(folder, name);
        struct stat info;
        if (::lstat(child.c_str(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode)) {
            addFolderInfo(child, files, bytes);
            continue;
        }
        // A link counts as the file it points to; links to folders are not
        // followed, so a loop of links cannot recurse for ever.
        if (S_ISLNK(info.st_mode) && (::stat(child.c_str(), &info) != 0 || S_ISDIR(info.st_mode)))
            continue;
        files++;
        bytes += info.st_size;
    }
}

// Whether the file can be opened with `flags` for exclusive use; a missing
// file is never created.
bool canOpen(const std::string& path, int flags, bool writing)
{
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    bool usable = ::fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode) && !(writing && isReadOnlyMode(info.st_mode)) &&
                  !(::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK);
    ::close(fd);
    return usable;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Copies a regular file's bytes, permissions and last write time. A target
// that could not be written in full is removed.
bool copyContents(const std::string& from, const std::string& to)
{
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat info;
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode) ||
        (::flock(in, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK)) {
        ::close(in);
        return false;
    }
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool copied = !(::flock(out, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) && ::ftruncate(out, 0) == 0;
    char buffer[65536];
    while (copied) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            copied = n == 0;
            break;
        }
        for (ssize_t done = 0; copied && done < n;) {
            ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            copied = w > 0;
            done += w > 0 ? w : 0;
        }
    }
    if (copied) {
        struct timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
        ::futimens(out, times);
        ::fchmod(out, info.st_mode & 07777);
    }
    ::close(out);
    ::close(in);
    if (!copied)
        ::unlink(to.c_str());
    return copied;
}

// Where a move or copy of `from` to `to` lands: into `to` when that is a
// folder and `from` a file.
std::string targetPath(const std::string& from, const std::string& to, const struct stat& source)
{
    if (S_ISDIR(source.st_mode) || !isDirectoryPath(to))
        return to;
    std::string folder, name;
    splitPath(from, folder, name);
    return childPath(to, name);
}

// The absolute form of a path, "." and ".." worked out on the text alone.
std::string lexicalAbsolute(const std::string& path, const std::string& current)
{
    std::string full = !path.empty() && path[0] == '/' ? path : current + "/" + path;
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start <= full.size()) {
        std::string::size_type slash = full.find('/', start);
        if (slash == std::string::npos)
            slash = full.size();
        std::string part = full.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    return result.empty() ? "/" : result;
}

std::string currentDirectory()
{
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

} // namespace

std::string System::nativePath(const String& path)
{
    std::string native = path.toStdString();
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

void System::normalize(String& path)
{
    if (path.empty())
        return;
    path.replace(u'\\', u'/');
    path.replaceAny(u"<>*?|", u'_');
    int fragment = path.indexOf(u'#');
    if (fragment >= 0)
        path.trunc(fragment);
}

bool System::resolve(String&)
{
    return true;
}

String System::getCurrentDirectory()
{
    return String::fromUTF8(currentDirectory());
}

bool System::setCurrentDirectory(const String& path)
{
    return path.empty() || ::chdir(nativePath(path).c_str()) == 0;
}

bool System::getRealPath(const String& path, String& real)
{
    if (path.empty())
        return false;
    std::string native = nativePath(path);
    if (char* resolved = ::realpath(native.c_str(), nullptr)) {
        real = String::fromUTF8(resolved);
        std::free(resolved);
        return true;
    }
    // Not there (yet): the absolute path it will have.
    std::string current = currentDirectory();
    if (current.empty() && native[0] != '/')
        return false;
    real = String::fromUTF8(lexicalAbsolute(native, current));
    return true;
}

bool System::createDirectory(const String& path, bool recursive)
{
    if (path.empty())
        return false;
    std::string native = nativePath(path);
    if (::mkdir(native.c_str(), 0777) == 0 || isDirectoryPath(native))
        return true;
    if (!recursive)
        return false;
    for (std::string::size_type i = 1; i < native.size(); i++) {
        if (native[i] != '/')
            continue;
        std::string prefix = native.substr(0, i);
        struct stat info;
        if (::stat(prefix.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode))
                return false;
        } else if (::mkdir(prefix.c_str(), 0777) != 0 && !isDirectoryPath(prefix)) {
            return false;
        }
    }
    return ::mkdir(native.c_str(), 0777) == 0 || isDirectoryPath(native);
}

bool System::removeDirectory(const String& path, bool recursive)
{
    if (path.empty())
        return false;
    std::string native = nativePath(path);
    // A link to a folder is not a folder to empty; a trailing "/" would
    // make lstat follow it.
    while (native.size() > 1 && native.back() == '/')
        native.pop_back();
    struct stat info;
    if (::lstat(native.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if (recursive)
        removeContents(native);
    return ::rmdir(native.c_str()) == 0;
}

bool System::emptyDirectory(const String& path)
{
    if (path.empty())
        return false;
    std::string native = nativePath(path);
    return isDirectoryPath(native) && removeContents(native);
}

String System::getHomePath()
{
    return getEnv(u"HOME");
}

bool System::isAbsolute(const String& path)
{
    return !path.empty() && path[0] == u'/';
}

bool System::getFolderInfo(const String& path, int& files, int64_t& bytes)
{
    std::string native = nativePath(path);
    if (!isDirectoryPath(native))
        return false;
    DIR* dir = ::opendir(native.c_str());
    if (!dir)
        return false;
    ::closedir(dir);
    addFolderInfo(native, files, bytes);
    return true;
}

int System::getFileAttribute(const String& path)
{
    struct stat info;
    std::string native = nativePath(path);
    if (!statPath(native, info))
        return 0;
    std::string folder, name;
    splitPath(native, folder, name);
    return attributesOf(info, name);
}

bool System::isExists(const String& path)
{
    std::string native = nativePath(path);
    struct stat info;
    if (native.empty())
        return false;
    if (statPath(native, info))
        return true;
    std::string folder, name;
    splitPath(native, folder, name);
    return hasWildcard(name) && matchesAny(folder, name);
}

bool System::isFile(const String& path)
{
    int attributes = getFileAttribute(path);
    return attributes != 0 && !(attributes & ATTR_DIRECTORY);
}

bool System::isDirectory(const String& path)
{
    return (getFileAttribute(path) & ATTR_DIRECTORY) != 0;
}

bool System::isReadable(const String& path)
{
    return !path.empty() && canOpen(nativePath(path), O_RDONLY, false);
}

bool System::isWriteable(const String& path)
{
    if (path.empty())
        return false;
    std::string native = nativePath(path);
    struct stat info;
    if (statPath(native, info))
        return canOpen(native, O_WRONLY, true);
    // A new file could be made when its folder takes new entries.
    std::string folder, name;
    splitPath(native, folder, name);
    return !name.empty() && isDirectoryPath(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool System::open(const String& path, IFileStream** out, int mode)
{
    if (path.empty() || !out)
        return false;
    FileStream* stream = new FileStream();
    if (!stream->open(path.c_str(), mode ? mode : IFileStream::OPEN_READ)) {
        delete stream;
        return false;
    }
    stream->AddRef();
    *out = stream;
    return true;
}

bool System::open(const String& path, IOutputStream** out)
{
    IFileStream* stream = nullptr;
    if (!out || !open(path, &stream, IFileStream::OPEN_WRITE | IFileStream::OPEN_TRUNCATE))
        return false;
    *out = stream;
    return true;
}

bool System::open(const String& path, IInputStream** out)
{
    IFileStream* stream = nullptr;
    if (!out || !open(path, &stream, IFileStream::OPEN_READ))
        return false;
    *out = stream;
    return true;
}

DateTime System::getFileTime(const String& path)
{
    struct stat info;
    if (!statPath(nativePath(path), info))
        return DateTime();
    return localDateTime(info.st_mtim);
}

void System::setFileTime(const String& path, const DateTime& time)
{
    struct timespec times[2] = {{0, UTIME_OMIT}, {0, 0}};
    std::string native = nativePath(path);
    if (!native.empty() && fileTimeOf(time, times[1]))
        ::utimensat(AT_FDCWD, native.c_str(), times, 0);
}

int64_t System::getFileSize(const String& path)
{
    struct stat info;
    if (!statPath(nativePath(path), info) || S_ISDIR(info.st_mode))
        return -1;
    return info.st_size;
}

bool System::deleteFile(const String& path)
{
    std::string native = nativePath(path);
    struct stat info;
    if (native.empty() || ::lstat(native.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    return ::unlink(native.c_str()) == 0;
}

void System::setReadOnly(const String& path, bool readOnly)
{
    std::string native = nativePath(path);
    struct stat info;
    if (!statPath(native, info))
        return;
    mode_t mode = info.st_mode & 07777;
    ::chmod(native.c_str(), readOnly ? mode & ~static_cast<mode_t>(0222) : mode | S_IWUSR);
}

bool System::moveFile(const String& from, const String& to, bool overwrite)
{
    if (from.empty() || to.empty())
        return false;
    std::string source = nativePath(from);
    struct stat sourceInfo, targetInfo;
    if (::lstat(source.c_str(), &sourceInfo) != 0)
        return false;
    std::string target = targetPath(source, nativePath(to), sourceInfo);
    if (::lstat(target.c_str(), &targetInfo) == 0) {
        struct stat a, b;
        bool same = ::stat(source.c_str(), &a) == 0 && ::stat(target.c_str(), &b) == 0 && sameFile(a, b);
        if (same || sameFile(sourceInfo, targetInfo) || !overwrite)
            return false;
    }
    if (::rename(source.c_str(), target.c_str()) == 0)
        return true;
    // Across file systems: copy, then remove the original.
    if (errno != EXDEV || !S_ISREG(sourceInfo.st_mode) || !copyContents(source, target))
        return false;
    return ::unlink(source.c_str()) == 0;
}

bool System::copyFile(const String& from, const String& to, bool overwrite)
{
    if (from.empty() || to.empty())
        return false;
    std::string source = nativePath(from);
    struct stat sourceInfo, targetInfo;
    if (!statPath(source, sourceInfo) || !S_ISREG(sourceInfo.st_mode))
        return false;
    std::string target = targetPath(source, nativePath(to), sourceInfo);
    if (statPath(target, targetInfo)) {
        if (sameFile(sourceInfo, targetInfo) || !overwrite || S_ISDIR(targetInfo.st_mode) ||
            isReadOnlyMode(targetInfo.st_mode))
            return false;
    }
    return copyContents(source, target);
}

void System::listDirectory(const String& path, Array<FileEntry>& out)
{
    if (path.empty())
        return;
    std::string native = nativePath(path);
    std::string folder, pattern;
    struct stat info;
    if (isDirectoryPath(native)) {
        folder = native;
    } else if (statPath(native, info)) {
        // An existing file lists as itself, whatever its name looks like.
        splitPath(native, folder, pattern);
        if (FileEntry* entry = newEntry(native, pattern))
            out.add(entry);
        return;
    } else {
        splitPath(native, folder, pattern);
    }
    std::vector<std::string> names;
    readNames(folder, names);
    for (const std::string& name : names) {
        if (!pattern.empty() && ::fnmatch(pattern.c_str(), name.c_str(), 0) != 0)
            continue;
        if (FileEntry* entry = newEntry(childPath(folder, name), name))
            out.add(entry);
    }
}

} // namespace tessel
