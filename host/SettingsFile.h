#pragma once

#include <map>
#include <string>

namespace host {

// Settings that survive restarts, kept as UTF-8 "key=value" lines in one
// file of the data folder. Every change rewrites the file through a
// temporary file and a rename, so that a crash leaves the old file or the
// new one, never half of one. In keys and values a backslash escapes
// itself and line ends ("\n", "\r"); in keys also "=" and a leading "#",
// which would otherwise start a comment line.
class SettingsFile {
public:
    explicit SettingsFile(std::string path);

    // Reads the file; a missing file is an empty set of settings. False
    // when the file exists but cannot be read.
    bool load();
    // False when the key has no value.
    bool get(const std::string& key, std::string& value) const;
    // Keeps the value and writes the file; false when the file could not be
    // written (the value is still kept for this run).
    bool set(const std::string& key, const std::string& value);

    const std::string& path() const { return path_; }

private:
    bool save() const;

    std::string path_;
    std::map<std::string, std::string> values_;
};

} // namespace host
