#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/fs/IFileSystem.h"
#include "tessel/fs/IService.h"

namespace tessel {

// One directory of another file system (by default the host's) offered as
// a file system of its own, whose root "/" is that directory.
//
// Paths given to it are virtual: "/"-separated ("\" counts as "/"), made
// absolute against the current virtual directory, with "." and ".."
// worked out and clamped at "/" before the root is put in front. Nothing
// is decoded, so "%2e%2e" is just a name. A real path is refused when the
// inner file system would not keep it below the root: when its own
// normalisation gives it a ".." back, or when the part of it that exists
// resolves (through symbolic links on the host) to somewhere outside the
// root. So no path given to this file system ever reaches outside the
// root.
//
// Without a root it is not connected and every operation fails.
class VirtualFileSystem : public IFileSystem, public IService {
public:
    // The root is made real by the inner file system; trailing "/" and "\"
    // are dropped. Without an inner file system the host's is used; a given
    // one is held with a reference until this one goes, so it must not
    // live on the stack.
    explicit VirtualFileSystem(const String& root = String(), IFileSystem* inner = nullptr);
    ~VirtualFileSystem() override;
    VirtualFileSystem(const VirtualFileSystem&) = delete;
    VirtualFileSystem& operator=(const VirtualFileSystem&) = delete;

    const String& getRootPath() const { return root_; }
    // Replaces the root (trailing "/" and "\" dropped); the current
    // directory becomes "/".
    void setRootPath(const String& root);
    IFileSystem& getInner() { return *inner_; }

    // IService. "basepath" (any case) sets the folder under which connect
    // finds named roots, and disconnects.
    bool setProperty(const String& key, const String& value) override;
    // Roots the file system at the base path (an empty name) or at the
    // directory of that name below it. The name is a virtual path of the
    // base: it cannot climb out of it. Nothing changes when there is no
    // base path or no such directory. `other` is not used.
    bool connect(const String& name, IObject* other) override;
    void close() override;
    bool isConnected() override { return !root_.empty(); }

    // IFileSystem.
    void normalize(String& path) override;
    bool resolve(String& path) override;
    char16_t getSeparator() override { return u'/'; }
    bool isCaseSensitive() override { return caseSensitive_; }
    String getCurrentDirectory() override { return current_; }
    // Changes the virtual current directory only: the inner file system's
    // (for the host, the process's) stays where it is.
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
    // Streams are the inner file system's, opened on the real path.
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
    // Entries named by a full real path below the root (as a container
    // names them) are given their virtual path instead.
    void listDirectory(const String& path, Array<FileEntry>& out) override;

private:
    // The real path of a virtual one, when it stays below the root.
    bool _real(const String& path, String& real);
    // Whether the real path `path` stays below the real folder `folder`,
    // both as written and once the inner file system has resolved what
    // exists of it.
    bool _liesWithin(const String& path, const String& folder);
    bool _resolvesWithin(const String& path, const String& folder);
    bool _isRoot(const String& path) const;
    bool _isHost() const;
    String _virtualOf(const String& real) const;
    static String _trimmed(const String& path);

    IFileSystem* inner_;
    String root_;
    String basePath_;
    String current_{u"/"};
    bool caseSensitive_;
};

} // namespace tessel
