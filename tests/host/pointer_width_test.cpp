// The parts of the interface whose width follows the host's: the PictureInfo
// record as the host lays it out (26 bytes for tamsa.spi, 32 for tamsa.sph),
// IsSupported's data told apart by its bits above the low 16, and lengths
// that keep every bit of LONG_PTR.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "host/plugin_host.h"
#include "spi/owners.h"
#include "support/test_files.h"

namespace {

constexpr bool kBuild64 = sizeof(void*) == 8;

struct RegionFreer {
  void operator()(void* region) const { VirtualFree(region, 0, MEM_RELEASE); }
};
using UniqueRegion = std::unique_ptr<void, RegionFreer>;

// A committed region of 64 KB at the given address, or wherever the system
// puts it (always on a 64 KB boundary, so the low 16 bits are zero).
UniqueRegion CommitRegion(void* at = nullptr) {
  return UniqueRegion(VirtualAlloc(at, 0x10000, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

class PointerWidth : public PluginSuite {
 protected:
  // The two blocks of a GetPicture from memory, as bytes; freed here.
  struct Bitmap {
    int code = -99;
    Bytes info;
    Bytes pixels;
  };
  static Bitmap Decode(const Bytes& cel, LONG_PTR length) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    Bitmap bitmap;
    bitmap.code = host->getPicture(reinterpret_cast<LPCSTR>(cel.data()), length, kInputMemory,
                                   &info, &pixels, nullptr, 0);
    const UniqueLocal infoBlock(info);
    const UniqueLocal pixelBlock(pixels);
    const LockedLocal infoBytes(info);
    const LockedLocal pixelBytes(pixels);
    bitmap.info.assign(infoBytes.Bytes(), infoBytes.Bytes() + infoBytes.Size());
    bitmap.pixels.assign(pixelBytes.Bytes(), pixelBytes.Bytes() + pixelBytes.Size());
    return bitmap;
  }
};

// Every byte checked where the host reads it, in a larger buffer of 0xCC:
// the plug-in writes the whole record, the 64-bit record's two bytes of
// padding before the handle as zero, and nothing past it.
TEST_F(PointerWidth, PictureInfoIsFilledInTheHostsLayout) {
  constexpr std::size_t kHandleAt = kBuild64 ? 24 : 22;
  alignas(8) BYTE record[48];
  std::memset(record, 0xCC, sizeof record);
  const Bytes cel = HeadedCel(0x21, 32, 0x0102, 0x0304);
  ASSERT_EQ(
      host->getPictureInfo(reinterpret_cast<LPCSTR>(cel.data()), static_cast<LONG_PTR>(cel.size()),
                           kInputMemory, reinterpret_cast<PictureInfo*>(record)),
      0);

  Bytes expected(sizeof record, 0xCC);
  const auto put = [&](std::size_t at, std::size_t size, unsigned value) {
    for (std::size_t i = 0; i < size; ++i) expected[at + i] = static_cast<BYTE>(value >> (8 * i));
  };
  put(0, 4, 0);                 // left
  put(4, 4, 0);                 // top
  put(8, 4, 0x0102);            // width
  put(12, 4, 0x0304);           // height
  put(16, 2, 0);                // horizontal density
  put(18, 2, 0);                // vertical density
  put(20, 2, 32);               // colour depth
  if (kBuild64) put(22, 2, 0);  // padding
  put(kHandleAt, 4, 0);
  if (kBuild64) put(kHandleAt + 4, 4, 0);  // the handle's high half
  EXPECT_EQ(Bytes(record, record + sizeof record), expected);
}

TEST_F(PointerWidth, IsSupportedTakesDataAboveTheLow16BitsForAPointer) {
  std::vector<UniqueRegion> regions;
  regions.push_back(CommitRegion());
  if (kBuild64) {
    // One on a 4 GB boundary: its low 32 bits alone would read as handle 0.
    UniqueRegion high;
    for (ULONG_PTR gigabytes = 4; gigabytes <= 256 && high == nullptr; gigabytes += 4)
      high = CommitRegion(reinterpret_cast<void*>(gigabytes << 30));
    ASSERT_NE(high, nullptr) << "no region on a 4 GB boundary could be had";
    regions.push_back(std::move(high));
  }
  for (const UniqueRegion& region : regions) {
    ASSERT_NE(region, nullptr);
    const DWORD_PTR data = reinterpret_cast<DWORD_PTR>(region.get());
    ASSERT_EQ(data & 0xFFFF, 0u);
    BYTE* head = static_cast<BYTE*>(region.get());
    // Taken for a handle, the data would give a failed read and so no header: 0.
    const Bytes headed = HeadedCel(0x20, 8, 3, 2);
    std::memcpy(head, headed.data(), headed.size());
    EXPECT_EQ(host->isSupported("a.bmp", data), 1) << std::hex << data;
    const Bytes headerless = HeaderlessCel(5, 7);
    std::memset(head, 0, 2048);
    std::memcpy(head, headerless.data(), headerless.size());
    EXPECT_EQ(host->isSupported("a.cel", data), 1) << std::hex << data;
    EXPECT_EQ(host->isSupported("a.bmp", data), 0) << std::hex << data;
  }
}

// Lengths whose low 32 bits alone would say something else: 4 GB (no bytes,
// if cut) and -4 GB plus the data's size (all of it, if cut).
TEST_F(PointerWidth, LengthsKeepTheirBitsAbove32) {
  if (!kBuild64) GTEST_SKIP() << "a 32-bit LONG_PTR has no bits above 32";
  // Made from 64-bit arithmetic: the 32-bit build compiles this test too.
  const auto fourGigabytes = static_cast<LONG_PTR>(std::int64_t{1} << 32);
  const Bytes cel = HeadedCel(0x20, 8, 3, 2, Bytes{1, 2, 3, 4, 5, 6});
  const LONG_PTR size = static_cast<LONG_PTR>(cel.size());
  const LPCSTR data = reinterpret_cast<LPCSTR>(cel.data());

  PictureInfo info = {};
  ASSERT_EQ(host->getPictureInfo(data, fourGigabytes, kInputMemory, &info), 0);
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.colorDepth, 8);
  ASSERT_EQ(host->getPictureInfo(data, -fourGigabytes + size, kInputMemory, &info), 0);
  EXPECT_EQ(info.width, 0);
  EXPECT_EQ(info.colorDepth, 4);

  // GetPicture reads no further than the header's rows, which are all there.
  const Bitmap whole = Decode(cel, size);
  ASSERT_EQ(whole.code, 0);
  const Bitmap past = Decode(cel, fourGigabytes);
  EXPECT_EQ(past.code, whole.code);
  EXPECT_EQ(past.info, whole.info);
  EXPECT_EQ(past.pixels, whole.pixels);

  const Bitmap none = Decode(cel, 0);
  const Bitmap negative = Decode(cel, -fourGigabytes + size);
  EXPECT_EQ(negative.code, none.code);
  EXPECT_EQ(negative.info, none.info);
  EXPECT_EQ(negative.pixels, none.pixels);
  EXPECT_NE(negative.pixels, whole.pixels);
}

}  // namespace
