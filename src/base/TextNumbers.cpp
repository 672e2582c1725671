// Integers in text.
#include "base/TextNumbers.h"

bool TryParseTextInt(std::string_view s, int32_t& value) {
  value = 0;
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int base = 10;
  if (i < s.size() && s[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    v = v * base + d;
    // Decimal values must fit in 32 bits; hexadecimal ones may use all 32 bits.
    if (v > (base == 16 ? 0xFFFFFFFFLL : 2147483648LL)) return false;
  }
  if (base == 16) v = static_cast<int32_t>(static_cast<uint32_t>(v));
  if (negative) v = -v;
  if (v > 2147483647LL || v < -2147483648LL) return false;
  value = static_cast<int32_t>(v);
  return true;
}

int32_t ParseTextInt(std::string_view s) {
  int32_t v;
  return TryParseTextInt(s, v) ? v : 0;
}
