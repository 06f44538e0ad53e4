#include "host/MultipartForm.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "host/UploadFolder.h"
#include "host/UploadName.h"
#include "host/Utf8.h"

namespace host {

namespace {

// The declared type is only passed on; anything but a short plain token
// list is dropped rather than carried into headers or pages.
tessel::String cleanContentType(std::string_view type)
{
    constexpr size_t MAX_TYPE = 100;
    if (type.size() > MAX_TYPE)
        return tessel::String();
    for (char c : type) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F)
            return tessel::String();
    }
    return Utf8::decode(type);
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

} // namespace

MultipartForm::MultipartForm(std::string_view boundary, UploadFolder& folder, TemporaryFiles& files,
                             const Limits& limits)
    : parser_(boundary, *this), folder_(folder), files_(files), limits_(limits)
{
}

MultipartForm::~MultipartForm()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool MultipartForm::feed(std::string_view bytes)
{
    MultipartParser::Status status = parser_.feed(bytes);
    return status == MultipartParser::Status::Incomplete || status == MultipartParser::Status::Complete;
}

MultipartForm::Result MultipartForm::finish()
{
    parser_.finish();
    if (fd_ >= 0) { // the body ended inside a file
        ::close(fd_);
        fd_ = -1;
    }
    return result();
}

MultipartForm::Result MultipartForm::result() const
{
    if (tooLarge_)
        return Result::TooLarge;
    switch (parser_.status()) {
    case MultipartParser::Status::Incomplete: return Result::Incomplete;
    case MultipartParser::Status::Complete: return Result::Complete;
    case MultipartParser::Status::Stopped: return Result::TooLarge;
    case MultipartParser::Status::Malformed: return Result::Malformed;
    }
    return Result::Malformed;
}

bool MultipartForm::tooLarge()
{
    tooLarge_ = true;
    return false;
}

bool MultipartForm::onPartBegin(const PartHeaders& headers)
{
    if (++parts_ > limits_.maxParts)
        return tooLarge();
    name_ = headers.name;
    value_.clear();
    part_ = Part::Skip;
    if (headers.name.empty())
        return true; // nothing could ever find it
    fieldsBytes_ += name_.size();
    if (fieldsBytes_ > limits_.maxFieldsBytes)
        return tooLarge();
    if (!headers.hasFileName) {
        part_ = Part::Field;
        return true;
    }
    if (headers.fileName.empty()) {
        // A file input left empty: the field is there, without a file.
        part_ = Part::Field;
        return true;
    }
    return beginFile(headers);
}

bool MultipartForm::beginFile(const PartHeaders& headers)
{
    if (uploads_.size() >= limits_.maxFiles)
        return tooLarge();
    file_ = UploadedFile();
    file_.fieldName = Utf8::decode(name_);
    file_.contentType = cleanContentType(headers.contentType);
    part_ = Part::File;
    if (!UploadName::bareName(headers.fileName, file_.fileName)) {
        failFile();
        return true;
    }
    std::string extension = UploadName::safeExtension(UploadName::lastSegment(headers.fileName));
    fd_ = folder_.createFile(extension, file_.path);
    if (fd_ < 0) {
        failFile();
        return true;
    }
    files_.add(file_.path);
    return true;
}

bool MultipartForm::onPartData(std::string_view bytes)
{
    switch (part_) {
    case Part::Skip:
    case Part::FailedFile: return true;
    case Part::Field: return appendField(bytes);
    case Part::File: return writeFile(bytes);
    }
    return true;
}

bool MultipartForm::appendField(std::string_view bytes)
{
    fieldsBytes_ += bytes.size();
    if (value_.size() + bytes.size() > limits_.maxFieldBytes || fieldsBytes_ > limits_.maxFieldsBytes)
        return tooLarge();
    value_.append(bytes);
    return true;
}

bool MultipartForm::writeFile(std::string_view bytes)
{
    uploadBytes_ += static_cast<int64_t>(bytes.size());
    if (uploadBytes_ > limits_.maxUploadBytes)
        return tooLarge();
    int64_t size = file_.size + static_cast<int64_t>(bytes.size());
    if (size > limits_.maxFileBytes || !writeAll(fd_, bytes)) {
        failFile();
        return true;
    }
    file_.size = size;
    return true;
}

// The upload stays in the list as failed, so that the page can say so; its
// file goes at once instead of filling the disk until the request ends.
void MultipartForm::failFile()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!file_.path.empty()) {
        ::unlink(file_.path.c_str());
        files_.keep(file_.path);
        file_.path.clear();
    }
    file_.size = -1;
    part_ = Part::FailedFile;
}

void MultipartForm::closeFile()
{
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        failFile();
        return;
    }
    uploads_.push_back(std::move(file_));
    file_ = UploadedFile();
}

bool MultipartForm::onPartEnd()
{
    switch (part_) {
    case Part::Skip: break;
    case Part::Field: fields_.push_back({Utf8::decode(name_), Utf8::decode(value_)}); break;
    case Part::File:
        closeFile();
        if (part_ == Part::FailedFile)
            uploads_.push_back(std::move(file_));
        break;
    case Part::FailedFile: uploads_.push_back(std::move(file_)); break;
    }
    part_ = Part::Skip;
    value_.clear();
    file_ = UploadedFile();
    return true;
}

} // namespace host
