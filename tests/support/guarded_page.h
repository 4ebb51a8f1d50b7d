// Data placed so that its last byte ends a committed page and the next page
// cannot be read: any read past the data faults.
#pragma once

#include <windows.h>

#include <cstring>

class GuardedPage {
 public:
  GuardedPage() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    page_ = system.dwPageSize;
    region_ = static_cast<BYTE*>(
        VirtualAlloc(nullptr, 2 * page_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    DWORD old = 0;
    if (region_ != nullptr && !VirtualProtect(region_ + page_, page_, PAGE_NOACCESS, &old)) {
      VirtualFree(region_, 0, MEM_RELEASE);
      region_ = nullptr;
    }
  }
  ~GuardedPage() {
    if (region_ != nullptr) VirtualFree(region_, 0, MEM_RELEASE);
  }
  GuardedPage(const GuardedPage&) = delete;
  GuardedPage& operator=(const GuardedPage&) = delete;

  bool Valid() const { return region_ != nullptr; }
  // Copies size bytes so that they end at the guard and returns where they start.
  const BYTE* Place(const void* bytes, std::size_t size) {
    BYTE* at = region_ + page_ - size;
    std::memcpy(at, bytes, size);
    return at;
  }

 private:
  DWORD page_ = 0;
  BYTE* region_ = nullptr;
};
