#pragma once

#include <cstdint>

#include "tessel/core/Array.h"
#include "tessel/core/DateTime.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

class IFileStream;
class IInputStream;
class IOutputStream;

// The one interface through which the framework touches files. Each
// implementation has its own separator and normalisation: the host file
// system, a single-file container, and a rooted view of another file system.
class IFileSystem : public virtual IObject {
public:
    enum Attribute {
        ATTR_FILE = 1,
        ATTR_DIRECTORY = 2,
        ATTR_READONLY = 8,
        ATTR_HIDDEN = 16,
    };

    // One entry of a directory listing. Directories sort before files, each
    // group by name.
    class FileEntry : public IObject {
    public:
        FileEntry() = default;
        FileEntry(const String& name, int64_t size, int attributes, const DateTime& modified)
            : name(name), size(size), attributes(attributes), modified(modified)
        {
        }

        bool isDirectory() const { return (attributes & ATTR_DIRECTORY) != 0; }

        virtual int compare(const FileEntry& other) const
        {
            if (isDirectory() != other.isDirectory())
                return isDirectory() ? -1 : 1;
            return name.compare(other.name);
        }
        virtual bool operator>(const FileEntry& other) const { return compare(other) > 0; }
        virtual bool operator<(const FileEntry& other) const { return compare(other) < 0; }
        virtual bool operator>=(const FileEntry& other) const { return compare(other) >= 0; }
        virtual bool operator<=(const FileEntry& other) const { return compare(other) <= 0; }
        virtual bool operator!=(const FileEntry& other) const { return compare(other) != 0; }
        virtual bool operator==(const FileEntry& other) const { return compare(other) == 0; }

        String name;
        int64_t size = 0;
        int attributes = 0;
        DateTime modified;
    };

    virtual void normalize(String& path) = 0;
    virtual bool resolve(String& path) = 0;
    virtual char16_t getSeparator() = 0;
    virtual bool isCaseSensitive() = 0;
    virtual String getCurrentDirectory() = 0;
    virtual bool setCurrentDirectory(const String& path) = 0;
    virtual bool getRealPath(const String& path, String& real) = 0;
    virtual bool createDirectory(const String& path, bool recursive) = 0;
    virtual bool removeDirectory(const String& path, bool recursive) = 0;
    virtual bool emptyDirectory(const String& path) = 0;
    virtual String getHomePath() = 0;
    virtual bool isAbsolute(const String& path) = 0;
    virtual bool getFolderInfo(const String& path, int& files, int64_t& bytes) = 0;
    virtual int getFileAttribute(const String& path) = 0;
    virtual bool isExists(const String& path) = 0;
    virtual bool isFile(const String& path) = 0;
    virtual bool isDirectory(const String& path) = 0;
    virtual bool isReadable(const String& path) = 0;
    virtual bool isWriteable(const String& path) = 0;
    // Streams are handed out with one reference; on failure `out` is left
    // alone and the result is false.
    virtual bool open(const String& path, IFileStream** out, int mode) = 0;
    virtual bool open(const String& path, IOutputStream** out) = 0;
    virtual bool open(const String& path, IInputStream** out) = 0;
    virtual DateTime getFileTime(const String& path) = 0;
    virtual void setFileTime(const String& path, const DateTime& time) = 0;
    virtual int64_t getFileSize(const String& path) = 0;
    virtual bool deleteFile(const String& path) = 0;
    virtual void setReadOnly(const String& path, bool readOnly) = 0;
    virtual bool moveFile(const String& from, const String& to, bool overwrite) = 0;
    virtual bool copyFile(const String& from, const String& to, bool overwrite) = 0;
    virtual void listDirectory(const String& path, Array<FileEntry>& out) = 0;

    // Appends `a` and `b` to `out` with this file system's separator between
    // the parts, then normalises it.
    String& join(String& out, const String& a, const String& b);
    // The name after the last "/" or "\", before any "?" or "#".
    String fileName(const String& path);
    static String dirName(const char16_t* path);
};

} // namespace tessel
