#include "tessel/core/IOutputStream.h"

#include <cstring>

#include "tessel/core/BigEndian.h"
#include "tessel/core/LittleEndian.h"
#include "tessel/core/String.h"

namespace tessel {

void IOutputStream::writeByte(char value)
{
    write(&value, 1);
}

void IOutputStream::writeShort(short value)
{
    char bytes[2];
    LittleEndian::PutInt16(bytes, value);
    write(bytes, 2);
}

void IOutputStream::writeShortBE(short value)
{
    char bytes[2];
    BigEndian::PutInt16(bytes, value);
    write(bytes, 2);
}

void IOutputStream::writeInt(int value)
{
    char bytes[4];
    LittleEndian::PutInt32(bytes, value);
    write(bytes, 4);
}

void IOutputStream::writeIntBE(int value)
{
    char bytes[4];
    BigEndian::PutInt32(bytes, value);
    write(bytes, 4);
}

void IOutputStream::writeBigint(int64_t value)
{
    char bytes[8];
    LittleEndian::PutInt64(bytes, value);
    write(bytes, 8);
}

void IOutputStream::writeBigintBE(int64_t value)
{
    char bytes[8];
    BigEndian::PutInt64(bytes, value);
    write(bytes, 8);
}

void IOutputStream::writeFloat(float value)
{
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    writeInt(bits);
}

void IOutputStream::writeDouble(double value)
{
    int64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    writeBigint(bits);
}

void IOutputStream::writeString(const String& text)
{
    if (!text.empty())
        write(text.c_str(), text.size() * 2);
}

void IOutputStream::writeString(const char16_t* text, int n)
{
    if (!text)
        return;
    if (n < 1)
        n = length(text);
    if (n > 0)
        write(text, n * 2);
}

} // namespace tessel
