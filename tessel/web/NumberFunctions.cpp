#include "tessel/web/NumberFunctions.h"

#include <climits>
#include <cmath>
#include <cstdint>

namespace tessel {

namespace {

constexpr double KILO = 1024.0;
constexpr double MEGA = 1048576.0;
constexpr double GIGA = 1073741824.0;
// More decimals than a double carries say nothing more.
constexpr int MAX_DECIMALS = 15;
// Widths and precisions in "format" patterns have at most this many digits.
constexpr int MAX_FIELD_DIGITS = 3;

int clampToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= INT_MIN)
        return INT_MIN;
    if (value >= INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}

double roundHalfAway(double value)
{
    return value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5);
}

// ------------------------------------------------------------ format pattern

enum class Conversion { NONE, INTEGER, REAL };

bool isFlag(char16_t c)
{
    return c == u'-' || c == u'+' || c == u' ' || c == u'#' || c == u'0';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Skips up to MAX_FIELD_DIGITS digits; false when there are more.
bool skipField(const String& pattern, int& at)
{
    int digits = 0;
    while (at < pattern.size() && isDigit(pattern[at])) {
        at++;
        if (++digits > MAX_FIELD_DIGITS)
            return false;
    }
    return true;
}

// The kind of the one numeric conversion of a pattern; NONE when the
// pattern has none, more than one, or anything else after a "%".
Conversion conversionOf(const String& pattern)
{
    Conversion found = Conversion::NONE;
    for (int at = 0; at < pattern.size(); at++) {
        if (pattern[at] != u'%')
            continue;
        at++;
        if (at < pattern.size() && pattern[at] == u'%')
            continue;
        if (found != Conversion::NONE)
            return Conversion::NONE;
        while (at < pattern.size() && isFlag(pattern[at]))
            at++;
        if (!skipField(pattern, at))
            return Conversion::NONE;
        if (at < pattern.size() && pattern[at] == u'.') {
            at++;
            if (!skipField(pattern, at))
                return Conversion::NONE;
        }
        if (at >= pattern.size())
            return Conversion::NONE;
        switch (pattern[at]) {
        case u'd':
        case u'i':
        case u'u':
        case u'x':
        case u'X':
        case u'o': found = Conversion::INTEGER; break;
        case u'f':
        case u'e':
        case u'g': found = Conversion::REAL; break;
        default: return Conversion::NONE;
        }
    }
    return found;
}

// -------------------------------------------------------------------- rmbof

constexpr char16_t DIGIT_NAMES[] = u"零壹贰叁肆伍陆柒捌玖";
constexpr int64_t MAX_FEN = 100000000000000; // 1 followed by 14 zeros: 万亿 yuan

// The yuan in groups of four digits: 亿, 万, and the units. A zero
// between non-zero digits, also across groups, is written once as 零; the
// zeros at the end of a group go unwritten, the group's name closes it.
String yuanText(int64_t yuan)
{
    static const char16_t* const PLACES[] = {u"仟", u"佰", u"拾", u""};
    const struct {
        int64_t value;
        const char16_t* name;
    } groups[] = {{yuan / 100000000, u"亿"}, {yuan / 10000 % 10000, u"万"}, {yuan % 10000, u""}};

    String text;
    bool zeroPending = false;
    for (const auto& group : groups) {
        if (group.value == 0) {
            zeroPending = !text.empty();
            continue;
        }
        int divisor = 1000;
        for (int place = 0; place < 4; place++, divisor /= 10) {
            int digit = static_cast<int>(group.value / divisor % 10);
            if (digit == 0) {
                zeroPending = zeroPending || !text.empty();
                continue;
            }
            if (zeroPending)
                text += DIGIT_NAMES[0];
            zeroPending = false;
            text += DIGIT_NAMES[digit];
            text += PLACES[place];
        }
        text += group.name;
        zeroPending = false;
    }
    return text;
}

String amountText(int64_t fen)
{
    if (fen == 0)
        return String(u"零元整");
    int64_t yuan = fen / 100;
    int jiao = static_cast<int>(fen / 10 % 10);
    int cents = static_cast<int>(fen % 10);
    String text;
    if (yuan > 0)
        text = yuanText(yuan) + u"元";
    if (jiao == 0 && cents == 0)
        return text + u"整";
    if (jiao > 0) {
        text += DIGIT_NAMES[jiao];
        text += u'角';
    } else if (yuan > 0) {
        text += DIGIT_NAMES[0];
    }
    if (cents > 0) {
        text += DIGIT_NAMES[cents];
        text += u'分';
    }
    return text;
}

} // namespace

void ByteSizeFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    double size = number(0, data);
    String text;
    if (size > GIGA)
        text.format(u"%0.2fG", size / GIGA);
    else if (size >= MEGA)
        text.format(u"%.2fM", size / MEGA);
    else if (size >= KILO)
        text.format(u"%.2fK", size / KILO);
    else
        text.format(u"%dB", clampToInt(size));
    give(out, text);
}

void IntValFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    give(out, integer(0, data));
}

void CeilFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveNumber(out, std::ceil(number(0, data)));
}

void RoundFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    double value = number(0, data);
    int decimals = integer(1, data);
    if (!std::isfinite(value))
        return;
    if (decimals <= 0) {
        double unit = std::pow(10.0, -static_cast<double>(decimals));
        giveNumber(out, std::isfinite(unit) ? roundHalfAway(value / unit) * unit : 0.0);
        return;
    }
    if (decimals > MAX_DECIMALS)
        decimals = MAX_DECIMALS;
    String pattern;
    pattern.format(u"%%0.%df", decimals);
    String text;
    text.format(pattern.c_str(), value);
    // Beyond two decimals, only the digits that mean something.
    if (decimals > 2) {
        int keep = text.size();
        int point = text.indexOf(u'.');
        while (keep > point + 3 && text[keep - 1] == u'0')
            keep--;
        text.trunc(keep);
    }
    give(out, text);
}

void IncOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveNumber(out, static_cast<double>(integer(0, data)) + integer(1, data));
}

void FormatFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String pattern = text(1, data);
    Conversion conversion = conversionOf(pattern);
    if (conversion == Conversion::NONE)
        return;
    String text;
    if (conversion == Conversion::REAL)
        text.format(pattern.c_str(), number(0, data));
    else
        text.format(pattern.c_str(), integer(0, data));
    give(out, text);
}

void RmbOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    double amount = number(0, data);
    double fen = std::fabs(amount) * 100 + 0.5;
    // Amounts of 万亿 yuan and more have no place names here.
    if (!(fen < static_cast<double>(MAX_FEN)))
        return;
    int64_t whole = static_cast<int64_t>(fen);
    String text = amountText(whole);
    give(out, amount < 0 && whole > 0 ? String(u"负") + text : text);
}

void HexOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int value = integer(0, data);
    String text;
    if (value > 0 || integer(1, data) != 0)
        text.format(u"%08X", static_cast<unsigned>(value));
    give(out, text);
}

} // namespace tessel
