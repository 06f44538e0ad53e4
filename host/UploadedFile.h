#pragma once

#include <cstdint>
#include <string>

#include "tessel/core/String.h"

namespace host {

// One file part of a multipart/form-data request as the host stored it.
struct UploadedFile {
    tessel::String fieldName;
    tessel::String fileName;    // the client's name, reduced to a bare name
    tessel::String contentType; // as the client declared it
    std::string path;           // the stored file; empty for a failed upload
    int64_t size = 0;           // bytes stored; -1 marks a failed upload

    bool failed() const { return size < 0; }
};

} // namespace host
