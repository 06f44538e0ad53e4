#pragma once

#include <cstddef>
#include <string>

namespace tessel {
class HttpResponse;
class IInputStream;
} // namespace tessel

namespace host {

class HostResponse;

// What an action put on the framework's response, as the transport sends
// it: the status, every header and every cookie. A header whose name is not
// a plain token, or whose value has a line break or a NUL, is refused (left
// out, with a log line), and the headers that only the transport writes
// (framing, connection) are left out, so that no page can split the
// response or reframe it.
class ResponseCopy {
public:
    static constexpr size_t MAX_STREAM_BYTES = 512u * 1024 * 1024;

    // Status, headers and cookies; the status only when it is one HTTP
    // knows the form of (100 to 599).
    static void copy(const tessel::HttpResponse& from, HostResponse& to);
    // Reads what is left of the stream into `body`; false when it failed or
    // held more than MAX_STREAM_BYTES.
    static bool readStream(tessel::IInputStream& stream, std::string& body);

    static bool isTransportHeader(const std::string& name);
};

} // namespace host
