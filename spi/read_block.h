// The block one call reads a whole file into. A viewer reads its files into
// a buffer it keeps, but under Wine a block of 120 KB or more is fresh memory
// from the system on every allocation; so one spare block, up to
// kKeptReadBlockLimit, is kept between calls. A call takes the spare (no
// other call can hold it at the same time) and gives its block back when
// done; a larger block is freed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kKeptReadBlockLimit = std::size_t{4} << 20;

class ReadBlock {
 public:
  ReadBlock() = default;
  ~ReadBlock();
  ReadBlock(const ReadBlock&) = delete;
  ReadBlock& operator=(const ReadBlock&) = delete;

  // Room for size bytes (never a null block for 0), holding whatever the
  // block last held; null when there is no memory.
  std::uint8_t* Reserve(std::size_t size);
  std::uint8_t* data() const { return static_cast<std::uint8_t*>(block_); }

 private:
  HLOCAL block_ = nullptr;
  std::size_t capacity_ = 0;
};

// Frees the spare block: at the module's detach.
void FreeSpareReadBlock();
