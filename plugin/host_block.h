// The movable blocks a picture export hands to the host.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr UINT kHostBlockFlags = LMEM_MOVEABLE | LMEM_ZEROINIT;  // 0x42

// A block for the host, stored in the host's variable the moment it is
// obtained. Unless kept, it is freed and the variable set back to null, so
// a failed call leaves the host nothing.
class HostBlock {
 public:
  HostBlock(HLOCAL* variable, std::uint64_t size) : variable_(variable) {
    *variable_ = LocalAlloc(kHostBlockFlags, static_cast<SIZE_T>(size));
  }
  ~HostBlock() {
    if (!kept_ && *variable_ != nullptr) {
      LocalFree(*variable_);
      *variable_ = nullptr;
    }
  }
  HostBlock(const HostBlock&) = delete;
  HostBlock& operator=(const HostBlock&) = delete;

  bool Obtained() const { return *variable_ != nullptr; }
  HLOCAL Handle() const { return *variable_; }
  void Keep() { kept_ = true; }

 private:
  HLOCAL* variable_;
  bool kept_ = false;
};
