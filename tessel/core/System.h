#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// The one object through which the framework reaches the operating system:
// environment, machine and system names, paths, random numbers, the clock
// and time zone, sleeping, console output, and a process-wide table of named
// objects. There is a single instance, never deleted; its AddRef and Release
// do nothing.
class System : public virtual IObject {
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

protected:
    System() = default;
    ~System() override = default;
};

} // namespace tessel
