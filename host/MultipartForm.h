#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/FormField.h"
#include "host/Limits.h"
#include "host/MultipartParser.h"
#include "host/TemporaryFiles.h"
#include "host/UploadedFile.h"

namespace host {

class UploadFolder;

// Collects a multipart/form-data body as it arrives: field values in
// memory, files streamed into the upload folder. Every stored file is put
// on the request's temporary file list at once, so that nothing is left
// behind whichever way the request ends.
//
// A file over the per-file limit, one that cannot be written, or one whose
// client name is refused becomes a failed upload (size -1, nothing kept);
// the rest of the form still arrives. Over the limits of the form as a
// whole (fields, parts, files, all uploads together) the form is refused.
class MultipartForm : private MultipartParser::Handler {
public:
    enum class Result { Incomplete, Complete, Malformed, TooLarge };

    MultipartForm(std::string_view boundary, UploadFolder& folder, TemporaryFiles& files, const Limits& limits);
    ~MultipartForm() override;
    MultipartForm(const MultipartForm&) = delete;
    MultipartForm& operator=(const MultipartForm&) = delete;

    // False once the form has failed; result() then says why.
    bool feed(std::string_view bytes);
    // The body has ended.
    Result finish();
    Result result() const;

    std::vector<FormField>& fields() { return fields_; }
    std::vector<UploadedFile>& uploads() { return uploads_; }

private:
    enum class Part { Skip, Field, File, FailedFile };

    bool onPartBegin(const PartHeaders& headers) override;
    bool onPartData(std::string_view bytes) override;
    bool onPartEnd() override;

    bool beginFile(const PartHeaders& headers);
    bool appendField(std::string_view bytes);
    bool writeFile(std::string_view bytes);
    void failFile();
    void closeFile();
    bool tooLarge();

    MultipartParser parser_;
    UploadFolder& folder_;
    TemporaryFiles& files_;
    const Limits& limits_;
    std::vector<FormField> fields_;
    std::vector<UploadedFile> uploads_;

    Part part_ = Part::Skip;
    std::string name_;  // raw bytes of the current part's name
    std::string value_; // the current field's value
    UploadedFile file_; // the current file
    int fd_ = -1;
    size_t parts_ = 0;
    size_t fieldsBytes_ = 0;
    int64_t uploadBytes_ = 0;
    bool tooLarge_ = false;
};

} // namespace host
