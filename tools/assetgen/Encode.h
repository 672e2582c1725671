// File formats the data maker writes: Windows bitmap files, JPEG files, PCM wave blocks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Art.h"

// A 24-bit bottom-up Windows bitmap file (file header, BITMAPINFOHEADER, rows padded to 4 bytes).
std::string EncodeBmp24(const Image& img);
// A baseline JPEG file at the given quality (libjpeg), fixed settings so the bytes never vary.
std::string EncodeJpeg(const Image& img, int quality);
// A wave block: sample byte count, the 18-byte WAVEFORMATEX of 16-bit mono PCM at the rate, then
// the samples little-endian.
std::string EncodeWaveBlock(const std::vector<int16_t>& samples, int rate);
