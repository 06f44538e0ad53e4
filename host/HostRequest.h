#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/FormField.h"
#include "host/TemporaryFiles.h"
#include "host/UploadedFile.h"

namespace host {

// One request as the transport decoded it, free of the transport's types:
// what the routes and the page glue work from.
class HostRequest {
public:
    using Header = std::pair<std::string, std::string>;

    // A password that the application asked the server to check away from
    // the request loop (PasswordChecker): the page runs once to ask, the
    // server checks, the page runs again with the answer.
    struct PasswordQuestion {
        std::string hash;
        std::string password;
        bool answered = false;
        bool valid = false;
        int rounds = 0; // checks made for this request
    };

    std::string method;      // "GET", "HEAD", "POST"
    std::string target;      // as sent
    std::string path;        // the target's path, still percent-encoded
    std::string queryString; // after "?", still encoded
    std::string protocol = "1.1";
    std::vector<Header> headers; // arrival order
    std::string remoteAddress;
    int remotePort = 0;
    std::string serverAddress;
    int serverPort = 0;
    std::chrono::system_clock::time_point time;

    std::vector<FormField> query;      // decoded query string
    std::vector<FormField> form;       // decoded body fields
    std::vector<UploadedFile> uploads; // stored file parts
    std::string body;                  // a body of another type, as sent
    int64_t bodyBytes = 0;             // bytes of body received
    TemporaryFiles temporaryFiles;     // removed after the request
    PasswordQuestion passwordQuestion;

    // The first header of that name (ignoring letter case); empty when none.
    std::string header(std::string_view name) const;
    bool hasHeader(std::string_view name) const;
    bool isPost() const { return method == "POST"; }
    bool isHead() const { return method == "HEAD"; }
};

} // namespace host
