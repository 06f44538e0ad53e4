// Opens arbitrary bytes as a container and walks it: every entry is listed,
// looked at and read to its end, directories are entered, one entry is
// copied and moved; then a new file is written and the container opened
// again. Besides not crashing, nothing may go on for ever: every read of a
// file ends, and ends with the stream at its end (a reader waiting for
// more would wait for ever otherwise), and a new file reads back as it
// was written.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "tessel/tessel.h"

using namespace tessel;

namespace {

constexpr int64_t READ_LIMIT = 64 << 20;

// A new file for every input: rewriting one file in place is slow on some
// file systems.
std::string containerPath()
{
    static const std::string folder = System::getTempPath().toStdString();
    static unsigned long long count = 0;
    return folder + "tessel-tiny-fuzz-" + std::to_string(::getpid()) + "-" + std::to_string(count++ % 4) + ".tfs";
}

bool writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    ::unlink(path.c_str());
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool written = size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    return written;
}

std::string readFile(TinyFileSystem& fs, const String& path)
{
    Ref<IInputStream> in;
    std::string all;
    if (!fs.open(path, in.out()))
        return all;
    char buffer[1500];
    for (;;) {
        int n = in->read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        all.append(buffer, static_cast<size_t>(n));
        if (static_cast<int64_t>(all.size()) > READ_LIMIT)
            __builtin_trap();
    }
    if (!in->isEnd() || in->available() != 0)
        __builtin_trap();
    return all;
}

void walk(TinyFileSystem& fs)
{
    Array<IFileSystem::FileEntry> entries;
    fs.listDirectory(u"/", entries);
    String firstFile, firstDirectory;
    for (int i = 0; i < entries.size(); i++) {
        const String& name = entries[i]->name;
        fs.getFileAttribute(name);
        fs.getFileTime(name);
        int64_t size = fs.getFileSize(name);
        if (fs.isDirectory(name)) {
            Array<IFileSystem::FileEntry> inside;
            fs.listDirectory(name, inside);
            if (firstDirectory.empty())
                firstDirectory = name;
            continue;
        }
        // Every entry listed can be named again.
        if (size < 0)
            __builtin_trap();
        std::string content = readFile(fs, name);
        if (static_cast<int64_t>(content.size()) > size)
            __builtin_trap();
        if (firstFile.empty())
            firstFile = name;
    }
    int files = 0;
    int64_t bytes = 0;
    fs.getFolderInfo(u"/", files, bytes);
    if (!firstDirectory.empty() && fs.setCurrentDirectory(firstDirectory)) {
        fs.getFolderInfo(u".", files, bytes);
        fs.setCurrentDirectory(u"/");
    }
    if (!firstFile.empty()) {
        fs.copyFile(firstFile, u"/fuzz-copy", true);
        readFile(fs, u"/fuzz-copy");
        fs.moveFile(firstFile, u"/fuzz-moved-to-a-longer-name", false);
    }
    if (!firstDirectory.empty())
        fs.moveFile(firstDirectory, u"/fuzz-dir", false);
}

std::string content()
{
    std::string bytes(3000, '\0');
    for (size_t i = 0; i < bytes.size(); i++)
        bytes[i] = static_cast<char>(i * 31 + 7);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536)
        return 0;
    std::string path = containerPath();
    if (!writeFile(path, data, size))
        return 0;
    String container = String::fromUTF8(path);
    static const std::string written = content();
    {
        TinyFileSystem fs;
        if (fs.initialize(container, false)) {
            walk(fs);
            // A file created anew gets new blocks: it must read back whole.
            bool fresh = !fs.isExists(u"/fuzz-new");
            Ref<IOutputStream> out;
            if (fresh && fs.open(u"/fuzz-new", out.out())) {
                bool complete = out->write(written.data(), static_cast<int>(written.size())) ==
                                static_cast<int>(written.size());
                out.reset();
                fs.cleanup();
                if (complete && (!fs.initialize(container, false) || readFile(fs, u"/fuzz-new") != written))
                    __builtin_trap();
                walk(fs);
            }
        }
    }
    ::unlink(path.c_str());
    return 0;
}
