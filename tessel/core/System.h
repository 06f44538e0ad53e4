#pragma once

#include <cstdint>
#include <string>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/fs/IFileSystem.h"

namespace tessel {

// The one object through which the framework reaches the operating system:
// the host file system, and through static operations the environment,
// machine and system names, paths, random numbers, the clock and time zone,
// sleeping, console output, and a process-wide table of named objects. There
// is a single instance, never deleted; its AddRef and Release do nothing.
//
// Host paths use "/"; a "\" given in a path is taken as "/" as well.
class System : public IFileSystem {
public:
    static System& getInstance();

    unsigned AddRef() override { return 1; }
    unsigned Release() override { return 1; }

    static String getEnv(const String& name, const String& defaultValue = String());
    static bool hasEnv(const String& name);
    static void setEnv(const String& name, const String& value);

    // The kernel's name, with the distribution's name in parentheses when
    // the system reports one ("Linux (Debian GNU/Linux 12 (bookworm))").
    static String getOSName();
    // "major.minor (Build patch)" of the kernel release, then ": " and the
    // full release text.
    static String getOSVersion();
    // The host name, at most 15 characters.
    static String getOSNodeName();
    // The directory of the running executable.
    static String getExePath();
    // The temporary directory, with its trailing "/".
    static String getTempPath();
    // A new, empty, uniquely named file in `dir` (the temporary directory
    // when empty); its path, or an empty text on failure.
    static String getTempFileName(const String& dir = String());

    static void randomize();
    // 0 to n - 1; 0 when n is not positive.
    static int random(int n);
    // Seconds since 1970.
    static int64_t currentTime();
    // The local offset from UTC in whole hours (east positive).
    static int currentZone();
    static void sleep(int milliseconds);
    static int getProcessId();
    static void printf(const char16_t* format, ...);

    static int getCharset() { return 65002; }
    static void setCharset(int) {}

    // The object registered under `name` (no reference added), or null.
    static IObject* getProperty(const String& name);
    // Registers `object` (taking a reference, releasing the one it
    // replaces); a null object clears the entry.
    static void setProperty(const String& name, IObject* object);

    // The host file system (SystemFileSystem.cpp).
    void normalize(String& path) override;
    bool resolve(String& path) override;
    char16_t getSeparator() override { return u'/'; }
    bool isCaseSensitive() override { return true; }
    String getCurrentDirectory() override;
    bool setCurrentDirectory(const String& path) override;
    bool getRealPath(const String& path, String& real) override;
    bool createDirectory(const String& path, bool recursive) override;
    bool removeDirectory(const String& path, bool recursive) override;
    bool emptyDirectory(const String& path) override;
    String getHomePath() override;
    bool isAbsolute(const String& path) override;
    bool getFolderInfo(const String& path, int& files, int64_t& bytes) override;
    int getFileAttribute(const String& path) override;
    bool isExists(const String& path) override;
    bool isFile(const String& path) override;
    bool isDirectory(const String& path) override;
    bool isReadable(const String& path) override;
    bool isWriteable(const String& path) override;
    bool open(const String& path, IFileStream** out, int mode) override;
    bool open(const String& path, IOutputStream** out) override;
    bool open(const String& path, IInputStream** out) override;
    DateTime getFileTime(const String& path) override;
    void setFileTime(const String& path, const DateTime& time) override;
    int64_t getFileSize(const String& path) override;
    bool deleteFile(const String& path) override;
    void setReadOnly(const String& path, bool readOnly) override;
    bool moveFile(const String& from, const String& to, bool overwrite) override;
    bool copyFile(const String& from, const String& to, bool overwrite) override;
    void listDirectory(const String& path, Array<FileEntry>& out) override;

    // The path as the operating system takes it: UTF-8, "\" turned into "/".
    static std::string nativePath(const String& path);

protected:
    System() = default;
    ~System() override = default;
};

} // namespace tessel
