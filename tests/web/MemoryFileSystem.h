#pragma once

// A file system held in memory for the web tests, the fuzzers and the
// benchmarks: a map from path to bytes. Reading and writing whole files is
// all it does; the directory operations answer as for an empty folder.

#include <map>
#include <memory>
#include <string>

#include "tessel/core/MemoryStream.h"
#include "tessel/core/String.h"
#include "tessel/fs/IFileSystem.h"

namespace tessel::testing {

class MemoryFileSystem : public IFileSystem {
public:
    using Files = std::map<std::string, std::string>;

    // Files as UTF-8 paths and raw bytes.
    void put(const std::string& path, const std::string& bytes) { (*files_)[path] = bytes; }
    bool has(const std::string& path) const { return files_->count(path) > 0; }
    std::string get(const std::string& path) const
    {
        auto it = files_->find(path);
        return it == files_->end() ? std::string() : it->second;
    }
    void remove(const std::string& path) { files_->erase(path); }
    // How often a file was opened for reading.
    int opens(const std::string& path) const
    {
        auto it = opens_.find(path);
        return it == opens_.end() ? 0 : it->second;
    }

    void normalize(String&) override {}
    bool resolve(String&) override { return true; }
    char16_t getSeparator() override { return u'/'; }
    bool isCaseSensitive() override { return true; }
    String getCurrentDirectory() override { return String(u"/"); }
    bool setCurrentDirectory(const String&) override { return false; }
    bool getRealPath(const String& path, String& real) override
    {
        real = String(u"/memory/") + path;
        return true;
    }
    bool createDirectory(const String&, bool) override { return false; }
    bool removeDirectory(const String&, bool) override { return false; }
    bool emptyDirectory(const String&) override { return false; }
    String getHomePath() override { return String(u"/"); }
    bool isAbsolute(const String& path) override { return path.getAt(0) == u'/'; }
    bool getFolderInfo(const String&, int&, int64_t&) override { return false; }
    int getFileAttribute(const String& path) override { return isFile(path) ? ATTR_FILE : 0; }
    bool isExists(const String& path) override { return isFile(path); }
    bool isFile(const String& path) override { return has(path.toStdString()); }
    bool isDirectory(const String&) override { return false; }
    bool isReadable(const String& path) override { return isFile(path); }
    bool isWriteable(const String&) override { return true; }
    bool open(const String&, IFileStream**, int) override { return false; }
    bool open(const String& path, IOutputStream** out) override
    {
        if (!out)
            return false;
        Ref<OutputFile> file = new OutputFile(files_, path.toStdString());
        *out = file.detach();
        return true;
    }
    bool open(const String& path, IInputStream** out) override
    {
        auto it = files_->find(path.toStdString());
        if (!out || it == files_->end())
            return false;
        opens_[it->first]++;
        Ref<MemoryStream> stream = new MemoryStream(it->second.data(), static_cast<int>(it->second.size()), false);
        *out = stream.detach();
        return true;
    }
    DateTime getFileTime(const String&) override { return DateTime(); }
    void setFileTime(const String&, const DateTime&) override {}
    int64_t getFileSize(const String& path) override { return static_cast<int64_t>(get(path.toStdString()).size()); }
    bool deleteFile(const String& path) override { return files_->erase(path.toStdString()) > 0; }
    void setReadOnly(const String&, bool) override {}
    bool moveFile(const String&, const String&, bool) override { return false; }
    bool copyFile(const String&, const String&, bool) override { return false; }
    void listDirectory(const String&, Array<FileEntry>&) override {}

private:
    // A new, empty file that takes its bytes when closed.
    class OutputFile : public MemoryStream {
    public:
        OutputFile(std::shared_ptr<Files> files, std::string path) : files_(std::move(files)), path_(std::move(path))
        {
            (*files_)[path_].clear();
        }
        ~OutputFile() override { close(); }
        void close() override
        {
            if (getBuffer())
                (*files_)[path_] = std::string(getBuffer(), static_cast<size_t>(getSize()));
            MemoryStream::close();
        }

    private:
        std::shared_ptr<Files> files_;
        std::string path_;
    };

    std::shared_ptr<Files> files_ = std::make_shared<Files>();
    std::map<std::string, int> opens_;
};

} // namespace tessel::testing
