// multipart/form-data bodies. The first byte chooses where the body is cut:
// the parser must report the same parts whether it gets the body whole or
// in pieces, and the form collector must leave no stored file behind once
// the request's temporary files are removed.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <string_view>
#include <vector>

#include "host/Limits.h"
#include "host/MultipartForm.h"
#include "host/MultipartParser.h"
#include "host/TemporaryFiles.h"
#include "host/UploadFolder.h"

namespace {

const char BOUNDARY[] = "fuzzb";

void require(bool condition)
{
    if (!condition)
        std::abort();
}

class Recorder : public host::MultipartParser::Handler {
public:
    bool onPartBegin(const host::PartHeaders& headers) override
    {
        record += "[" + headers.name + "|" + (headers.hasFileName ? headers.fileName : "-") + "|" +
                  headers.contentType + "]";
        return ++parts < 50;
    }
    bool onPartData(std::string_view bytes) override
    {
        record.append(bytes);
        return true;
    }
    bool onPartEnd() override
    {
        record += "[end]";
        return true;
    }

    std::string record;
    int parts = 0;
};

std::string& temporaryFolder()
{
    static std::string folder;
    return folder;
}

void removeTemporaryFolder()
{
    ::rmdir((temporaryFolder() + "/upload").c_str());
    ::rmdir(temporaryFolder().c_str());
}

// One private folder for the run, gone again at its end.
std::string uploadFolder()
{
    if (temporaryFolder().empty()) {
        char pattern[] = "/tmp/multipart-fuzz-XXXXXX";
        char* made = ::mkdtemp(pattern);
        require(made != nullptr);
        temporaryFolder() = made;
        std::atexit(removeTemporaryFolder);
    }
    return temporaryFolder() + "/upload";
}

bool isEmptyFolder(const std::string& path)
{
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return true;
    bool empty = true;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            empty = false;
    }
    ::closedir(dir);
    return empty;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    size_t piece = 1 + data[0] % 64;
    std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);

    Recorder whole;
    host::MultipartParser wholeParser(BOUNDARY, whole);
    wholeParser.feed(body);
    host::MultipartParser::Status wholeStatus = wholeParser.finish();

    Recorder cut;
    host::MultipartParser cutParser(BOUNDARY, cut);
    for (size_t at = 0; at < body.size(); at += piece)
        cutParser.feed(body.substr(at, piece));
    require(cutParser.finish() == wholeStatus);
    require(cut.record == whole.record);

    host::Limits limits;
    limits.maxFieldBytes = 64;
    limits.maxFileBytes = 256;
    limits.maxUploadBytes = 1024;
    limits.maxParts = 20;
    limits.maxFiles = 4;
    host::UploadFolder folder(uploadFolder());
    static bool prepared = folder.prepare();
    require(prepared);
    {
        host::TemporaryFiles files;
        host::MultipartForm form(BOUNDARY, folder, files, limits);
        for (size_t at = 0; at < body.size(); at += piece) {
            if (!form.feed(body.substr(at, piece)))
                break;
        }
        if (form.finish() == host::MultipartForm::Result::Complete) {
            for (const host::UploadedFile& upload : form.uploads())
                require(upload.failed() ? upload.path.empty() : upload.size <= limits.maxFileBytes);
        }
    }
    require(isEmptyFolder(uploadFolder()));
    return 0;
}
