#pragma once

// The fractional hexadecimal digits of pi, computed with Machin's formula
// pi = 16 atan(1/5) - 4 atan(1/239) in fixed point, for checking tables
// that are defined as those digits.

#include <cstdint>
#include <vector>

namespace codec_test {

// A fixed-point number: limb 0 is the integer part, the others are 32-bit
// fractional digits, most significant first.
class FixedPoint {
public:
    explicit FixedPoint(size_t limbs) : limbs_(limbs, 0) {}

    bool isZero() const
    {
        for (uint32_t limb : limbs_)
            if (limb)
                return false;
        return true;
    }
    void setInteger(uint32_t value)
    {
        std::fill(limbs_.begin(), limbs_.end(), 0);
        limbs_[0] = value;
    }
    void divide(uint32_t divisor)
    {
        uint64_t remainder = 0;
        for (uint32_t& limb : limbs_) {
            uint64_t value = remainder << 32 | limb;
            limb = static_cast<uint32_t>(value / divisor);
            remainder = value % divisor;
        }
    }
    void multiply(uint32_t factor)
    {
        uint64_t carry = 0;
        for (size_t i = limbs_.size(); i-- > 0;) {
            uint64_t value = uint64_t(limbs_[i]) * factor + carry;
            limbs_[i] = static_cast<uint32_t>(value);
            carry = value >> 32;
        }
    }
    void add(const FixedPoint& other)
    {
        uint64_t carry = 0;
        for (size_t i = limbs_.size(); i-- > 0;) {
            uint64_t value = uint64_t(limbs_[i]) + other.limbs_[i] + carry;
            limbs_[i] = static_cast<uint32_t>(value);
            carry = value >> 32;
        }
    }
    void subtract(const FixedPoint& other)
    {
        int64_t borrow = 0;
        for (size_t i = limbs_.size(); i-- > 0;) {
            int64_t value = int64_t(limbs_[i]) - other.limbs_[i] - borrow;
            borrow = value < 0;
            limbs_[i] = static_cast<uint32_t>(value);
        }
    }
    uint32_t limb(size_t i) const { return limbs_[i]; }

private:
    std::vector<uint32_t> limbs_;
};

// atan(1/x) = 1/x - 1/(3x^3) + 1/(5x^5) - ...
inline FixedPoint arctanInverse(uint32_t x, size_t limbs)
{
    FixedPoint sum(limbs), power(limbs), term(limbs);
    power.setInteger(1);
    power.divide(x);
    sum.add(power);
    for (uint32_t k = 1; !power.isZero(); k++) {
        power.divide(x);
        power.divide(x);
        term = power;
        term.divide(2 * k + 1);
        if (k % 2)
            sum.subtract(term);
        else
            sum.add(term);
    }
    return sum;
}

// The first `count` 32-bit words of pi's fractional part (0x243F6A88, ...).
inline std::vector<uint32_t> piFractionWords(size_t count)
{
    const size_t guard = 4;
    size_t limbs = 1 + count + guard;
    FixedPoint pi = arctanInverse(5, limbs);
    pi.multiply(16);
    FixedPoint small = arctanInverse(239, limbs);
    small.multiply(4);
    pi.subtract(small);
    std::vector<uint32_t> words;
    for (size_t i = 1; i <= count; i++)
        words.push_back(pi.limb(i));
    return words;
}

} // namespace codec_test
