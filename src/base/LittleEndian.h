// Little-endian integers read from file bytes; the caller has checked that they lie inside.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

inline uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline uint16_t Le16(const std::string& s, size_t at) {
  return Le16(reinterpret_cast<const uint8_t*>(s.data()) + at);
}
inline uint32_t Le32(const std::string& s, size_t at) {
  return Le32(reinterpret_cast<const uint8_t*>(s.data()) + at);
}
