#include "tessel/core/FileStream.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tessel/core/System.h"

namespace tessel {

namespace {

// Opens `path` for the access the mode asks for and takes the exclusive
// lock; -1 with errno set on failure.
int openHostFile(const std::string& path, int mode)
{
    bool reading = mode & IFileStream::OPEN_READ;
    bool writing = mode & IFileStream::OPEN_WRITE;
    int flags = O_CLOEXEC | (reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY);
    if (writing)
        flags |= O_CREAT;
    int fd;
    do
        fd = ::open(path.c_str(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat info;
    int failure = 0;
    if (::fstat(fd, &info) != 0)
        failure = errno;
    else if (S_ISDIR(info.st_mode))
        failure = EISDIR;
    else if (writing && (info.st_mode & 0222) == 0)
        failure = EACCES; // read-only, even for a privileged process
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        failure = EBUSY; // in use by another stream
    // Truncating only now, under the lock, leaves a file in use untouched.
    else if (writing && (mode & IFileStream::OPEN_TRUNCATE) && ::ftruncate(fd, 0) != 0)
        failure = errno;
    if (failure) {
        ::close(fd);
        errno = failure;
        return -1;
    }
    return fd;
}

} // namespace

FileStream::FileStream(const char16_t* path, int mode)
{
    if (path && *path)
        open(path, mode);
}

FileStream::FileStream(const FileStream& other) : IObject(), IFileStream()
{
    if (other.fd_ >= 0)
        fd_ = ::fcntl(other.fd_, F_DUPFD_CLOEXEC, 0);
}

FileStream& FileStream::operator=(const FileStream& other)
{
    if (this != &other) {
        close();
        if (other.fd_ >= 0)
            fd_ = ::fcntl(other.fd_, F_DUPFD_CLOEXEC, 0);
    }
    return *this;
}

FileStream::~FileStream()
{
    close();
}

IFileSystem& FileStream::getFileSystem()
{
    return System::getInstance();
}

bool FileStream::open(const char16_t* path, int mode)
{
    close();
    if (!path || !*path || !(mode & (OPEN_READ | OPEN_WRITE)))
        return false;
    std::string native = System::nativePath(String(path));
    int fd = openHostFile(native, mode);
    if (fd < 0 && errno == ENOENT && (mode & OPEN_MAKEDIRS)) {
        std::string::size_type slash = native.rfind('/');
        if (slash != std::string::npos && slash > 0) {
            System& host = System::getInstance();
            String folder = String::fromUTF8(native.substr(0, slash));
            if (!host.isDirectory(folder) && host.createDirectory(folder, true))
                fd = openHostFile(native, mode);
        }
    }
    if (fd < 0)
        return false;
    fd_ = fd;
    size_ = -1;
    if ((mode & OPEN_TEMPORARY) && (mode & OPEN_WRITE))
        temporary_ = native;
    if (mode & OPEN_APPEND)
        moveToEnd();
    return true;
}

void FileStream::close()
{
    if (fd_ < 0)
        return;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    ::close(fd_);
    fd_ = -1;
    size_ = -1;
    temporary_.clear();
}

int64_t FileStream::getSize()
{
    if (fd_ < 0)
        return -1;
    if (size_ < 0) {
        struct stat info;
        if (::fstat(fd_, &info) != 0)
            return -1;
        size_ = info.st_size;
    }
    return size_;
}

bool FileStream::setEnd()
{
    int64_t position = getPosition();
    if (position < 0 || ::ftruncate(fd_, position) != 0)
        return false;
    size_ = position;
    return true;
}

int64_t FileStream::getPosition()
{
    if (fd_ < 0)
        return -1;
    return ::lseek(fd_, 0, SEEK_CUR);
}

bool FileStream::setPosition(int64_t position)
{
    return moveTo(position) >= 0;
}

int64_t FileStream::available()
{
    int64_t size = getSize();
    int64_t position = getPosition();
    if (size < 0 || position < 0)
        return -1;
    return size > position ? size - position : 0;
}

bool FileStream::isEnd()
{
    if (fd_ < 0)
        return true;
    // Asks the file itself: somebody else may have changed its size.
    size_ = -1;
    int64_t size = getSize();
    int64_t position = getPosition();
    return size < 0 || position < 0 || position >= size;
}

int FileStream::read(void* buffer, int size)
{
    if (fd_ < 0 || !buffer || size < 1)
        return -1;
    ssize_t n;
    do
        n = ::read(fd_, buffer, static_cast<size_t>(size));
    while (n < 0 && errno == EINTR);
    return n < 0 ? -1 : static_cast<int>(n);
}

int FileStream::write(const void* data, int size)
{
    if (fd_ < 0 || !data || size < 1)
        return -1;
    const char* p = static_cast<const char*>(data);
    int written = 0;
    while (written < size) {
        ssize_t n = ::write(fd_, p + written, static_cast<size_t>(size - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<int>(n);
    }
    if (written == 0)
        return -1;
    if (size_ >= 0) {
        int64_t position = getPosition();
        if (position > size_)
            size_ = position;
    }
    return written;
}

void FileStream::flush()
{
    if (fd_ >= 0)
        ::fdatasync(fd_);
}

int64_t FileStream::moveToEnd()
{
    if (fd_ < 0)
        return -1;
    return ::lseek(fd_, 0, SEEK_END);
}

int64_t FileStream::moveTo(int64_t position)
{
    if (fd_ < 0)
        return -1;
    return ::lseek(fd_, position, SEEK_SET);
}

int64_t FileStream::moveBy(int64_t delta)
{
    if (fd_ < 0)
        return -1;
    return ::lseek(fd_, delta, SEEK_CUR);
}

} // namespace tessel
