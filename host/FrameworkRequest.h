#pragma once

namespace tessel {
class HttpRequest;
}

namespace host {

class HostRequest;

// Copies a decoded request into the framework's request record: the
// request line, client and server, content type and length, headers in
// arrival order, cookies, and the query and form fields as parameters
// (query first). Bytes become text only through Utf8. The session is bound
// separately (VisitorSession).
class FrameworkRequest {
public:
    static void fill(tessel::HttpRequest& target, const HostRequest& request);

private:
    static void fillLine(tessel::HttpRequest& target, const HostRequest& request);
    static void fillHeaders(tessel::HttpRequest& target, const HostRequest& request);
    static void fillParameters(tessel::HttpRequest& target, const HostRequest& request);
};

} // namespace host
