// Integers written in text (level values, key/value pairs): optional leading blanks, optional
// sign, decimal, or hexadecimal after "$" or "0x". Anything else, or an empty text, reads as 0.
#pragma once
#include <cstdint>
#include <string_view>

int32_t ParseTextInt(std::string_view text);
// As ParseTextInt, but tells whether the text was a valid integer.
bool TryParseTextInt(std::string_view text, int32_t& value);
