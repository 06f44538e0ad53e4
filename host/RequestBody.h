#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/FormField.h"
#include "host/Limits.h"
#include "host/TemporaryFiles.h"
#include "host/UploadedFile.h"

namespace host {

class MultipartForm;
class UploadFolder;

// Decodes a request body as it arrives, by its Content-Type: urlencoded
// forms into fields, multipart forms into fields and stored files, any
// other body kept as it is (bounded like a form).
class RequestBody {
public:
    enum class Kind { UrlEncoded, Multipart, Other };

    RequestBody(std::string_view contentType, UploadFolder& folder, TemporaryFiles& files, const Limits& limits);
    ~RequestBody();
    RequestBody(const RequestBody&) = delete;
    RequestBody& operator=(const RequestBody&) = delete;

    Kind kind() const { return kind_; }
    // False when the body is refused; status() then gives the answer.
    bool feed(std::string_view bytes);
    // The body has ended: 0 when it decoded, else the HTTP status to answer
    // with (400 malformed, 413 too large).
    int finish();
    // 0 while nothing went wrong.
    int status() const { return status_; }

    std::vector<FormField>& fields() { return fields_; }
    std::vector<UploadedFile>& uploads() { return uploads_; }
    std::string& raw() { return raw_; }

private:
    Kind kind_ = Kind::Other;
    const Limits& limits_;
    std::unique_ptr<MultipartForm> multipart_;
    std::string raw_;
    std::vector<FormField> fields_;
    std::vector<UploadedFile> uploads_;
    int status_ = 0;
};

} // namespace host
