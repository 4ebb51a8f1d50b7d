// In file mode the length argument is the offset of the picture within the
// file, as hosts pass it for a picture behind a MacBinary header or inside
// an archive. 0 reads from the first byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/decoded.h"
#include "host/plugin_host.h"
#include "support/test_files.h"

namespace {

Bytes Prefix(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(0xA5 ^ (i * 3));
  return bytes;
}

Bytes Behind(const Bytes& prefix, const Bytes& cel) {
  Bytes bytes = prefix;
  bytes.insert(bytes.end(), cel.begin(), cel.end());
  return bytes;
}

class Offset : public PluginSuite {
 protected:
  static Decoded Picture(const std::string& path, LONG_PTR offset, bool wide) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code =
        wide ? host->getPictureW(Widened(path).c_str(), offset, 0, &info, &pixels, nullptr, 0)
             : host->getPicture(path.c_str(), offset, 0, &info, &pixels, nullptr, 0);
    return TakeDecoded(code, info, pixels);
  }
  static int Info(const std::string& path, LONG_PTR offset, bool wide, PictureInfo* info) {
    std::memset(info, 0, sizeof *info);
    return wide ? host->getPictureInfoW(Widened(path).c_str(), offset, 0, info)
                : host->getPictureInfo(path.c_str(), offset, 0, info);
  }
};

TEST_F(Offset, APictureBehindOtherBytesIsReadFromItsOffset) {
  // The same set twice: plain files, and every cel behind 128 other bytes.
  TempFolder plain;
  TempFolder prefixed;
  const Bytes prefix = Prefix(128);
  const Bytes palette = PaletteFile(12, 16, 1, Bytes(32, 0x5A));
  const std::string cnf = "%p.kcf\r\n#1 four.cel *0\r\n#2 eight.cel *0\r\n";
  const std::vector<std::pair<std::string, Bytes>> cels = {
      {"four.cel", HeadedCel(0x20, 4, 5, 2, Bytes(6, 0x12))},
      {"eight.cel", HeadedCel(0x20, 8, 3, 3, Bytes(9, 0x34))},
      {"alpha.cel", HeadedCel(0x21, 32, 2, 2, Bytes(16, 0x80))},
      {"old.cel", HeaderlessCel(3, 1, Bytes{0x56, 0x78})},
  };
  for (const TempFolder* set : {&plain, &prefixed}) {
    set->Write("p.kcf", palette);
    set->Write("set.cnf", cnf);
  }
  for (bool wide : {false, true}) {
    for (const auto& [name, cel] : cels) {
      SCOPED_TRACE(name + (wide ? " wide" : ""));
      const std::string original = plain.Write(name, cel);
      const std::string behind = prefixed.Write(name, Behind(prefix, cel));
      const Decoded expected = Picture(original, 0, wide);
      ASSERT_EQ(expected.code, 0);
      EXPECT_EQ(Picture(behind, 128, wide), expected);
      PictureInfo want;
      PictureInfo got;
      ASSERT_EQ(Info(original, 0, wide, &want), 0);
      ASSERT_EQ(Info(behind, 128, wide, &got), 0);
      EXPECT_EQ(got.width, want.width);
      EXPECT_EQ(got.height, want.height);
      EXPECT_EQ(got.colorDepth, want.colorDepth);
      // From byte 0 the prefix is read as the picture.
      ASSERT_EQ(Info(behind, 0, wide, &got), 0);
      EXPECT_EQ(got.width, prefix[0] | (prefix[1] << 8));
    }
  }
}

TEST_F(Offset, AtOrPastTheEndThereIsNoDataAndNegativeIsRefused) {
  TempFolder set;
  const Bytes cel = HeadedCel(0x20, 8, 2, 2, Bytes(4, 7));
  const std::string path = set.Write("x.cel", Behind(Prefix(10), cel));
  const LONG_PTR size = static_cast<LONG_PTR>(10 + cel.size());
  HLOCAL info = nullptr;
  HLOCAL pixels = nullptr;
  const Bytes none;
  const int code =
      host->getPicture(reinterpret_cast<LPCSTR>(none.data()), 0, 1, &info, &pixels, nullptr, 0);
  const Decoded empty = TakeDecoded(code, info, pixels);
  ASSERT_EQ(empty.code, 0);
  for (bool wide : {false, true}) {
    for (LONG_PTR offset : {size, size + 1, LONG_PTR{0x7FFFFFFF}}) {
      SCOPED_TRACE(offset);
      PictureInfo record;
      ASSERT_EQ(Info(path, offset, wide, &record), 0);
      EXPECT_EQ(record.width, 0);
      EXPECT_EQ(record.height, 0);
      EXPECT_EQ(record.colorDepth, 4);
      EXPECT_EQ(Picture(path, offset, wide), empty);
    }
    // One byte short of the end: the headerless width's low byte only.
    PictureInfo record;
    ASSERT_EQ(Info(path, size - 1, wide, &record), 0);
    EXPECT_EQ(record.width, 7);
    EXPECT_EQ(record.height, 0);
    for (LONG_PTR offset : {LONG_PTR{-1}, LONG_PTR{-128}}) {
      EXPECT_EQ(Info(path, offset, wide, &record), -1);
      const Decoded refused = Picture(path, offset, wide);
      EXPECT_EQ(refused.code, -1);
      EXPECT_TRUE(refused.infoNull);
      EXPECT_TRUE(refused.pixelsNull);
    }
  }
}

// Real cels behind a prefix, in a copy of their set: the same pictures in
// the same colours as the originals.
TEST_F(Offset, RealCelsBehindAPrefix) {
  const std::string realSets = TAMSA_REALSETS_PATH;
  if (!IsFolder(realSets)) GTEST_SKIP() << "no real sets at " << realSets;
  const Bytes prefix = Prefix(128);
  int cels = 0;
  for (const char* setName : {"early-moon2", "washua", "loose"}) {
    const std::string source = realSets + "\\" + setName;
    if (!IsFolder(source)) continue;
    TempFolder copy;
    for (const std::string& name : ListNames(source, "*")) {
      const std::string from = source + "\\" + name;
      if (IsFolder(from)) continue;
      const bool isCel = name.size() > 4 && lstrcmpiA(name.c_str() + name.size() - 4, ".cel") == 0;
      if (!isCel) {
        ASSERT_TRUE(CopyFileA(from.c_str(), (copy.Path() + "\\" + name).c_str(), TRUE));
        continue;
      }
      copy.Write(name, Behind(prefix, ReadBytes(from)));
    }
    for (const std::string& name : ListNames(source, "*.cel")) {
      SCOPED_TRACE(std::string(setName) + "\\" + name);
      const Decoded original = Picture(source + "\\" + name, 0, false);
      ASSERT_EQ(original.code, 0);
      EXPECT_EQ(Picture(copy.Path() + "\\" + name, 128, false), original);
      EXPECT_EQ(Picture(copy.Path() + "\\" + name, 128, true), original);
      ++cels;
    }
  }
  EXPECT_GT(cels, 10);
}

}  // namespace
