#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// Cuts a text into tokens at any of a set of delimiter characters. Every
// delimiter ends a token, so adjacent delimiters give empty tokens.
class StringTokenizer : public IObject {
public:
    explicit StringTokenizer(const String& text);
    StringTokenizer(const String& text, const String& delimiters);

    bool hasMoreTokens() const { return position_ >= 0; }
    // The next token, empty when there are no more.
    String nextToken();
    String peekNextToken() const;

private:
    // Where the next token ends and where the one after it starts.
    void _nextBounds(int& end, int& next) const;

    String text_;
    String delimiters_;
    int position_ = 0; // -1 when exhausted
};

} // namespace tessel
