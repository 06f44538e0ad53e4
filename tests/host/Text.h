#pragma once

#include <string>

#include "tessel/core/String.h"

// UTF-8 of a framework text, so that expectations read and print plainly.
inline std::string text(const tessel::String& value)
{
    return value.toStdString();
}
