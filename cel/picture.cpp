// GetPicture: a cel, from a file or from the host's memory, decoded into the
// two movable blocks of a device-independent bitmap that the host then owns.
#include <cstdint>

#include "cel/convert.h"
#include "cel/picture_palette.h"
#include "cel/read_file.h"
#include "plugin/host_data.h"
#include "plugin/owners.h"
#include "plugin/plugin_api.h"
#include "settings/settings_store.h"

namespace {

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

}  // namespace

extern "C" int WINAPI GetPicture(LPCSTR source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                                 HLOCAL* pixelHandle, ProgressCallback, LONG_PTR) {
  // Without both variables there is nowhere to put the picture.
  if (infoHandle == nullptr || pixelHandle == nullptr) return kResultNotServed;
  *infoHandle = nullptr;
  *pixelHandle = nullptr;

  UniqueLocal fileBlock;  // the file's bytes, freed on every way out
  ByteView cel;
  const char* celPath = nullptr;
  switch (flags & kInputModeMask) {
    case kInputFile: {
      HLOCAL block = nullptr;
      DWORD size = 0;
      const int result = ReadFileWhole(source, &block, &size);
      if (result != kResultSuccess) return result;
      fileBlock.reset(block);
      // A fixed block's handle is its address; the file's size bounds the data.
      cel = ByteView{static_cast<const std::uint8_t*>(block), size};
      celPath = source;
      break;
    }
    case kInputMemory:
      cel = ByteView{reinterpret_cast<const std::uint8_t*>(source), HostDataSize(length)};
      break;
    default:
      return kResultNotServed;
  }

  // Read afresh on every call, so a change saved in the dialog applies now.
  const PluginSettings settings = ReadDecoderSettings();

  PicturePlan plan;
  if (!PlanPicture(cel, &plan)) return kResultNotServed;
  if (!FitsIn32Bits(plan)) return kResultNoMemory;

  HostBlock info(infoHandle, plan.infoBytes);
  if (!info.Obtained()) return kResultNoMemory;
  HostBlock pixels(pixelHandle, plan.pixelBytes);
  if (!pixels.Obtained()) return kResultNoMemory;

  {
    LockedLocal header(info.Handle());
    if (header.Bytes() == nullptr) return kResultNoMemory;
    WriteInfoHeader(header.Bytes(), plan);
    // The colour table is complete before any pixel row is written.
    if (plan.colourTableBytes != 0) {
      FillColourTable(header.Bytes() + kInfoHeaderSize, plan.rule.outputDepth, celPath);
    }
  }
  // An empty picture has an empty block, which has nothing to lock.
  if (plan.pixelBytes != 0) {
    LockedLocal rows(pixels.Handle());
    if (rows.Bytes() == nullptr) return kResultNoMemory;
    ConvertPixels(cel, plan, settings, rows.Bytes());
  }

  info.Keep();
  pixels.Keep();
  return kResultSuccess;
}
