#pragma once

namespace tessel {
class HttpWindow;
}

// What the plug-in keeps for the whole process: the host's window, given
// once by the entry point, and the program version.
class Application {
public:
    // The host's window, or null when the host gave none.
    static tessel::HttpWindow* window();
    static void setWindow(tessel::HttpWindow* window);

    // The version number yyyymmdd of this build, from its build date.
    static int version();
    // The same number from a compiler date text such as "Jun 30 2011";
    // 0 when the text is not such a date.
    static int versionOf(const char* buildDate);
};
