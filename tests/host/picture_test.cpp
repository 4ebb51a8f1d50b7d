// GetPicture called through the loaded tamsa.spi as a viewer calls it, with
// the display settings placed in the real registry key (and put back after).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/decoded.h"
#include "host/plugin_host.h"
#include "support/call_ledger.h"
#include "support/guarded_page.h"
#include "support/settings_registry.h"
#include "support/test_files.h"

namespace {

int progressCalls = 0;
int CALLBACK CountProgress(int, int, LONG_PTR) {
  ++progressCalls;
  return 0;
}

class Picture : public PluginSuite {
 protected:
  static Decoded Call(LPCSTR source, LONG_PTR length, UINT flags) {
    // Not null on entry, so that a result that leaves them alone shows.
    HLOCAL info = reinterpret_cast<HLOCAL>(static_cast<ULONG_PTR>(0x10));
    HLOCAL pixels = info;
    Decoded d;
    const int before = progressCalls;
    d.code = host->getPicture(source, length, flags, &info, &pixels, CountProgress, 0);
    EXPECT_EQ(progressCalls, before) << "the progress callback is never called";
    d.infoNull = info == nullptr;
    d.pixelsNull = pixels == nullptr;
    if (d.code != 0) return d;
    EXPECT_FALSE(d.infoNull);
    EXPECT_FALSE(d.pixelsNull);
    if (d.infoNull || d.pixelsNull) return d;
    d.info = TakeBlock(info, &d.infoSize, &d.movable, &d.unlocked);
    d.pixels = TakeBlock(pixels, &d.pixelSize, &d.movable, &d.unlocked);
    return d;
  }
  // The host's data and its true length, unless another length is given.
  static Decoded FromMemory(const Bytes& cel, LONG_PTR length = -2, UINT flags = 1) {
    return Call(reinterpret_cast<LPCSTR>(cel.data()),
                length == -2 ? static_cast<LONG_PTR>(cel.size()) : length, flags);
  }
  static Decoded FromFile(const std::string& path, UINT flags = 0) {
    return Call(path.c_str(), 0, flags);
  }
  // The same cel through a file and from memory: both must agree.
  Decoded Both(const Bytes& cel) {
    const Decoded memory = FromMemory(cel);
    const Decoded file = FromFile(folder.Write("both.cel", cel));
    EXPECT_EQ(file.code, memory.code);
    EXPECT_EQ(file.infoSize, memory.infoSize);
    if (file.code == 0 && memory.code == 0) {
      EXPECT_EQ(file.Header(), memory.Header());
      EXPECT_EQ(file.pixels, memory.pixels);
    }
    return memory;
  }

  static void ExpectFailed(const Decoded& d, int code) {
    EXPECT_EQ(d.code, code);
    EXPECT_TRUE(d.infoNull);
    EXPECT_TRUE(d.pixelsNull);
  }

