// Identification, quick test, picture information and preview, called
// through the loaded tamsa.spi as a viewer calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/plugin_host.h"
#include "support/guarded_page.h"
#include "support/test_files.h"

namespace {

class Probe : public PluginSuite {
 protected:
  // IsSupported with a zero-padded 2 KB buffer of the file's first bytes.
  static int SupportedFromBuffer(const char* name, const Bytes& bytes) {
    char buffer[2048] = {};
    std::memcpy(buffer, bytes.data(), bytes.size() < sizeof buffer ? bytes.size() : sizeof buffer);
    return host->isSupported(name, reinterpret_cast<DWORD_PTR>(buffer));
  }
};

TEST_F(Probe, PluginInfoStrings) {
  char buffer[256];
  EXPECT_EQ(host->getPluginInfo(0, buffer, sizeof buffer), 4);
  EXPECT_STREQ(buffer, "00IN");
  const int length = host->getPluginInfo(1, buffer, sizeof buffer);
  EXPECT_EQ(length, static_cast<int>(std::strlen(buffer)));
  EXPECT_EQ(std::string(buffer).rfind("Quillet Ver.0.03a", 0), 0u) << buffer;
  EXPECT_EQ(host->getPluginInfo(2, buffer, sizeof buffer), 5);
  EXPECT_STREQ(buffer, "*.cel");
  EXPECT_EQ(host->getPluginInfo(3, buffer, sizeof buffer), 13);
  EXPECT_STREQ(buffer, "Kiss Cel file");
}

TEST_F(Probe, PluginInfoTruncatesAndRejectsBadIndices) {
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(host->getPluginInfo(2, buffer, 3), 2);
  EXPECT_STREQ(buffer, "*.");
  EXPECT_EQ(buffer[3], 'x');
  EXPECT_EQ(host->getPluginInfo(0, buffer, 1), 0);
  EXPECT_EQ(buffer[0], '\0');

  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(host->getPluginInfo(4, buffer, sizeof buffer), 0);
  EXPECT_EQ(host->getPluginInfo(-1, buffer, sizeof buffer), 0);
  EXPECT_EQ(host->getPluginInfo(0, buffer, 0), 0);
  EXPECT_EQ(host->getPluginInfo(0, buffer, -5), 0);
  for (char c : buffer) EXPECT_EQ(c, 'x');
}

TEST_F(Probe, IsSupportedFromBuffer) {
  EXPECT_EQ(SupportedFromBuffer("a.bmp", HeadedCel(0x21, 32, 1, 1)), 1);
  EXPECT_EQ(SupportedFromBuffer("a.bmp", HeadedCel(0x20, 4, 3, 2)), 1);
  EXPECT_EQ(SupportedFromBuffer("a.bmp", HeadedCel(0x20, 8, 3, 2)), 1);
  EXPECT_EQ(SupportedFromBuffer("a.bmp", HeadedCel(0x20, 32, 1, 1)), 0);
  EXPECT_EQ(SupportedFromBuffer("a.cel", HeadedCel(0x20, 32, 1, 1)), 1);
  EXPECT_EQ(SupportedFromBuffer("a.bmp", HeadedCel(0x21, 8, 1, 1)), 0);
  EXPECT_EQ(SupportedFromBuffer("dir\\A.cEl", Bytes{0x10, 0x00, 0x05, 0x00}), 1);
  EXPECT_EQ(SupportedFromBuffer("dir\\A.bmp", Bytes{0x10, 0x00, 0x05, 0x00}), 0);
  EXPECT_EQ(SupportedFromBuffer("cel", Bytes{0x10, 0x00, 0x05, 0x00}), 0);
  EXPECT_EQ(SupportedFromBuffer("a.cel", Bytes{0x10, 0x00, 0x00, 0x00}), 0);
}

TEST_F(Probe, IsSupportedFromFileHandleLeavesItOpenAndInPlace) {
  TempFolder folder;
  Bytes bytes = HeadedCel(0x20, 8, 2, 2, Bytes(4, 7));
  bytes.resize(100, 0x55);
  const std::string path = folder.Write("handle.bmp", bytes);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(host->isSupported(path.c_str(), reinterpret_cast<ULONG_PTR>(file)), 1);
  // Still open, and moved by at most the 32 bytes that were read.
  const DWORD position = SetFilePointer(file, 0, nullptr, FILE_CURRENT);
  EXPECT_LE(position, 32u);
  DWORD size = GetFileSize(file, nullptr);
  EXPECT_EQ(size, 100u);

  // From a position other than the start: the header is not there.
  SetFilePointer(file, 40, nullptr, FILE_BEGIN);
  EXPECT_EQ(host->isSupported(path.c_str(), reinterpret_cast<ULONG_PTR>(file)), 0);
  EXPECT_LE(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 72u);
  EXPECT_TRUE(CloseHandle(file));

  // A short headerless file through its handle: unread bytes are zero.
  const std::string shortPath = folder.Write("short.cel", Bytes{0x10, 0x00});
  file = CreateFileA(shortPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(host->isSupported(shortPath.c_str(), reinterpret_cast<ULONG_PTR>(file)), 0);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(Probe, PictureInfoFromFiles) {
  TempFolder folder;
  PictureInfo info;
  std::memset(&info, 0xCC, sizeof info);
  const std::string alpha = folder.Write("alpha.cel", HeadedCel(0x21, 32, 106, 12));
  ASSERT_EQ(host->getPictureInfo(alpha.c_str(), 0, 0, &info), 0);
  EXPECT_EQ(info.left, 0);
  EXPECT_EQ(info.top, 0);
  EXPECT_EQ(info.width, 106);
  EXPECT_EQ(info.height, 12);
  EXPECT_EQ(info.xDensity, 0);
  EXPECT_EQ(info.yDensity, 0);
  EXPECT_EQ(info.colorDepth, 32);
  EXPECT_EQ(info.info, nullptr);

  const std::string headerless = folder.Write("plain.cel", HeaderlessCel(0xFFFF, 0x8001));
  ASSERT_EQ(host->getPictureInfo(headerless.c_str(), 0, 8, &info), 0);
  EXPECT_EQ(info.width, 65535);
  EXPECT_EQ(info.height, 32769);
  EXPECT_EQ(info.colorDepth, 4);

  // A short file is not an error: the missing bytes read as zero.
  const std::string tiny = folder.Write("tiny.cel", Bytes{'K', 'i', 'S', 'S', 0x20, 8, 0, 0, 9});
  ASSERT_EQ(host->getPictureInfo(tiny.c_str(), 0, 0xFFFFFFF8u, &info), 0);
  EXPECT_EQ(info.colorDepth, 8);
  EXPECT_EQ(info.width, 9);
  EXPECT_EQ(info.height, 0);

  EXPECT_EQ(host->getPictureInfo((folder.Path() + "\\missing.cel").c_str(), 0, 0, &info), 6);
}

TEST_F(Probe, PictureInfoModesAndFlags) {
  const Bytes cel = HeadedCel(0x20, 8, 640, 480);
  PictureInfo info;
  ASSERT_EQ(host->getPictureInfo(reinterpret_cast<LPCSTR>(cel.data()), cel.size(), 1, &info), 0);
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_EQ(info.colorDepth, 8);
  ASSERT_EQ(host->getPictureInfo(reinterpret_cast<LPCSTR>(cel.data()), 32, 0x101, &info), 0);
  EXPECT_EQ(info.width, 640);

  for (UINT flags : {2u, 3u, 4u, 7u, 0xFFu}) {
    std::memset(&info, 0xCC, sizeof info);
    EXPECT_EQ(host->getPictureInfo(reinterpret_cast<LPCSTR>(cel.data()), cel.size(), flags, &info),
              -1);
    EXPECT_EQ(info.width, static_cast<LONG>(0xCCCCCCCC)) << "record touched for flags " << flags;
  }
}

// The host's data ends at the end of a committed page; the next page cannot be
// read, so any read past the length the host gave faults.
TEST_F(Probe, PictureInfoInMemoryReadsNoFurtherThanTheLength) {
  GuardedPage guarded;
  ASSERT_TRUE(guarded.Valid());

  const Bytes cel = HeadedCel(0x20, 8, 0x1234, 0x0056);
  for (LONG_PTR length : {12, 11, 9, 4, 1}) {
    const BYTE* data = guarded.Place(cel.data(), length);
    PictureInfo info;
    ASSERT_EQ(host->getPictureInfo(reinterpret_cast<LPCSTR>(data), length, 1, &info), 0);
    // With the magic but not the depth byte, the depth reads as zero.
    EXPECT_EQ(info.colorDepth, length >= 6 ? 8 : length >= 4 ? 0 : 4) << length;
    const bool headed = length >= 4;
    EXPECT_EQ(info.width, length >= 10 ? 0x1234 : length >= 9 ? 0x34 : headed ? 0 : 'K') << length;
    EXPECT_EQ(info.height, length >= 12 ? 0x56 : length >= 11 ? 0x56 : 0) << length;
  }
  // A length of 0 or less: the data has no bytes and nothing is read.
  for (LONG_PTR length : {0, -1}) {
    const BYTE* data = guarded.Place(cel.data(), 0);
    PictureInfo info;
    ASSERT_EQ(host->getPictureInfo(reinterpret_cast<LPCSTR>(data), length, 1, &info), 0);
    EXPECT_EQ(info.width, 0) << length;
    EXPECT_EQ(info.height, 0) << length;
    EXPECT_EQ(info.colorDepth, 4) << length;
  }
}

TEST_F(Probe, PreviewIsDeclined) {
  HLOCAL info = nullptr;
  HLOCAL pixels = nullptr;
  const Bytes cel = HeadedCel(0x20, 8, 1, 1, Bytes{0});
  EXPECT_EQ(
      host->getPreview(reinterpret_cast<LPCSTR>(cel.data()), 33, 1, &info, &pixels, nullptr, 0),
      -1);
  EXPECT_EQ(host->getPreview(nullptr, 0, 0, nullptr, nullptr, nullptr, 0), -1);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(pixels, nullptr);
}

}  // namespace
