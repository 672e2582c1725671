// Result codes of the platform layer: 0 success, negative failure, with the values the game's
// rules name.
#pragma once
#include <cstdint>

using HRESULT = int32_t;

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DI_OK = 0;
constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005);
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017C);
constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096);
constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2);
constexpr HRESULT DDERR_NOTLOCKED = static_cast<HRESULT>(0x887602E6);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001E);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000C);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005);

constexpr bool Failed(HRESULT r) {
  return r < 0;
}
constexpr bool Succeeded(HRESULT r) {
  return r >= 0;
}
