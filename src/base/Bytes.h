// A 32-bit integer as four characters inside a string, low byte first.
#pragma once
#include <cstdint>
#include <string>

std::string IntToBytes(int32_t value);
// The inverse of IntToBytes for a 4-character text. Any other length reads the last four
// characters of the text with four zero characters put in front, so a shorter text gives its
// characters as the high-order bytes.
int32_t BytesToInt(const std::string& text);
// The integer stored at pos of s, low byte first; bytes past the end read as 0.
int32_t ReadInt32At(const std::string& s, size_t pos);
// A 32-bit integer at p, low byte first (stored headers); the caller owns four bytes at p.
void PutInt32LE(uint8_t* p, int32_t value);
int32_t GetInt32LE(const uint8_t* p);
