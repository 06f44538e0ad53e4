#pragma once

#include <deque>
#include <string>

#include "tessel/core/IInputStream.h"

namespace tessel::testing {

// A stream that cannot seek and hands out its bytes in the pieces it was
// given: each call of read returns at most the next piece. A piece of -1
// stands for a failing read and a piece of 0 for a read that finds no data
// yet while the stream is not at its end.
class PieceStream : public IInputStream {
public:
    PieceStream& add(const std::string& bytes)
    {
        pieces_.push_back({bytes, 1});
        return *this;
    }
    PieceStream& addResult(int result)
    {
        pieces_.push_back({std::string(), result});
        return *this;
    }

    int reads() const { return reads_; }

    ISeekable* getSeekable() override { return nullptr; }
    int64_t available() override { return -1; }
    bool isEnd() override { return pieces_.empty(); }
    void close() override { pieces_.clear(); }
    int read(void* buffer, int size) override
    {
        reads_++;
        if (pieces_.empty())
            return 0;
        Piece& piece = pieces_.front();
        if (piece.result <= 0) {
            int result = piece.result;
            pieces_.pop_front();
            return result;
        }
        int n = static_cast<int>(piece.bytes.size()) < size ? static_cast<int>(piece.bytes.size()) : size;
        piece.bytes.copy(static_cast<char*>(buffer), static_cast<size_t>(n));
        piece.bytes.erase(0, static_cast<size_t>(n));
        if (piece.bytes.empty())
            pieces_.pop_front();
        return n;
    }

private:
    struct Piece {
        std::string bytes;
        int result;
    };
    std::deque<Piece> pieces_;
    int reads_ = 0;
};

} // namespace tessel::testing
