#pragma once

#include <cstdint>

namespace tessel {

// Fixed-width integers over byte pointers, most significant byte first.
class BigEndian {
public:
    static int16_t GetInt16(const void* bytes)
    {
        const unsigned char* p = static_cast<const unsigned char*>(bytes);
        return static_cast<int16_t>(p[0] << 8 | p[1]);
    }

    static int32_t GetInt32(const void* bytes)
    {
        const unsigned char* p = static_cast<const unsigned char*>(bytes);
        return static_cast<int32_t>(static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                                    static_cast<uint32_t>(p[2]) << 8 | p[3]);
    }

    static int64_t GetInt64(const void* bytes)
    {
        const unsigned char* p = static_cast<const unsigned char*>(bytes);
        uint64_t high = static_cast<uint32_t>(GetInt32(p));
        uint64_t low = static_cast<uint32_t>(GetInt32(p + 4));
        return static_cast<int64_t>(high << 32 | low);
    }

    static void PutInt16(void* bytes, int16_t value)
    {
        unsigned char* p = static_cast<unsigned char*>(bytes);
        p[0] = static_cast<unsigned char>(static_cast<uint16_t>(value) >> 8);
        p[1] = static_cast<unsigned char>(value);
    }

    static void PutInt32(void* bytes, int32_t value)
    {
        unsigned char* p = static_cast<unsigned char*>(bytes);
        uint32_t v = static_cast<uint32_t>(value);
        p[0] = static_cast<unsigned char>(v >> 24);
        p[1] = static_cast<unsigned char>(v >> 16);
        p[2] = static_cast<unsigned char>(v >> 8);
        p[3] = static_cast<unsigned char>(v);
    }

    static void PutInt64(void* bytes, int64_t value)
    {
        unsigned char* p = static_cast<unsigned char*>(bytes);
        uint64_t v = static_cast<uint64_t>(value);
        PutInt32(p, static_cast<int32_t>(v >> 32));
        PutInt32(p + 4, static_cast<int32_t>(v));
    }
};

} // namespace tessel
