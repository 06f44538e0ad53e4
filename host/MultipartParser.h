#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/PartHeaders.h"

namespace host {

// Incremental parser of a multipart/form-data body. The body is pushed in
// pieces as it arrives, cut anywhere; the parser reports each part's
// headers, its content in pieces, and its end to a handler, and keeps back
// no more than a delimiter's length of content between pieces.
//
//   preamble CRLF? "--" boundary [padding] CRLF headers CRLF CRLF content
//   CRLF "--" boundary ... CRLF "--" boundary "--" epilogue
class MultipartParser {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        // Each returns false to stop the parse (a limit was reached).
        virtual bool onPartBegin(const PartHeaders& headers) = 0;
        virtual bool onPartData(std::string_view bytes) = 0;
        virtual bool onPartEnd() = 0;
    };

    enum class Status {
        Incomplete, // more body is expected
        Complete,   // the closing delimiter was seen
        Malformed,  // the body is not multipart, or ended too early
        Stopped,    // the handler stopped the parse
    };

    static constexpr size_t MAX_BOUNDARY = 70;
    static constexpr size_t MAX_HEADER_BYTES = 8192; // one part's header block
    static constexpr size_t MAX_PADDING = 64;        // blanks after a delimiter

    // `boundary` as boundaryOf gives it; an invalid one makes every feed
    // Malformed.
    MultipartParser(std::string_view boundary, Handler& handler);

    Status feed(std::string_view bytes);
    // The body has ended: Complete, or Malformed when it ended before the
    // closing delimiter.
    Status finish();
    Status status() const { return status_; }

    // The boundary parameter of a multipart/form-data Content-Type; false
    // for another type or a missing, empty or over-long boundary.
    static bool boundaryOf(std::string_view contentType, std::string& boundary);

private:
    enum class State { Preamble, AfterDelimiter, Headers, Content, Epilogue, Done };

    bool step();
    bool stepPreamble();
    bool stepAfterDelimiter();
    bool stepHeaders();
    bool stepContent();
    void fail(Status status);
    size_t keepBackFrom() const;

    Handler& handler_;
    std::string delimiter_; // CRLF "--" boundary
    std::string pending_;   // bytes received but not yet consumed
    size_t scanned_ = 0;    // how far pending_ was searched for the header end
    State state_ = State::Preamble;
    Status status_ = Status::Incomplete;
};

} // namespace host
