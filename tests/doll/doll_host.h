// The doll plug-in loaded as a viewer loads it, for its host-level tests,
// with the calls they make and a small made-up set whose every pixel the
// tests know.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "host/decoded.h"
#include "support/test_files.h"
#include "tools/plugin_module/plugin_module.h"

// A suite sharing one loaded tamsadoll; each test first checks that it
// loaded and exports every function.
class DollSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { doll = new PluginModule(TAMSADOLL_SPI_PATH); }
  static void TearDownTestSuite() {
    delete doll;
    doll = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(doll->module, nullptr) << "cannot load " << TAMSADOLL_SPI_PATH;
    for (const void* function : {reinterpret_cast<const void*>(doll->getPluginInfo),
                                 reinterpret_cast<const void*>(doll->isSupported),
                                 reinterpret_cast<const void*>(doll->getPictureInfo),
                                 reinterpret_cast<const void*>(doll->getPicture),
                                 reinterpret_cast<const void*>(doll->getPreview),
                                 reinterpret_cast<const void*>(doll->configurationDlg),
                                 reinterpret_cast<const void*>(doll->getPluginInfoW),
                                 reinterpret_cast<const void*>(doll->isSupportedW),
                                 reinterpret_cast<const void*>(doll->getPictureInfoW),
                                 reinterpret_cast<const void*>(doll->getPictureW),
                                 reinterpret_cast<const void*>(doll->getPreviewW),
                                 reinterpret_cast<const void*>(doll->getDollPage),
                                 reinterpret_cast<const void*>(doll->getDollPageW)})
      ASSERT_NE(function, nullptr);
  }

  static Decoded Picture(const std::string& path, LONG_PTR offset = 0, UINT flags = 0) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code = doll->getPicture(path.c_str(), offset, flags, &info, &pixels, nullptr, 0);
    return TakeDecoded(code, info, pixels);
  }
  static Decoded PictureW(const std::wstring& path, LONG_PTR offset = 0) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code = doll->getPictureW(path.c_str(), offset, 0, &info, &pixels, nullptr, 0);
    return TakeDecoded(code, info, pixels);
  }
  static Decoded Page(const std::string& path, int page) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code = doll->getDollPage(path.c_str(), page, &info, &pixels);
    return TakeDecoded(code, info, pixels);
  }
  static Decoded PageW(const std::wstring& path, int page) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code = doll->getDollPageW(path.c_str(), page, &info, &pixels);
    return TakeDecoded(code, info, pixels);
  }

  static inline PluginModule* doll = nullptr;
};

// Colours as Decoded::ColourAt gives them: 0x00BBGGRR.
constexpr std::uint32_t Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return red | (green << 8) | (blue << 16);
}

// The made-up set "tiny", 8 x 6, two pages. p.kcf (24-bit, 16 colours, two
// groups) and q.kcf (one group). Objects: 0 top.cel (3 x 1, indices 1 0 2,
// its header offset 1,0), 1 under.cel (3 x 2, index 1 of q.kcf), 2
// hidden.cel (1 x 1, index 3, page 1 only, no palette number).
struct TinySet {
  static constexpr int kWidth = 8;
  static constexpr int kHeight = 6;
  // Colour i of p.kcf's group g, and of q.kcf's only group.
  static std::uint32_t P(int group, int i) {
    return Rgb(static_cast<std::uint8_t>(10 + 100 * group + i), static_cast<std::uint8_t>(20 + i),
               static_cast<std::uint8_t>(30 + 50 * group));
  }
  static std::uint32_t Q(int i) { return Rgb(200, static_cast<std::uint8_t>(i), 99); }

  static std::string Configuration() {
    return "; tiny\r\n(8,6)\r\n%p.kcf\r\n%q.kcf\r\n"
           "#0 top.cel *0 :0 1 ;the first line lies on top\r\n"
           "#1 under.cel *1\r\n"
           "#2 hidden.cel :1\r\n"
           "$0 1,1 1,1 0,0\r\n"
           "$1 * 4,3\r\n";
  }

  // Writes the set into folder (a path relative to the temporary folder, ""
  // for the folder itself) and returns the configuration's path.
  static std::string Write(const TempFolder& base, const std::string& folder = "",
                           const std::string& configuration = Configuration());
  static std::wstring WriteWide(const TempFolder& base, const std::wstring& folder);

  // Every pixel page 0 and page 1 must show, as ColourAt gives them.
  static std::uint32_t Expected(int page, int x, int y);
};
