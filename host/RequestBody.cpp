#include "host/RequestBody.h"

#include "host/HeaderValue.h"
#include "host/MultipartForm.h"
#include "host/MultipartParser.h"
#include "host/QueryString.h"

namespace host {

namespace {

constexpr int BAD_REQUEST = 400;
constexpr int TOO_LARGE = 413;

} // namespace

RequestBody::RequestBody(std::string_view contentType, UploadFolder& folder, TemporaryFiles& files,
                         const Limits& limits)
    : limits_(limits)
{
    std::string type = HeaderValue::mainValue(contentType);
    if (type == "application/x-www-form-urlencoded") {
        kind_ = Kind::UrlEncoded;
    } else if (type == "multipart/form-data") {
        kind_ = Kind::Multipart;
        std::string boundary;
        if (MultipartParser::boundaryOf(contentType, boundary))
            multipart_ = std::make_unique<MultipartForm>(boundary, folder, files, limits);
        else
            status_ = BAD_REQUEST;
    }
}

RequestBody::~RequestBody() = default;

bool RequestBody::feed(std::string_view bytes)
{
    if (status_ != 0)
        return false;
    if (multipart_) {
        if (!multipart_->feed(bytes))
            status_ = multipart_->result() == MultipartForm::Result::TooLarge ? TOO_LARGE : BAD_REQUEST;
        return status_ == 0;
    }
    if (raw_.size() + bytes.size() > limits_.maxFormBytes) {
        status_ = TOO_LARGE;
        return false;
    }
    raw_.append(bytes);
    return true;
}

int RequestBody::finish()
{
    if (status_ != 0)
        return status_;
    if (multipart_) {
        switch (multipart_->finish()) {
        case MultipartForm::Result::Complete:
            fields_ = std::move(multipart_->fields());
            uploads_ = std::move(multipart_->uploads());
            break;
        case MultipartForm::Result::TooLarge: status_ = TOO_LARGE; break;
        default: status_ = BAD_REQUEST; break;
        }
        multipart_.reset();
        return status_;
    }
    if (kind_ == Kind::UrlEncoded) {
        if (!QueryString::parse(raw_, fields_, limits_.maxFields))
            status_ = TOO_LARGE;
        raw_.clear();
    }
    return status_;
}

} // namespace host