  SettingsKeyGuard settings;
  TempFolder folder;
};

Bytes Pixels32(int count, std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t a) {
  Bytes bytes;
  for (int i = 0; i < count; ++i) bytes.insert(bytes.end(), {b, g, r, a});
  return bytes;
}

TEST_F(Picture, HeaderlessThreeByTwo) {
  const Decoded d = Both(HeaderlessCel(3, 2, {0x12, 0x3F, 0x45, 0x6A}));
  ASSERT_EQ(d.code, 0);
  EXPECT_EQ(d.infoSize, 104u);
  EXPECT_EQ(d.pixelSize, 8u);
  EXPECT_TRUE(d.movable);
  EXPECT_TRUE(d.unlocked);
  Bytes header(40, 0);
  header[0] = 40;
  header[4] = 3;
  header[8] = 2;
  header[12] = 1;
  header[14] = 4;
  header[20] = 8;  // biSizeImage
  EXPECT_EQ(d.Header(), header);
  // The first source row is the block's second; the odd nibble travels along.
  EXPECT_EQ(d.pixels, (Bytes{0x45, 0x6A, 0, 0, 0x12, 0x3F, 0, 0}));
}

TEST_F(Picture, PalettedRowsAndStrides) {
  const Bytes rows = Pattern(10, 1);
  const Decoded eight = Both(HeadedCel(0x20, 8, 5, 2, rows));
  ASSERT_EQ(eight.code, 0);
  EXPECT_EQ(eight.infoSize, 1064u);
  EXPECT_EQ(eight.pixelSize, 16u);
  EXPECT_EQ(eight.Depth(), 8u);
  EXPECT_EQ(eight.Row(0), (Bytes{rows[0], rows[1], rows[2], rows[3], rows[4], 0, 0, 0}));
  EXPECT_EQ(eight.Row(1), (Bytes{rows[5], rows[6], rows[7], rows[8], rows[9], 0, 0, 0}));

  // 9 pixels at 4 bits: 5 bytes copied, stride 8; the mark is not consulted.
  const Decoded four = Both(HeadedCel(0x21, 4, 9, 1, {0xAB, 0xCD, 0xEF, 0x01, 0x2F}));
  ASSERT_EQ(four.code, 0);
  EXPECT_EQ(four.infoSize, 104u);
  EXPECT_EQ(four.pixels, (Bytes{0xAB, 0xCD, 0xEF, 0x01, 0x2F, 0, 0, 0}));
}

TEST_F(Picture, DepthsWithoutConversionAndDepthsNotServed) {
  const Decoded twelve = Both(HeadedCel(0x20, 12, 5, 3, Pattern(64, 1)));
  ASSERT_EQ(twelve.code, 0);
  EXPECT_EQ(twelve.Depth(), 4u);
  EXPECT_EQ(twelve.infoSize, 104u);
  EXPECT_EQ(twelve.pixels, Bytes(12, 0));

  const Decoded twentyFour = Both(HeadedCel(0x21, 24, 5, 3, Pattern(64, 1)));
  ASSERT_EQ(twentyFour.code, 0);
  EXPECT_EQ(twentyFour.Depth(), 24u);
  EXPECT_EQ(twentyFour.infoSize, 40u);
  EXPECT_EQ(twentyFour.pixels, Bytes(48, 0));

  for (std::uint8_t bits : {0, 1, 2, 16, 31, 33, 255}) {
    const Bytes cel = HeadedCel(0x20, bits, 2, 2, Pattern(16, 1));
    ExpectFailed(FromMemory(cel), -1);
    ExpectFailed(FromFile(folder.Write("bad.cel", cel)), -1);
  }
}

// biSizeImage is the pixel block's size, stride times height, for every row
// of the depth table: hosts copy exactly that many bytes.
TEST_F(Picture, BitmapSizeIsThePixelBlocksSize) {
  const Bytes cels[] = {HeaderlessCel(5, 3, Pattern(9, 1)),
                        HeadedCel(0x20, 4, 5, 3, Pattern(9, 1)),
                        HeadedCel(0x20, 8, 5, 3, Pattern(15, 1)),
                        HeadedCel(0x20, 12, 5, 3),
                        HeadedCel(0x21, 24, 5, 3),
                        HeadedCel(0x21, 32, 5, 3, Pattern(60, 1)),
                        HeadedCel(0x20, 8, 0, 3)};
  for (const Bytes& cel : cels) {
    const Decoded d = Both(cel);
    ASSERT_EQ(d.code, 0);
    const std::uint32_t sizeImage = d.info[20] | (d.info[21] << 8) | (d.info[22] << 16) |
                                    (static_cast<std::uint32_t>(d.info[23]) << 24);
    EXPECT_EQ(sizeImage, d.pixelSize) << "depth " << d.Depth();
    EXPECT_EQ(sizeImage, d.Stride() * d.Height()) << "depth " << d.Depth();
  }
}

// One open of the settings key per picture, every value read through it; what
// is read depends on AlphaType as before. (The key is written just before, so
// its values are read at every picture; see the next test.)
TEST_F(Picture, TheSettingsKeyIsOpenedOncePerPicture) {
  std::string missing;
  ASSERT_TRUE(WatchPluginCalls(host->module, &missing)) << missing;
  const Bytes cel = HeadedCel(0x20, 8, 2, 1, {1, 2});
  struct Case {
    bool stored;
    DWORD alphaType;
    int queriesEach;
  };
  for (const Case& c : {Case{false, 0, 1}, Case{true, 0, 5}, Case{true, 1, 1}}) {
    SettingsKeyGuard::Remove(kAlphaTypeName);
    SettingsKeyGuard::Remove(kColorLightName);
    SettingsKeyGuard::Remove(kColorDarkName);
    SettingsKeyGuard::Remove(kGridSizeXName);
    SettingsKeyGuard::Remove(kGridSizeYName);
    ASSERT_TRUE(SettingsKeyGuard::SetDword("Written", 1));
    SettingsKeyGuard::Remove("Written");
    if (c.stored) {
      ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, c.alphaType));
      ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorLightName, 1));
      ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorDarkName, 2));
      ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 3));
      ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeYName, 4));
    }
    ResetLedger();
    for (int i = 0; i < 7; ++i) ASSERT_EQ(FromMemory(cel).code, 0);
    const CallLedger ledger = TakeLedger();
    EXPECT_EQ(ledger.keysOpened, 7) << c.stored << c.alphaType;
    EXPECT_EQ(ledger.keysLive, 0);
    EXPECT_EQ(ledger.valueQueries, 7 * c.queriesEach) << c.stored << c.alphaType;
  }
}

