#include "quillot/frame/Rounding.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

using tessel::String;

namespace {

// The value's decimal text to 15 significant digits, which is what was
// typed or computed before binary took its share, and at least one decimal
// more than the rounding keeps.
std::string decimalText(double value, int places)
{
    double size = std::fabs(value);
    int wholeDigits = size < 1 ? 1 : static_cast<int>(std::floor(std::log10(size))) + 1;
    int decimals = 15 - wholeDigits;
    if (decimals < places + 1)
        decimals = places + 1;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

// Rounds the digits of a plain decimal text ("-2.675", no exponent) to
// `places` decimals, half away from zero.
std::string roundDigits(const std::string& text, int places)
{
    bool negative = !text.empty() && text[0] == '-';
    std::string digits = negative ? text.substr(1) : text;
    size_t point = digits.find('.');
    std::string whole = point == std::string::npos ? digits : digits.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : digits.substr(point + 1);
    if (static_cast<int>(fraction.size()) <= places)
        return text;
    bool up = fraction[static_cast<size_t>(places)] >= '5';
    std::string kept = whole + fraction.substr(0, static_cast<size_t>(places));
    if (up) {
        int i = static_cast<int>(kept.size()) - 1;
        for (; i >= 0; i--) {
            if (kept[static_cast<size_t>(i)] == '9') {
                kept[static_cast<size_t>(i)] = '0';
                continue;
            }
            kept[static_cast<size_t>(i)]++;
            break;
        }
        if (i < 0)
            kept.insert(kept.begin(), '1');
    }
    size_t wholeSize = kept.size() - static_cast<size_t>(places);
    std::string out = kept.substr(0, wholeSize);
    if (places > 0)
        out += "." + kept.substr(wholeSize);
    return negative ? "-" + out : out;
}

} // namespace

double Rounding::round(double value, int places)
{
    // Numbers far beyond what documents hold are left alone.
    if (!std::isfinite(value) || places < 0 || places > 15 || std::fabs(value) >= 1e300)
        return value;
    std::string text = decimalText(value, places);
    double rounded = std::strtod(roundDigits(text, places).c_str(), nullptr);
    return rounded == 0 ? 0.0 : rounded; // no "-0.00"
}

String Rounding::text(double value, int places)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", places < 0 ? 0 : places, round(value, places));
    return String::fromUTF8(buffer);
}

bool Rounding::parse(const String& text, double& out, bool emptyIsZero)
{
    String trimmed(text);
    trimmed.trim();
    if (trimmed.empty()) {
        out = 0;
        return emptyIsZero;
    }
    if (trimmed.size() > 40)
        return false;
    std::string narrow;
    for (int i = 0; i < trimmed.size(); i++) {
        char16_t c = trimmed[i];
        bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || ((c == u'-' || c == u'+') && i == 0);
        if (!allowed)
            return false;
        narrow += static_cast<char>(c);
    }
    char* end = nullptr;
    double value = std::strtod(narrow.c_str(), &end);
    if (end == narrow.c_str() || *end != '\0' || !std::isfinite(value) || std::fabs(value) > LIMIT)
        return false;
    out = value;
    return true;
}
