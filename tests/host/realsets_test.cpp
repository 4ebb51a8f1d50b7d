// Real KiSS sets from public sources, decoded as a viewer decodes them. The
// sets are not part of the project; the tests skip when the folder is absent.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "support/test_files.h"

namespace {

// The colour tables a paletted cel gets when no palette is found.
std::vector<BYTE> FallbackTable(int depth) {
  static const BYTE kBuiltIn[16][3] = {
      {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
      {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
      {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
  std::vector<BYTE> table;
  for (int i = 0; i < (1 << depth); ++i) {
    const BYTE red = depth == 4 ? kBuiltIn[i][0] : static_cast<BYTE>(i);
    const BYTE green = depth == 4 ? kBuiltIn[i][1] : static_cast<BYTE>(i);
    const BYTE blue = depth == 4 ? kBuiltIn[i][2] : static_cast<BYTE>(i);
    table.insert(table.end(), {blue, green, red, 0});
  }
  return table;
}

class RealSets : public PluginSuite {
 protected:
  void SetUp() override {
    PluginSuite::SetUp();
    if (!IsFolder(TAMSA_REALSETS_PATH)) GTEST_SKIP() << "no real sets at " << TAMSA_REALSETS_PATH;
  }
};

TEST_F(RealSets, EveryCelDecodesInItsSetsColours) {
  int cels = 0;
  for (const std::string& set : ListNames(TAMSA_REALSETS_PATH, "*")) {
    const std::string folder = std::string(TAMSA_REALSETS_PATH) + "\\" + set;
    if (!IsFolder(folder)) continue;
    const bool hasConfiguration = !ListNames(folder, "*.cnf").empty();
    for (const std::string& name : ListNames(folder, "*.cel")) {
      const std::string path = folder + "\\" + name;
      SCOPED_TRACE(path);
      ++cels;
      // The host's probe: the file's first bytes in a zero-padded 2 KB buffer.
      Bytes head = ReadBytes(path);
      ASSERT_FALSE(head.empty());
      head.resize(2048, 0);
      EXPECT_EQ(host->isSupported(path.c_str(), reinterpret_cast<DWORD_PTR>(head.data())), 1);

      PictureInfo info;
      ASSERT_EQ(host->getPictureInfo(path.c_str(), 0, 0, &info), 0);
      HLOCAL infoBlock = nullptr;
      HLOCAL pixelBlock = nullptr;
      ASSERT_EQ(host->getPicture(path.c_str(), 0, 0, &infoBlock, &pixelBlock, nullptr, 0), 0);
      const auto* header = static_cast<const BITMAPINFOHEADER*>(LocalLock(infoBlock));
      ASSERT_NE(header, nullptr);
      EXPECT_EQ(header->biWidth, info.width);
      EXPECT_EQ(header->biHeight, info.height);
      EXPECT_EQ(header->biBitCount, info.colorDepth == 32 ? 24 : info.colorDepth);
      EXPECT_GE(LocalSize(pixelBlock),
                static_cast<SIZE_T>((info.width * header->biBitCount + 31) / 32 * 4 * info.height));
      if (header->biBitCount <= 8) {
        const auto* table = reinterpret_cast<const BYTE*>(header + 1);
        const std::vector<BYTE> colours(table, table + (4u << header->biBitCount));
        // A set with a configuration file has its palette found; loose cels
        // without one get the built-in colours or the grey ramp.
        if (hasConfiguration) {
          EXPECT_NE(colours, FallbackTable(header->biBitCount));
        } else {
          EXPECT_EQ(colours, FallbackTable(header->biBitCount));
        }
      }
      LocalUnlock(infoBlock);
      LocalFree(infoBlock);
      LocalFree(pixelBlock);
    }
  }
  EXPECT_GT(cels, 100);
}

TEST_F(RealSets, TheAlphaCelIsRecognised) {
  const std::string path = std::string(TAMSA_REALSETS_PATH) + "\\loose\\dov.cel";
  PictureInfo info;
  ASSERT_EQ(host->getPictureInfo(path.c_str(), 0, 0, &info), 0);
  EXPECT_EQ(info.width, 106);
  EXPECT_EQ(info.height, 12);
  EXPECT_EQ(info.colorDepth, 32);
}

}  // namespace