// Settings unwritten since the last picture (and long enough ago to tell) are
// not read again; a change saved to the key shows in the very next picture.
TEST_F(Picture, SettingsAreReadAgainOnlyWhenTheKeyWasWritten) {
  std::string missing;
  ASSERT_TRUE(WatchPluginCalls(host->module, &missing)) << missing;
  const Bytes cel = HeadedCel(0x21, 32, 1, 1, {0, 0, 0, 0});  // clear: the light colour shows
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorLightName, 0x112233));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorDarkName, 0x445566));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 4));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeYName, 4));
  Sleep(2500);  // as the dialog leaves them, some time before the pictures
  EXPECT_EQ(FromMemory(cel).ColourAt(0, 0), 0x112233u);
  ResetLedger();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(FromMemory(cel).ColourAt(0, 0), 0x112233u);
  CallLedger ledger = TakeLedger();
  EXPECT_EQ(ledger.keysOpened, 3);
  EXPECT_EQ(ledger.valueQueries, 0);

  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorLightName, 0x0000FF));
  ResetLedger();
  EXPECT_EQ(FromMemory(cel).ColourAt(0, 0), 0x0000FFu);
  EXPECT_EQ(TakeLedger().valueQueries, 5);
  SettingsKeyGuard::Remove(kColorLightName);
  EXPECT_EQ(FromMemory(cel).ColourAt(0, 0), 0xFFFFFFu);
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 1));
  EXPECT_EQ(FromMemory(cel).ColourAt(0, 0), 0xFFFFFFu);
  ASSERT_TRUE(SettingsKeyGuard::DeleteKey());
  ResetLedger();
  EXPECT_EQ(FromMemory(cel).ColourAt(0, 0), 0xFFFFFFu);
  EXPECT_EQ(TakeLedger().valueQueries, 1);  // the new, empty key is read
  EXPECT_TRUE(SettingsKeyGuard::KeyExists());
}

TEST_F(Picture, EmptyPictures) {
  for (std::uint8_t bits : {4, 8, 12, 24, 32}) {
    for (const Bytes& cel : {HeadedCel(0x20, bits, 0, 7), HeadedCel(0x20, bits, 7, 0)}) {
      const Decoded d = Both(cel);
      ASSERT_EQ(d.code, 0) << int{bits};
      EXPECT_EQ(d.infoSize, bits == 8 ? 1064u : bits >= 24 ? 40u : 104u);
      EXPECT_EQ(d.info[0], 40);
      EXPECT_EQ(d.pixelSize, 0u);
    }
  }
  const Decoded headerless = Both(HeaderlessCel(0, 0));
  EXPECT_EQ(headerless.code, 0);
  EXPECT_EQ(headerless.pixelSize, 0u);
}

TEST_F(Picture, InputModesAndFlags) {
  const Bytes cel = HeadedCel(0x20, 8, 2, 1, {5, 6});
  for (UINT flags : {2u, 3u, 4u, 5u, 6u, 7u, 0xFFu}) {
    ExpectFailed(FromMemory(cel, -2, flags), -1);
  }
  // Bits above the low three are ignored.
  EXPECT_EQ(FromMemory(cel, -2, 0x101).pixels, (Bytes{5, 6, 0, 0}));
  EXPECT_EQ(FromFile(folder.Write("flags.cel", cel), 0xFFFFFFF8u).pixels, (Bytes{5, 6, 0, 0}));
  ExpectFailed(FromFile(folder.Path() + "\\missing.cel"), 6);
  ExpectFailed(FromFile(folder.Path()), 6);
}

