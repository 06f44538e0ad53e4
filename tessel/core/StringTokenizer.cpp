#include "tessel/core/StringTokenizer.h"

namespace tessel {

StringTokenizer::StringTokenizer(const String& text) : text_(text), delimiters_(u" \t\r\n") {}

StringTokenizer::StringTokenizer(const String& text, const String& delimiters) : text_(text), delimiters_(delimiters) {}

void StringTokenizer::_nextBounds(int& end, int& next) const
{
    end = delimiters_.empty() ? -1 : text_.indexOfAny(delimiters_.c_str(), position_);
    if (end < 0) {
        end = text_.size();
        next = -1;
    } else {
        next = end + 1;
    }
}

String StringTokenizer::nextToken()
{
    if (position_ < 0)
        return String();
    int end, next;
    _nextBounds(end, next);
    String token = text_.substr(position_, end - position_);
    position_ = next;
    return token;
}

String StringTokenizer::peekNextToken() const
{
    if (position_ < 0)
        return String();
    int end, next;
    _nextBounds(end, next);
    return text_.substr(position_, end - position_);
}

} // namespace tessel
