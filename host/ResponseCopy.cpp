#include "host/ResponseCopy.h"

#include <cstdio>
#include <string_view>

#include "tessel/core/IInputStream.h"
#include "tessel/web/HttpResponse.h"

#include "host/HeaderValue.h"
#include "host/HostResponse.h"
#include "host/Utf8.h"

namespace host {

namespace {

constexpr int READ_PIECE = 64 * 1024;

void refused(const tessel::String& name)
{
    std::fprintf(stderr, "quillot-server: refused the page's header \"%s\"\n", Utf8::encode(name).c_str());
}

// A header name is a token: no spaces, colons or other separators.
bool isToken(const std::string& name)
{
    if (name.empty())
        return false;
    for (char c : name) {
        bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!plain && std::string_view("!#$%&'*+-.^_`|~").find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

} // namespace

bool ResponseCopy::isTransportHeader(const std::string& name)
{
    for (const char* reserved : {"Content-Length", "Transfer-Encoding", "Connection", "Keep-Alive", "Upgrade",
                                 "Trailer", "TE", "Date", "Server"}) {
        if (HeaderValue::equalsIgnoreCase(name, reserved))
            return true;
    }
    return false;
}

void ResponseCopy::copy(const tessel::HttpResponse& from, HostResponse& to)
{
    int status = from.getStatus();
    if (status >= 100 && status <= 599)
        to.status = status;
    const tessel::Array<tessel::PairEntry>& headers = from.getHeaders();
    for (int i = 0; i < headers.size(); i++) {
        const tessel::PairEntry& header = *headers[i];
        std::string name = Utf8::encode(header.key);
        if (!isToken(name) || !tessel::HttpResponse::isHeaderSafe(header.value)) {
            refused(header.key);
            continue;
        }
        if (isTransportHeader(name))
            continue;
        if (HeaderValue::equalsIgnoreCase(name, "Content-Type"))
            to.setHeader(name, Utf8::encode(header.value)); // one type only
        else
            to.headers.emplace_back(name, Utf8::encode(header.value));
    }
    const tessel::Array<tessel::HttpCookie>& cookies = from.getCookies();
    for (int i = 0; i < cookies.size(); i++) {
        // toString leaves line breaks out of every part.
        to.headers.emplace_back("Set-Cookie", Utf8::encode(cookies[i]->toString()));
    }
}

bool ResponseCopy::readStream(tessel::IInputStream& stream, std::string& body)
{
    char piece[READ_PIECE];
    while (true) {
        int got = stream.read(piece, READ_PIECE);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (body.size() + static_cast<size_t>(got) > MAX_STREAM_BYTES)
            return false;
        body.append(piece, static_cast<size_t>(got));
    }
}

} // namespace host
