// Reads the device-independent bitmap that a plug-in hands back (information
// block and pixel block) into plain top-down RGB. Free of Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Three bytes per pixel, red, green, blue; rows from the top, no padding.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};

struct DibReadResult {
  bool ok = false;
  std::string error;  // why the bitmap cannot be read, when not ok
  int bitCount = 0;   // biBitCount of the bitmap
  RgbImage image;
};

// Every read stays within the two blocks as sized. Accepts 1, 4, 8, 16, 24 and
// 32 bits per pixel, uncompressed or with bit-field masks, bottom-up or
// top-down rows, and colour tables shortened by biClrUsed.
DibReadResult ReadDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                      std::size_t bitsSize);

// The largest picture accepted, in pixels: beyond it a 32-bit host would
// hardly find the memory for the picture and its copies.
constexpr std::uint64_t kMaxPicturePixels = 1u << 26;
