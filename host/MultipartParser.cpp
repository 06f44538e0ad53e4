#include "host/MultipartParser.h"

#include "host/HeaderValue.h"

namespace host {

namespace {

bool isValidBoundary(std::string_view boundary)
{
    if (boundary.empty() || boundary.size() > MultipartParser::MAX_BOUNDARY)
        return false;
    for (char c : boundary) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F)
            return false;
    }
    return true;
}

} // namespace

MultipartParser::MultipartParser(std::string_view boundary, Handler& handler) : handler_(handler)
{
    if (!isValidBoundary(boundary)) {
        fail(Status::Malformed);
        return;
    }
    delimiter_ = "\r\n--";
    delimiter_.append(boundary);
    // A body normally opens with the delimiter itself, without the line end
    // that precedes every later one: start as if that line end was there.
    pending_ = "\r\n";
}

bool MultipartParser::boundaryOf(std::string_view contentType, std::string& boundary)
{
    if (HeaderValue::mainValue(contentType) != "multipart/form-data")
        return false;
    std::string value;
    if (!HeaderValue::parameter(contentType, "boundary", value) || !isValidBoundary(value))
        return false;
    boundary = value;
    return true;
}

MultipartParser::Status MultipartParser::feed(std::string_view bytes)
{
    if (state_ == State::Done)
        return status_;
    if (state_ == State::Epilogue)
        return status_; // whatever follows the closing delimiter is ignored
    pending_.append(bytes);
    while (step()) {
    }
    return status_;
}

MultipartParser::Status MultipartParser::finish()
{
    if (state_ == State::Epilogue) {
        state_ = State::Done;
        return status_;
    }
    if (state_ != State::Done)
        fail(Status::Malformed);
    return status_;
}

void MultipartParser::fail(Status status)
{
    state_ = State::Done;
    status_ = status;
    pending_.clear();
}

bool MultipartParser::step()
{
    switch (state_) {
    case State::Preamble: return stepPreamble();
    case State::AfterDelimiter: return stepAfterDelimiter();
    case State::Headers: return stepHeaders();
    case State::Content: return stepContent();
    case State::Epilogue:
    case State::Done: return false;
    }
    return false;
}

// The position from which pending_ may still hold the start of a delimiter
// that the next piece completes: a delimiter begins with CR, so only a CR
// in the last (delimiter length - 1) bytes needs keeping.
size_t MultipartParser::keepBackFrom() const
{
    size_t tail = delimiter_.size() - 1;
    size_t from = pending_.size() > tail ? pending_.size() - tail : 0;
    size_t cr = pending_.find('\r', from);
    return cr == std::string::npos ? pending_.size() : cr;
}

bool MultipartParser::stepPreamble()
{
    size_t at = pending_.find(delimiter_);
    if (at == std::string::npos) {
        pending_.erase(0, keepBackFrom());
        return false;
    }
    pending_.erase(0, at + delimiter_.size());
    state_ = State::AfterDelimiter;
    return true;
}

bool MultipartParser::stepAfterDelimiter()
{
    if (pending_.size() < 2)
        return false;
    if (pending_[0] == '-' && pending_[1] == '-') {
        pending_.clear();
        state_ = State::Epilogue;
        status_ = Status::Complete;
        return false;
    }
    size_t blanks = 0;
    while (blanks < pending_.size() && (pending_[blanks] == ' ' || pending_[blanks] == '\t'))
        ++blanks;
    if (blanks > MAX_PADDING) {
        fail(Status::Malformed);
        return false;
    }
    if (pending_.size() < blanks + 2)
        return false;
    if (pending_[blanks] != '\r' || pending_[blanks + 1] != '\n') {
        fail(Status::Malformed);
        return false;
    }
    pending_.erase(0, blanks + 2);
    state_ = State::Headers;
    scanned_ = 0;
    return true;
}

bool MultipartParser::stepHeaders()
{
    std::string_view block;
    size_t consumed = 0;
    if (pending_.size() >= 2 && pending_[0] == '\r' && pending_[1] == '\n') {
        consumed = 2; // a part without headers
    } else {
        size_t from = scanned_ > 3 ? scanned_ - 3 : 0;
        size_t end = pending_.find("\r\n\r\n", from);
        if (end == std::string::npos || end + 2 > MAX_HEADER_BYTES) {
            scanned_ = pending_.size();
            if (pending_.size() > MAX_HEADER_BYTES + 2 || end != std::string::npos)
                fail(Status::Malformed);
            return false;
        }
        block = std::string_view(pending_).substr(0, end + 2);
        consumed = end + 4;
    }
    if (!handler_.onPartBegin(PartHeaders::parse(block))) {
        fail(Status::Stopped);
        return false;
    }
    pending_.erase(0, consumed);
    state_ = State::Content;
    return true;
}

bool MultipartParser::stepContent()
{
    size_t at = pending_.find(delimiter_);
    size_t emit = at == std::string::npos ? keepBackFrom() : at;
    if (emit > 0 && !handler_.onPartData(std::string_view(pending_).substr(0, emit))) {
        fail(Status::Stopped);
        return false;
    }
    if (at == std::string::npos) {
        pending_.erase(0, emit);
        return false;
    }
    if (!handler_.onPartEnd()) {
        fail(Status::Stopped);
        return false;
    }
    pending_.erase(0, at + delimiter_.size());
    state_ = State::AfterDelimiter;
    return true;
}

} // namespace host
