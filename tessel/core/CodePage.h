#pragma once

#include <cstdint>
#include <memory>

namespace tessel {

// Conversion between byte encodings and UTF-16, named by code page numbers.
// This is the one place where the platform converter (ICU) is reached; the
// Windows code pages are opened by the names of their Windows tables so that
// bytes decode the way Windows programs wrote them.
//
// Besides the Windows numbers, 65002 is UTF-16 little-endian and 65003
// UTF-16 big-endian; 0 stands for the system default, which is UTF-8 unless
// configured with setSystemDefault.
class CodePage {
public:
    enum : int {
        SYSTEM = 0,
        UTF8 = 65001,
        UTF16LE = 65002,
        UTF16BE = 65003,
    };

    static int systemDefault();
    static void setSystemDefault(int codePage);
    // 0 becomes the system default; every other number stays.
    static int resolve(int codePage);
    static bool isUTF16(int codePage);
    // Whether a converter exists for the code page.
    static bool isSupported(int codePage);

    // Decodes `length` bytes into at most `capacity` units of `out` and
    // returns the units written. With a null `out` the result is the number
    // of units the whole input needs. No terminator is written. Undecodable
    // bytes become U+FFFD; an unknown code page decodes to nothing.
    static int decode(int codePage, const char* bytes, int length, char16_t* out, int capacity);
    // Encodes `length` units into at most `capacity` bytes of `out`; returns
    // the bytes written, or with a null `out` the bytes needed. Only whole
    // characters are written: one whose bytes do not all fit is left out.
    // Characters the code page cannot hold become "?".
    static int encode(int codePage, const char16_t* text, int length, char* out, int capacity);

    // Incremental decoding for readers that see the input in pieces: a
    // multi-byte character (or a UTF-16 unit) split between two pieces is
    // kept back and completed by the next piece.
    class Decoder {
    public:
        explicit Decoder(int codePage);
        ~Decoder();
        Decoder(const Decoder&) = delete;
        Decoder& operator=(const Decoder&) = delete;

        int codePage() const { return codePage_; }
        // Decodes a piece. `out` must have room for `length` + 2 units (no
        // encoding yields more units than bytes, plus a carried character).
        // With `flush` an incomplete sequence at the end is decoded as
        // U+FFFD instead of being kept. Returns the units written.
        int decode(const char* bytes, int length, char16_t* out, bool flush);
        // Bytes held back from the previous piece.
        int pending() const;
        void reset();

    private:
        struct State;
        int codePage_;
        std::unique_ptr<State> state_;
    };
};

} // namespace tessel
