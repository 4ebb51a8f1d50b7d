// A bounded, read-only view of bytes. Every read of file data goes through it:
// a read at or past the end yields zero instead of touching memory that is not
// part of the data, which is how short files and short host buffers are decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct ByteView {
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;

  std::uint8_t At(std::size_t offset) const { return offset < size ? data[offset] : 0; }
  std::uint16_t U16(std::size_t offset) const {
    return static_cast<std::uint16_t>(At(offset) | (At(offset + 1) << 8));
  }
  std::uint32_t U32(std::size_t offset) const {
    return static_cast<std::uint32_t>(U16(offset)) |
           (static_cast<std::uint32_t>(U16(offset + 2)) << 16);
  }
  // Bytes from offset to the end, or an empty view when offset lies past it.
  ByteView From(std::size_t offset) const {
    return offset < size ? ByteView{data + offset, size - offset} : ByteView{data, 0};
  }
  // Copies count bytes from offset into out; bytes past the end become zero.
  void CopyOut(std::size_t offset, std::uint8_t* out, std::size_t count) const {
    std::size_t available = offset < size ? size - offset : 0;
    if (available > count) available = count;
    if (available > 0) std::memcpy(out, data + offset, available);
    if (count > available) std::memset(out + available, 0, count - available);
  }
};
