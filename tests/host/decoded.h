// What one GetPicture call handed the host, copied out of its two blocks,
// which are then freed as a host frees them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "support/test_files.h"

// What one call handed back, copied out of the blocks, which are then freed.
struct Decoded {
  int code = -99;
  bool infoNull = false;
  bool pixelsNull = false;
  SIZE_T infoSize = 0;
  SIZE_T pixelSize = 0;
  bool movable = true;   // locking gives an address other than the handle
  bool unlocked = true;  // lock count 0 when the call returned
  Bytes info;
  Bytes pixels;

  std::uint32_t Width() const { return info[4] | (info[5] << 8) | (info[6] << 16); }
  std::uint32_t Height() const { return info[8] | (info[9] << 8) | (info[10] << 16); }
  unsigned Depth() const { return info[14]; }
  std::size_t Stride() const { return (Width() * Depth() + 31) / 32 * 4; }
  // Output row of the cel's row y (the block is bottom-up).
  Bytes Row(std::uint32_t y) const {
    const std::size_t start = (Height() - 1 - y) * Stride();
    return Bytes(pixels.begin() + start, pixels.begin() + start + Stride());
  }
  // The 24-bit pixel at column x of the cel's row y, as 0x00BBGGRR.
  std::uint32_t ColourAt(std::uint32_t x, std::uint32_t y) const {
    const std::uint8_t* p = pixels.data() + (Height() - 1 - y) * Stride() + 3 * x;
    return p[2] | (p[1] << 8) | (p[0] << 16);
  }
  Bytes Header() const { return Bytes(info.begin(), info.begin() + 40); }
  Bytes ColourTable() const { return Bytes(info.begin() + 40, info.end()); }
  // The same answer: result, both blocks and their bytes.
  bool operator==(const Decoded& other) const {
    return code == other.code && infoNull == other.infoNull && pixelsNull == other.pixelsNull &&
           info == other.info && pixels == other.pixels;
  }
  bool operator!=(const Decoded& other) const { return !(*this == other); }
};

inline Bytes TakeBlock(HLOCAL block, SIZE_T* size, bool* movable, bool* unlocked) {
  *size = LocalSize(block);
  *unlocked = *unlocked && (LocalFlags(block) & LMEM_LOCKCOUNT) == 0;
  Bytes bytes;
  if (*size != 0) {
    const BYTE* p = static_cast<const BYTE*>(LocalLock(block));
    if (p != nullptr) {
      *movable = *movable && static_cast<const void*>(p) != static_cast<const void*>(block);
      bytes.assign(p, p + *size);
      LocalUnlock(block);
    }
  }
  LocalFree(block);
  return bytes;
}

// The blocks of a call that returned code, taken; null blocks are left alone.
inline Decoded TakeDecoded(int code, HLOCAL info, HLOCAL pixels) {
  Decoded d;
  d.code = code;
  d.infoNull = info == nullptr;
  d.pixelsNull = pixels == nullptr;
  if (!d.infoNull) d.info = TakeBlock(info, &d.infoSize, &d.movable, &d.unlocked);
  if (!d.pixelsNull) d.pixels = TakeBlock(pixels, &d.pixelSize, &d.movable, &d.unlocked);
  return d;
}
