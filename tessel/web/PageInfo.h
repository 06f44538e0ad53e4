#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// One entry of the page table: a page or a templet of "config.xml". The
// expiry, the kind and the database-link flag share one packed word.
class PageInfo : public IObject {
public:
    enum Kind { PAGE_TEMPLET = 0, PAGE_VISIBLE = 1, PAGE_HIDDEN = 2 };

    PageInfo() = default;
    PageInfo(const PageInfo& other) = default;
    PageInfo& operator=(const PageInfo& other) = default;

    // Expiry in 28 bits (bits 0-27 of the packed word).
    int getExpires() const { return static_cast<int>(packed_ & EXPIRES_MASK); }
    void setExpires(int expires)
    {
        packed_ = (packed_ & ~EXPIRES_MASK) | (static_cast<uint32_t>(expires) & EXPIRES_MASK);
    }
    // Bits 28-30.
    int getKind() const { return static_cast<int>((packed_ >> 28) & 7u); }
    void setKind(int kind) { packed_ = (packed_ & ~(7u << 28)) | ((static_cast<uint32_t>(kind) & 7u) << 28); }
    // Bit 31: the configured database link began with "!".
    bool getDblinkFlag() const { return (packed_ >> 31) != 0; }
    void setDblinkFlag(bool flag) { packed_ = (packed_ & 0x7FFFFFFFu) | (flag ? 0x80000000u : 0u); }
    uint32_t getPacked() const { return packed_; }

    String id;
    String templet;
    String dblink;
    String title;
    String charset;
    String pagetype;
    String login;
    String group;

private:
    static constexpr uint32_t EXPIRES_MASK = 0x0FFFFFFFu;
    uint32_t packed_ = 0;
};

} // namespace tessel