TEST_F(Picture, HostDataIsNeitherChangedNorFreedAndLengthBoundsIt) {
  Bytes cel = HeadedCel(0x21, 32, 3, 2, Pixels32(6, 0x10, 0x20, 0x30, 0x80));
  cel.resize(cel.size() + 16, 0xEE);  // bytes after the rows
  const Bytes original = cel;
  const Decoded whole = FromMemory(cel);
  ASSERT_EQ(whole.code, 0);
  EXPECT_EQ(whole.Width(), 3u);
  for (LONG_PTR length : {LONG_PTR{56}, LONG_PTR{0x7FFFFFFF}}) {
    const Decoded d = FromMemory(cel, length);
    ASSERT_EQ(d.code, 0) << length;
    EXPECT_EQ(d.pixels, whole.pixels) << length;
  }
  // No length, no bytes: the empty headerless cel, 0 x 0 at 4 bits.
  const Decoded empty = FromMemory(HeaderlessCel(0, 0));
  ASSERT_EQ(empty.code, 0);
  for (LONG_PTR length : {LONG_PTR{0}, LONG_PTR{-1}, LONG_PTR{-5}}) {
    const Decoded d = FromMemory(cel, length);
    ASSERT_EQ(d.code, 0) << length;
    EXPECT_EQ(d.info, empty.info) << length;
    EXPECT_EQ(d.pixelSize, 0u) << length;
  }
  EXPECT_EQ(cel, original);
}

TEST_F(Picture, AlphaOverTheDefaultChecker) {
  // Width 1: stride 4, one white byte after each pixel.
  const Decoded narrow = Both(HeadedCel(0x21, 32, 1, 2, {1, 2, 3, 255, 4, 5, 6, 255}));
  ASSERT_EQ(narrow.code, 0);
  EXPECT_EQ(narrow.infoSize, 40u);
  EXPECT_EQ(narrow.pixels, (Bytes{4, 5, 6, 0xFF, 1, 2, 3, 0xFF}));

  const Decoded d = Both(HeadedCel(0x21, 32, 11, 11, Pixels32(121, 10, 20, 30, 0)));
  ASSERT_EQ(d.code, 0);
  EXPECT_EQ(d.ColourAt(0, 0), 0xFFFFFFu);
  EXPECT_EQ(d.ColourAt(10, 0), 0xC0C0C0u);
  EXPECT_EQ(d.ColourAt(10, 10), 0xFFFFFFu);
  EXPECT_EQ(d.ColourAt(0, 10), 0xC0C0C0u);
  EXPECT_EQ(d.Row(4)[33], 0xFF);
  EXPECT_EQ(d.Row(4)[35], 0xFF);

  // Red 200 at alpha 128 over grey 192: 95 + 100; opaque and clear are exact.
  Bytes rows = Pixels32(11, 0, 0, 0, 0);
  std::memcpy(&rows[40], Bytes{0, 0, 200, 128}.data(), 4);
  std::memcpy(&rows[0], Bytes{7, 8, 9, 255}.data(), 4);
  std::memcpy(&rows[4], Bytes{7, 8, 9, 0}.data(), 4);
  const Decoded blend = Both(HeadedCel(0x21, 32, 11, 1, rows));
  ASSERT_EQ(blend.code, 0);
  EXPECT_EQ(blend.ColourAt(10, 0), 195u | (95u << 8) | (95u << 16));
  EXPECT_EQ(blend.ColourAt(0, 0), 0x070809u);
  EXPECT_EQ(blend.ColourAt(1, 0), 0xFFFFFFu);
}

