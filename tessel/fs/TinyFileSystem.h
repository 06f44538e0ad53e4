#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/fs/IFileSystem.h"
#include "tessel/fs/IService.h"
#include "tessel/fs/TinyContainer.h"

namespace tessel {

// A whole tree of files and directories inside one ordinary file, the
// container (see TinyContainer for its layout). Every change is written to
// the container at once.
//
// Paths are "/"-separated ("\" counts as "/"); "." and ".." are worked out
// and repeated "/" merged, never climbing above "/". A path, made absolute
// against the current directory, must stay below 235 characters and 235
// UTF-8 bytes. The root "/" is always there, as a directory.
//
// Where the container's own rules leave a choice:
// - copyFile honours its overwrite flag, and never copies a file onto
//   itself;
// - moving a directory moves everything below it; nothing is ever moved
//   onto an existing directory, below itself, or into a missing one;
// - deleted records stay where they are (the container only grows);
// - a file written anew takes the time it is opened for writing, and ends
//   where its size says, whatever the reused blocks counted before;
// - getFileSize is -1 for a missing entry, as for the host file system;
// - getFolderInfo adds to the counters it is given;
// - setProperty knows no keys, connect opens nothing.
class TinyFileSystem : public IFileSystem, public IService {
public:
    // Opens the container when the path is not empty (without creating it).
    explicit TinyFileSystem(const String& path = String());
    ~TinyFileSystem() override;
    TinyFileSystem(const TinyFileSystem&) = delete;
    TinyFileSystem& operator=(const TinyFileSystem&) = delete;

    // Closes what was open and opens the container, creating an empty one
    // when it is missing and `create` is set. The current directory
    // becomes "/". Fails when the file cannot be opened or is not a
    // container.
    bool initialize(const String& path, bool create);
    void cleanup();
    // The record of a live entry.
    bool findPath(const String& path, TinyContainer::Record& out);

    // IService.
    bool connect(const String& name, IObject* other) override;
    void close() override;
    bool isConnected() override;
    bool setProperty(const String& key, const String& value) override;

    // IFileSystem.
    void normalize(String& path) override;
    bool resolve(String& path) override;
    char16_t getSeparator() override { return u'/'; }
    bool isCaseSensitive() override { return true; }
    String getCurrentDirectory() override { return current_; }
    bool setCurrentDirectory(const String& path) override;
    bool getRealPath(const String& path, String& real) override;
    bool createDirectory(const String& path, bool recursive) override;
    bool removeDirectory(const String& path, bool recursive) override;
    bool emptyDirectory(const String& path) override;
    String getHomePath() override { return String(u"/"); }
    bool isAbsolute(const String& path) override;
    bool getFolderInfo(const String& path, int& files, int64_t& bytes) override;
    int getFileAttribute(const String& path) override;
    bool isExists(const String& path) override;
    bool isFile(const String& path) override;
    bool isDirectory(const String& path) override;
    bool isReadable(const String& path) override;
    bool isWriteable(const String& path) override;
    // Not offered: a container file is no host file.
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

private:
    // The absolute UTF-8 form of a path as records hold it ("" for the
    // root); false when no container is open, the path is empty or too
    // long.
    bool _key(const String& path, std::string& key);
    // The live record of a key, -1 when there is none (or for the root).
    int _find(const std::string& key) const;
    bool _isDirectoryKey(const std::string& key) const;
    // The live records below a key, at any depth.
    std::vector<int> _below(const std::string& key) const;
    int _attributesOf(const TinyContainer::Record& record) const;
    bool _createDirectoryRecord(const std::string& key);
    bool _relocate(int index, const std::string& key);
    bool _copyData(int from, const std::string& to);

    Ref<TinyContainer> container_;
    String current_{u"/"};
};

} // namespace tessel
