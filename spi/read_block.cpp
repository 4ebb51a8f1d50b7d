#include "spi/read_block.h"

#include <atomic>

namespace {

// Taken and given back by exchange, so two calls never hold it at once.
// Constant-initialised and trivially destroyed: nothing runs at load or exit.
std::atomic<HLOCAL> spare{nullptr};

}  // namespace

ReadBlock::~ReadBlock() {
  if (block_ == nullptr) return;
  if (capacity_ > kKeptReadBlockLimit) {
    LocalFree(block_);
    return;
  }
  // Another call's block given back meanwhile makes room for this one.
  const HLOCAL previous = spare.exchange(block_);
  if (previous != nullptr) LocalFree(previous);
}

std::uint8_t* ReadBlock::Reserve(std::size_t size) {
  if (size == 0) size = 1;
  if (block_ == nullptr) {
    block_ = spare.exchange(nullptr);
    capacity_ = block_ != nullptr ? LocalSize(block_) : 0;
  }
  if (capacity_ < size) {
    if (block_ != nullptr) LocalFree(block_);
    block_ = LocalAlloc(LMEM_FIXED, size);
    capacity_ = block_ != nullptr ? size : 0;
  }
  return data();
}

void FreeSpareReadBlock() {
  const HLOCAL block = spare.exchange(nullptr);
  if (block != nullptr) LocalFree(block);
}
