#pragma once

#include <cstddef>
#include <cstdint>

namespace host {

// Every bound the server puts on what a client may send or hold, in one
// place. The body limit leaves room for a 128 MiB import file plus the
// multipart framing and the form's other fields.
struct Limits {
    static constexpr int64_t MiB = 1024 * 1024;

    // Connections and time.
    int maxConnections = 200;
    int headerSeconds = 30; // for a request's header, idle keep-alive included
    int bodySeconds = 60;   // between two pieces of a body, and a body's grace (below)
    // A body must have come whole within bodySeconds plus the time its
    // length takes at this rate.
    int64_t minBodyBytesPerSecond = 1024;
    int writeSeconds = 60; // between two pieces of a response
    int drainSeconds = 5;  // reading what a refused client still sends

    // The request.
    size_t maxHeaderBytes = 16 * 1024; // request line and headers (431 above)
    int64_t maxBodyBytes = 136 * MiB;  // any body (413 above)

    // Bodies the host decodes.
    size_t maxFormBytes = 8 * MiB;   // urlencoded body, or another kept as is
    size_t maxFields = 10000;        // fields of one query string or form
    size_t maxFieldBytes = 1 * MiB;  // one multipart field value
    size_t maxFieldsBytes = 8 * MiB; // all multipart field values together
    size_t maxParts = 1000;
    size_t maxFiles = 100;
    int64_t maxFileBytes = 128 * MiB;   // one file; a larger upload fails
    int64_t maxUploadBytes = 132 * MiB; // all files of a request (413 above)
};

} // namespace host
