// Every one- and two-byte sequence of the Chinese code pages decoded by
// CodePage and by the platform's iconv, compared. The tables agree except
// in the places listed below, where the Windows tables map cells that glibc
// leaves unassigned; any other difference fails.

#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"

using namespace tessel;

namespace {

// A decoded sequence, or nothing when the decoder rejects it.
using Decoded = std::optional<std::u16string>;

// A single byte that Windows maps and glibc rejects.
struct KnownByte {
    int codePage;
    unsigned char byte;
    char16_t windows;
};

// A block of double-byte cells (lead and trail ranges, inclusive) that
// Windows maps to the private use area and glibc rejects.
struct KnownCells {
    int codePage;
    unsigned char leadFirst, leadLast, trailFirst, trailLast;
};

const KnownByte knownBytes[] = {
    // The last byte value, which no lead byte needs: Windows gives each code
    // page a private-use character for it.
    {936, 0xFF, 0xF8F5},
    {950, 0xFF, 0xF8F8},
};

const KnownCells knownCells[] = {
    // 936: the third user-defined area (A140-A7A0).
    {936, 0xA1, 0xA7, 0x40, 0x7E},
    {936, 0xA1, 0xA7, 0x80, 0xA0},
    // 936: empty cells of the GB2312 symbol rows, filled by Windows.
    {936, 0xA2, 0xA2, 0xAB, 0xB0},
    {936, 0xA2, 0xA2, 0xE3, 0xE4},
    {936, 0xA2, 0xA2, 0xEF, 0xF0},
    {936, 0xA2, 0xA2, 0xFD, 0xFE},
    {936, 0xA4, 0xA4, 0xF4, 0xFE},
    {936, 0xA5, 0xA5, 0xF7, 0xFE},
    {936, 0xA6, 0xA6, 0xB9, 0xC0},
    {936, 0xA6, 0xA6, 0xD9, 0xDF},
    {936, 0xA6, 0xA6, 0xEC, 0xED},
    {936, 0xA6, 0xA6, 0xF3, 0xF3},
    {936, 0xA6, 0xA6, 0xF6, 0xFE},
    {936, 0xA7, 0xA7, 0xC2, 0xD0},
    {936, 0xA7, 0xA7, 0xF2, 0xFE},
    {936, 0xA8, 0xA8, 0x96, 0xA0},
    {936, 0xA8, 0xA8, 0xBC, 0xBC},
    {936, 0xA8, 0xA8, 0xBF, 0xBF},
    {936, 0xA8, 0xA8, 0xC1, 0xC4},
    {936, 0xA8, 0xA8, 0xEA, 0xFE},
    {936, 0xA9, 0xA9, 0x58, 0x58},
    {936, 0xA9, 0xA9, 0x5B, 0x5B},
    {936, 0xA9, 0xA9, 0x5D, 0x5F},
    {936, 0xA9, 0xA9, 0x89, 0x95},
    {936, 0xA9, 0xA9, 0x97, 0xA3},
    {936, 0xA9, 0xA9, 0xF0, 0xFE},
    // 936: the five empty cells at the end of hanzi row 55.
    {936, 0xD7, 0xD7, 0xFA, 0xFE},
    // 936: the first (AAA1-AFFE) and second (F8A1-FEFE) user-defined areas.
    {936, 0xAA, 0xAF, 0xA1, 0xFE},
    {936, 0xF8, 0xFE, 0xA1, 0xFE},
    // 936: the rest of the FE row (FE50-FEA0).
    {936, 0xFE, 0xFE, 0x50, 0x7E},
    {936, 0xFE, 0xFE, 0x80, 0xA0},
    // 950: the user-defined areas 8140-A0FE and FA40-FEFE.
    {950, 0x81, 0xA0, 0x40, 0x7E},
    {950, 0x81, 0xA0, 0xA1, 0xFE},
    {950, 0xFA, 0xFE, 0x40, 0x7E},
    {950, 0xFA, 0xFE, 0xA1, 0xFE},
};

Decoded viaTessel(int codePage, const unsigned char* bytes, int n)
{
    char16_t out[8];
    int units = CodePage::decode(codePage, reinterpret_cast<const char*>(bytes), n, out, 8);
    std::u16string text(out, static_cast<size_t>(units));
    if (units == 0 || text.find(u'\uFFFD') != std::u16string::npos)
        return std::nullopt;
    return text;
}

class Iconv {
public:
    explicit Iconv(const char* name) : handle_(iconv_open("UTF-16LE", name)) {}
    ~Iconv()
    {
        if (ok())
            iconv_close(handle_);
    }
    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    Decoded decode(const unsigned char* bytes, int n)
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char16_t out[8];
        char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
        size_t inLeft = static_cast<size_t>(n);
        char* to = reinterpret_cast<char*>(out);
        size_t outLeft = sizeof out;
        if (iconv(handle_, &in, &inLeft, &to, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return std::nullopt;
        return std::u16string(out, reinterpret_cast<char16_t*>(to));
    }

private:
    iconv_t handle_;
};

std::string describe(const unsigned char* bytes, int n, const Decoded& tessel, const Decoded& glibc)
{
    auto show = [](const Decoded& text) {
        if (!text)
            return std::string(" rejected");
        std::string out;
        char unit[8];
        for (char16_t c : *text) {
            std::snprintf(unit, sizeof unit, " U+%04X", static_cast<unsigned>(c));
            out += unit;
        }
        return out;
    };
    char head[16];
    std::snprintf(head, sizeof head, n == 1 ? "%02X" : "%02X %02X", bytes[0], n > 1 ? bytes[1] : 0);
    return std::string(head) + ": tessel" + show(tessel) + ", glibc" + show(glibc);
}

bool isPrivateUse(const Decoded& text)
{
    return text && text->size() == 1 && (*text)[0] >= 0xE000 && (*text)[0] <= 0xF8FF;
}

bool knownByte(int codePage, unsigned char byte, const Decoded& tessel, const Decoded& glibc)
{
    for (const KnownByte& known : knownBytes)
        if (known.codePage == codePage && known.byte == byte)
            return !glibc && tessel == std::u16string(1, known.windows);
    return false;
}

bool knownCell(int codePage, unsigned char lead, unsigned char trail, const Decoded& tessel, const Decoded& glibc)
{
    for (const KnownCells& known : knownCells)
        if (known.codePage == codePage && lead >= known.leadFirst && lead <= known.leadLast &&
            trail >= known.trailFirst && trail <= known.trailLast)
            return !glibc && isPrivateUse(tessel);
    return false;
}

// Compares all sequences of one code page; returns the unexpected ones.
std::vector<std::string> differences(int codePage, const char* iconvName)
{
    std::vector<std::string> found;
    Iconv glibc(iconvName);
    if (!glibc.ok()) {
        found.push_back(std::string("iconv has no ") + iconvName);
        return found;
    }
    bool standsAlone[256];
    for (int byte = 0; byte < 256; byte++) {
        unsigned char one[1] = {static_cast<unsigned char>(byte)};
        Decoded mine = viaTessel(codePage, one, 1), theirs = glibc.decode(one, 1);
        standsAlone[byte] = mine || theirs;
        if (mine != theirs && !knownByte(codePage, one[0], mine, theirs))
            found.push_back(describe(one, 1, mine, theirs));
    }
    // A first byte that is a character by itself makes the pair that
    // character followed by the second byte, which the single bytes already
    // cover; so pairs are compared where the first byte is a lead byte (or
    // invalid) for both decoders.
    for (int lead = 0; lead < 256; lead++) {
        if (standsAlone[lead])
            continue;
        for (int trail = 0; trail < 256; trail++) {
            unsigned char two[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            Decoded mine = viaTessel(codePage, two, 2), theirs = glibc.decode(two, 2);
            if (mine != theirs && !knownCell(codePage, two[0], two[1], mine, theirs))
                found.push_back(describe(two, 2, mine, theirs));
        }
    }
    return found;
}

void expectAgreement(int codePage, const char* iconvName)
{
    std::vector<std::string> found = differences(codePage, iconvName);
    std::string report;
    for (size_t i = 0; i < found.size() && i < 20; i++)
        report += "\n  " + found[i];
    EXPECT_TRUE(found.empty()) << found.size() << " unexpected differences in " << codePage << ":" << report;
}

} // namespace

TEST(CodePageAgainstIconv, SimplifiedChinese936)
{
    expectAgreement(936, "CP936");
}
TEST(CodePageAgainstIconv, TraditionalChinese950)
{
    expectAgreement(950, "CP950");
}