TEST_F(Picture, StoredSettingsShapeTheChecker) {
  const Bytes cel = HeadedCel(0x21, 32, 3, 3, Pixels32(9, 1, 2, 3, 0));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorLightName, 0xAA112233));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorDarkName, 0xFF445566));  // high byte ignored
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 0));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeYName, 0xFFFFFFFF));
  Decoded d = Both(cel);
  ASSERT_EQ(d.code, 0);
  for (std::uint32_t y = 0; y < 3; ++y) {
    for (std::uint32_t x = 0; x < 3; ++x) {
      EXPECT_EQ(d.ColourAt(x, y), (x + y) % 2 ? 0x445566u : 0x112233u) << x << "," << y;
    }
  }

  // Read afresh on every call: a change applies to the next picture.
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 2));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeYName, 5));
  d = FromMemory(cel);
  EXPECT_EQ(d.ColourAt(1, 2), 0x112233u);
  EXPECT_EQ(d.ColourAt(2, 2), 0x445566u);

  // A 2-byte string fills the low bytes; 8 bytes of raw data are refused.
  const BYTE twoBytes[] = {0x33, 0x22};
  ASSERT_TRUE(SettingsKeyGuard::Set(kColorLightName, REG_SZ, twoBytes, sizeof twoBytes));
  const BYTE eightBytes[] = {1, 1, 1, 1, 1, 1, 1, 1};
  ASSERT_TRUE(SettingsKeyGuard::Set(kColorDarkName, REG_BINARY, eightBytes, sizeof eightBytes));
  d = FromMemory(cel);
  EXPECT_EQ(d.ColourAt(0, 0), 0x002233u);
  EXPECT_EQ(d.ColourAt(2, 0), 0xC0C0C0u);
}

TEST_F(Picture, UnreadableAlphaTypeMeansAllDefaults) {
  const Bytes cel = HeadedCel(0x21, 32, 11, 1, Pixels32(11, 1, 2, 3, 0));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorLightName, 0x0000FF));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 1));
  for (bool eightByteAlphaType : {false, true}) {
    if (eightByteAlphaType) {
      const BYTE zeros[8] = {};
      ASSERT_TRUE(SettingsKeyGuard::Set(kAlphaTypeName, REG_BINARY, zeros, sizeof zeros));
    }
    const Decoded d = FromMemory(cel);
    ASSERT_EQ(d.code, 0);
    EXPECT_EQ(d.ColourAt(0, 0), 0xFFFFFFu);
    EXPECT_EQ(d.ColourAt(1, 0), 0xFFFFFFu);
    EXPECT_EQ(d.ColourAt(10, 0), 0xC0C0C0u);
  }
  // With no key at all, the call creates it and uses the defaults.
  ASSERT_TRUE(SettingsKeyGuard::DeleteKey());
  const Decoded d = FromMemory(cel);
  EXPECT_EQ(d.ColourAt(10, 0), 0xC0C0C0u);
  EXPECT_TRUE(SettingsKeyGuard::KeyExists());
}

TEST_F(Picture, NonZeroAlphaTypeDrawsColoursUnblended) {
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 2));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorLightName, 0x0000FF));  // plays no part
  const Decoded d =
      Both(HeadedCel(0x21, 32, 3, 1, {10, 20, 30, 0, 40, 50, 60, 1, 70, 80, 90, 128}));
  ASSERT_EQ(d.code, 0);
  EXPECT_EQ(d.pixels, (Bytes{0xFF, 0xFF, 0xFF, 40, 50, 60, 70, 80, 90, 0xFF, 0xFF, 0xFF}));
}

// A pixel block past 32 bits fails in every build; one of 4 GB less 64 KB
// fits in 32 bits but in no 32-bit process (a 64-bit one may well have it).
const Bytes kPastThirtyTwoBits = HeadedCel(0x21, 32, 65535, 65535);
const Bytes kTooLargeForTheProcess =
    sizeof(void*) == 4 ? HeadedCel(0x20, 8, 65535, 65535) : kPastThirtyTwoBits;

TEST_F(Picture, BlocksTooLargeGiveFourAndLeaveNothing) {
  for (const Bytes& cel : {kPastThirtyTwoBits, kTooLargeForTheProcess}) {
    ExpectFailed(FromMemory(cel, 32), 4);
    ExpectFailed(FromMemory(cel), 4);
    ExpectFailed(FromFile(folder.Write("huge.cel", cel)), 4);
  }
}

// Counts the process heap's busy entries, where local blocks live; 0 when the
// system cannot walk the heap.
long BusyHeapEntries() {
  HANDLE heap = GetProcessHeap();
  PROCESS_HEAP_ENTRY entry;
  entry.lpData = nullptr;
  long busy = 0;
  if (!HeapLock(heap)) return 0;
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) ++busy;
  }
  HeapUnlock(heap);
  return busy;
}

