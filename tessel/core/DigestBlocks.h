#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tessel {

// The 64-byte blocks that MD5 and SHA-1 digest: bytes given in pieces of
// any size are gathered into whole blocks, and the message ends with 0x80,
// zeros and its length in bits, in the byte order of the digest.
class DigestBlocks {
public:
    static constexpr int BLOCK_BYTES = 64;

    void reset()
    {
        length_ = 0;
        std::memset(block_, 0, sizeof block_);
    }

    // Hands every block that fills up to `transform`.
    template <class Transform>
    void add(const unsigned char* data, int length, Transform transform)
    {
        if (!data || length < 1)
            return;
        int used = static_cast<int>(length_ % BLOCK_BYTES);
        length_ += static_cast<uint64_t>(length);
        while (length > 0) {
            int take = std::min(length, BLOCK_BYTES - used);
            std::memcpy(block_ + used, data, static_cast<size_t>(take));
            used += take;
            data += take;
            length -= take;
            if (used == BLOCK_BYTES) {
                transform(block_);
                used = 0;
            }
        }
    }

    // Adds the padding and the length, which completes the last block.
    template <class Transform>
    void finish(bool bigEndianLength, Transform transform)
    {
        uint64_t bits = length_ * 8;
        unsigned char tail[BLOCK_BYTES + 8] = {0x80};
        int used = static_cast<int>(length_ % BLOCK_BYTES);
        int padding = used < 56 ? 56 - used : 120 - used;
        for (int i = 0; i < 8; i++)
            tail[padding + i] = static_cast<unsigned char>(bits >> (bigEndianLength ? 56 - 8 * i : 8 * i));
        add(tail, padding + 8, transform);
    }

private:
    uint64_t length_ = 0; // bytes added
    unsigned char block_[BLOCK_BYTES] = {};
};

} // namespace tessel
