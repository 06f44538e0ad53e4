#pragma once

#include "tessel/core/String.h"

namespace tessel {

// Paths of the framework's own file systems, the container and the rooted
// view: "/" separates the parts whatever the host uses, and a "\" counts
// as "/" so that no host can read it as a separator behind our back.
class VirtualPath {
public:
    // "\" becomes "/", repeated "/" are merged, "." parts are dropped and
    // ".." removes the part before it. An absolute path never climbs above
    // "/" (the root itself is "/"); a relative path keeps the leading ".."
    // it cannot collapse, and is "." when nothing else remains. No trailing
    // "/" remains except for the root.
    static String normalize(const String& path);
    // `path` made absolute against the absolute directory `current`, then
    // normalised: the result always starts with "/".
    static String resolve(const String& current, const String& path);
    static bool isAbsolute(const String& path);
    // Whether `path` is `folder` itself or lies below it, part by part.
    static bool isWithin(const String& path, const String& folder, bool caseSensitive);
    // Whether a part of the path, between "/" or "\", is "." or "..".
    static bool hasDotParts(const String& path);
};

} // namespace tessel