TEST_F(Picture, NoHandleOrBlockOutlivesACall) {
  const Bytes good = HeadedCel(0x21, 32, 4, 4, Pixels32(16, 1, 2, 3, 4));
  const std::string path = folder.Write("good.cel", good);
  const std::string paletted = folder.Write("eight.cel", HeadedCel(0x20, 8, 4, 4, Pattern(16, 1)));
  const std::string bad = folder.Write("bad.cel", HeadedCel(0x20, 16, 4, 4));
  const Bytes& huge = kTooLargeForTheProcess;
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));
  auto round = [&] {
    EXPECT_EQ(FromMemory(good).code, 0);
    EXPECT_EQ(FromFile(path).code, 0);
    EXPECT_EQ(FromFile(paletted).code, 0);
    EXPECT_EQ(FromFile(bad).code, -1);
    EXPECT_EQ(FromFile(folder.Path() + "\\missing.cel").code, 6);
    EXPECT_EQ(FromMemory(good, 0, 3).code, -1);
    EXPECT_EQ(FromMemory(huge).code, 4);
  };
  // The plug-in's registry calls are counted through its own imports, which
  // works where the system does not count a process's handles.
  std::string missing;
  ASSERT_TRUE(WatchPluginCalls(host->module, &missing)) << missing;
  round();  // anything the system keeps after a first use is in place now
  const long handles = OpenHandleCount();
  const long blocks = BusyHeapEntries();
  ResetLedger();
  for (int i = 0; i < 10; ++i) round();
  // One block left behind per call would show as 10 or more.
  if (blocks > 0) EXPECT_LE(BusyHeapEntries(), blocks + 2);
  const CallLedger ledger = TakeLedger();
  EXPECT_GE(ledger.keysOpened, 10);
  EXPECT_EQ(ledger.keysLive, 0);
  // A file the plug-in left open (shared for reading only) could not be deleted.
  EXPECT_TRUE(DeleteFileA(path.c_str())) << GetLastError();
  EXPECT_TRUE(DeleteFileA(paletted.c_str())) << GetLastError();
  if (handles >= 0) EXPECT_EQ(OpenHandleCount(), handles);
}

// The data with zeros added up to the end of the rows that its own header
// calls for, so that a call without a length reads only bytes that are there.
// A cut header can call for far more than the whole cel: "KiS" reads as a
// headerless cel 26955 pixels wide and 83 high.
Bytes PaddedToWhatItsHeaderCallsFor(const Bytes& data) {
  Bytes padded = data;
  if (padded.size() < 32) padded.resize(32, 0);
  const bool headed = std::memcmp(padded.data(), "KiSS", 4) == 0;
  const std::size_t at = headed ? 8 : 0;
  const std::size_t width = padded[at] | (padded[at + 1] << 8);
  const std::size_t height = padded[at + 2] | (padded[at + 3] << 8);
  const unsigned bits = headed ? padded[5] : 4;
  const std::size_t rowBytes = bits == 4    ? (width + 1) / 2
                               : bits == 8  ? width
                               : bits == 32 ? 4 * width
                                            : 0;
  const std::size_t end = (headed ? 32 : 4) + rowBytes * height;
  if (padded.size() < end) padded.resize(end, 0);
  return padded;
}

