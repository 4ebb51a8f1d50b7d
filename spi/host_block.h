// The movable blocks a picture export hands to the host.
#pragma once

#include <windows.h>

#include <cstdint>

#include "cel/convert.h"
#include "spi/owners.h"
#include "spi/plugin_api.h"

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

// Whether the host gave both variables for a picture, each then set to null,
// so that a call refused for any reason leaves it nothing.
inline bool ClearedForPicture(HLOCAL* infoHandle, HLOCAL* pixelHandle) {
  if (infoHandle == nullptr || pixelHandle == nullptr) return false;
  *infoHandle = nullptr;
  *pixelHandle = nullptr;
  return true;
}

// The picture of plan in two fresh blocks for the host: the header written,
// then fillInfo(info bytes) (a colour table after the header, complete
// before any row is written), then fillPixels(pixel bytes). Result 0, or 4
// with both variables null. The plan must fit in 32 bits.
template <typename FillInfo, typename FillPixels>
int HandOverPicture(const PicturePlan& plan, HLOCAL* infoHandle, HLOCAL* pixelHandle,
                    FillInfo fillInfo, FillPixels fillPixels) {
  HostBlock info(infoHandle, plan.infoBytes);
  if (!info.Obtained()) return kResultNoMemory;
  HostBlock pixels(pixelHandle, plan.pixelBytes);
  if (!pixels.Obtained()) return kResultNoMemory;
  {
    const LockedLocal header(info.Handle());
    if (header.Bytes() == nullptr) return kResultNoMemory;
    WriteInfoHeader(header.Bytes(), plan);
    fillInfo(header.Bytes());
  }
  // An empty picture has an empty block, which has nothing to lock.
  if (plan.pixelBytes != 0) {
    const LockedLocal rows(pixels.Handle());
    if (rows.Bytes() == nullptr) return kResultNoMemory;
    fillPixels(rows.Bytes());
  }
  info.Keep();
  pixels.Keep();
  return kResultSuccess;
}
