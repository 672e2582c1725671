// A 32-bit integer as four characters inside a string, low byte first.
#pragma once
#include <cstdint>
#include <string>

std::string IntToBytes(int32_t value);
// The integer stored at pos; missing bytes read as 0.
int32_t BytesToInt(const std::string& s, size_t pos = 0);