// Every depth, cut short in its header and in its rows: the picture equals
// the cel with the missing bytes taken as zero. In memory the data ends at
// the end of a committed page and the next page cannot be read, so reading
// past the host's length faults.
TEST_F(Picture, ShortDataNeverReadPastItsEnd) {
  GuardedPage guarded;
  ASSERT_TRUE(guarded.Valid());

  Bytes alpha;
  for (int i = 0; i < 9; ++i) {
    alpha.insert(alpha.end(),
                 {static_cast<std::uint8_t>(i), 0x40, 0x80, static_cast<std::uint8_t>(i * 31)});
  }
  const Bytes cels[] = {
      HeaderlessCel(5, 3, Pattern(9, 1)),       HeadedCel(0x20, 4, 5, 3, Pattern(9, 1)),
      HeadedCel(0x20, 8, 5, 3, Pattern(15, 1)), HeadedCel(0x20, 12, 5, 3, Pattern(9, 1)),
      HeadedCel(0x20, 24, 5, 3, Pattern(9, 1)), HeadedCel(0x21, 32, 3, 3, alpha),
  };
  for (const Bytes& cel : cels) {
    // The whole cel at the very end of the page, with a length well past it:
    // only what the header calls for is read.
    const Decoded whole =
        Call(reinterpret_cast<LPCSTR>(guarded.Place(cel.data(), cel.size())), 0x7FFFFFFF, 1);
    EXPECT_EQ(whole.pixels, FromMemory(cel).pixels);

    for (std::size_t cut = 0; cut < cel.size(); ++cut) {
      const Bytes prefix(cel.begin(), cel.begin() + cut);
      const Bytes padded = PaddedToWhatItsHeaderCallsFor(prefix);
      const Decoded expected = FromMemory(padded);
      const std::string label = "depth " + std::to_string(cel[5]) + " cut " + std::to_string(cut);

      const Decoded file = FromFile(folder.Write("short.cel", prefix));
      ASSERT_EQ(file.code, expected.code) << label;
      if (expected.code == 0) {
        EXPECT_EQ(file.Header(), expected.Header()) << label;
        EXPECT_EQ(file.pixels, expected.pixels) << label;
      }

      const BYTE* data = guarded.Place(prefix.data(), cut);
      const Decoded memory = Call(reinterpret_cast<LPCSTR>(data), static_cast<LONG_PTR>(cut), 1);
      ASSERT_EQ(memory.code, expected.code) << label;
      EXPECT_EQ(memory.info, expected.info) << label;
      EXPECT_EQ(memory.pixels, expected.pixels) << label;
    }
  }

  // Data without bytes, at the very end of the page: nothing is read from
  // the pointer, and the picture is the empty headerless cel.
  const BYTE noBytes = 0;
  const Decoded empty = FromMemory(HeaderlessCel(0, 0));
  for (LONG_PTR length : {LONG_PTR{0}, LONG_PTR{-1}}) {
    const Decoded d = Call(reinterpret_cast<LPCSTR>(guarded.Place(&noBytes, 0)), length, 1);
    ASSERT_EQ(d.code, 0) << length;
    EXPECT_EQ(d.info, empty.info) << length;
    EXPECT_EQ(d.pixelSize, 0u) << length;
  }

  // Rows that came from the data are exact, the rest zero.
  const Bytes rows = Pattern(15, 1);
  const Bytes cel = HeadedCel(0x20, 8, 5, 3, rows);
  const Decoded d = FromMemory(cel, 32 + 7);
  ASSERT_EQ(d.code, 0);
  EXPECT_EQ(d.Row(0), (Bytes{rows[0], rows[1], rows[2], rows[3], rows[4], 0, 0, 0}));
  EXPECT_EQ(d.Row(1), (Bytes{rows[5], rows[6], 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(d.Row(2), Bytes(8, 0));
}

// Calls by name reuse one read block: a long cel leaves its bytes in it, and
// a shorter cel read next must see only its own bytes, the rows its file
// lacks zero, whether its header is whole or cut.
TEST_F(Picture, AShortCelAfterALongOneSeesNoneOfTheLongOnesBytes) {
  const Bytes longCel = HeadedCel(0x20, 8, 400, 400, Pattern(400 * 400, 7));  // past 120 KB
  const Bytes sameHeader(longCel.begin(), longCel.begin() + 32 + 400 * 150);
  const Bytes cutHeader(longCel.begin(), longCel.begin() + 20);
  const std::string longPath = folder.Write("long.cel", longCel);
  const Decoded longPicture = FromFile(longPath);
  ASSERT_EQ(longPicture.code, 0);
  for (const Bytes* shortCel : {&sameHeader, &cutHeader}) {
    SCOPED_TRACE(shortCel->size());
    const Decoded expected = FromMemory(PaddedToWhatItsHeaderCallsFor(*shortCel));
    ASSERT_EQ(expected.code, 0);
    const std::string shortPath = folder.Write("short.cel", *shortCel);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(FromFile(longPath).pixels, longPicture.pixels);
      const Decoded file = FromFile(shortPath);
      ASSERT_EQ(file.code, 0);
      EXPECT_EQ(file.Header(), expected.Header());
      EXPECT_EQ(file.pixels, expected.pixels);
    }
  }
}

}  // namespace
