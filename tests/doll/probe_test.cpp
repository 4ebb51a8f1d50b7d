// Identification, the quick test and the picture information, through the
// loaded tamsadoll as a viewer calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "doll/doll_host.h"

namespace {

class DollProbe : public DollSuite {
 protected:
  // IsSupported with the host's zero-padded 2 KB buffer of the file's first
  // bytes, through both twins, which must agree.
  static int Claimed(const char* name, const std::string& text) {
    char buffer[2048] = {};
    std::memcpy(buffer, text.data(), text.size() < sizeof buffer ? text.size() : sizeof buffer);
    const int narrow = doll->isSupported(name, reinterpret_cast<DWORD_PTR>(buffer));
    const int wide = doll->isSupportedW(Widened(name).c_str(), reinterpret_cast<DWORD_PTR>(buffer));
    EXPECT_EQ(narrow, wide) << name;
    return narrow;
  }

  static HANDLE OpenHandle(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static LONGLONG Position(HANDLE file) {
    LARGE_INTEGER zero = {};
    LARGE_INTEGER position = {};
    SetFilePointerEx(file, zero, &position, FILE_CURRENT);
    return position.QuadPart;
  }
};

TEST_F(DollProbe, PluginInfoInBothWidths) {
  const char* expected[] = {"00IN",
                            "Tamsa doll Ver.0.03a (c) 2026 the Tamsa developers: KiSS set composer",
                            "*.cnf", "KiSS set"};
  for (int i = 0; i < 4; ++i) {
    char narrow[256];
    wchar_t wide[256];
    EXPECT_EQ(doll->getPluginInfo(i, narrow, sizeof narrow), static_cast<int>(strlen(expected[i])));
    EXPECT_STREQ(narrow, expected[i]);
    EXPECT_EQ(doll->getPluginInfoW(i, wide, 256), static_cast<int>(strlen(expected[i])));
    EXPECT_EQ(std::wstring(wide), Widened(expected[i]));
  }
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(doll->getPluginInfo(4, buffer, sizeof buffer), 0);
  EXPECT_EQ(doll->getPluginInfo(-1, buffer, sizeof buffer), 0);
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_EQ(doll->getPluginInfo(2, buffer, 3), 2);  // cut to fit with its terminator
  EXPECT_STREQ(buffer, "*.");
}

TEST_F(DollProbe, ClaimsConfigurationsByNameAndContent) {
  const std::string cel = "; a set\r\n#1 body.cel *0 :0\r\n";
  EXPECT_EQ(Claimed("set.cnf", cel), 1);
  EXPECT_EQ(Claimed("C:\\dolls\\SET.CNF", cel), 1);
  EXPECT_EQ(Claimed("set.Cnf", cel), 1);
  EXPECT_EQ(Claimed("set.cel", cel), 0);
  EXPECT_EQ(Claimed("cnf", cel), 0);
  EXPECT_EQ(Claimed("setcnf", cel), 0);

  // Each kind of line that makes a configuration, and near misses.
  EXPECT_EQ(Claimed("a.cnf", "%colours.kcf\r\n"), 1);
  EXPECT_EQ(Claimed("a.cnf", "%COLOURS.KCF ;palette\n"), 1);
  EXPECT_EQ(Claimed("a.cnf", "%colours.txt\r\n"), 0);
  EXPECT_EQ(Claimed("a.cnf", "(448,320)\r"), 1);
  EXPECT_EQ(Claimed("a.cnf", "(width,height)\r\n"), 0);
  EXPECT_EQ(Claimed("a.cnf", "#body.cel\r\n"), 0);
  // A database's settings file that shares the extension.
  EXPECT_EQ(Claimed("a.cnf", "[server]\r\nport=8080\r\nhost=local\r\n"), 0);
}

TEST_F(DollProbe, LooksOnlyAtTheFirstTwoKilobytesAndRefusesZeroBytes) {
  // A comment block of 2,087 bytes puts the first cel line past the window.
  std::string comments;
  while (comments.size() < 2087) comments += ";" + std::string(60, 'c') + "\r\n";
  comments.resize(2087 - 2);
  comments += "\r\n";
  ASSERT_EQ(comments.size(), 2087u);
  EXPECT_EQ(Claimed("late.cnf", comments + "#1 body.cel\r\n"), 0);
  EXPECT_EQ(Claimed("early.cnf", comments.substr(0, 1800) + "\r\n#1 body.cel\r\n"), 1);

  // A zero inside the text is not the host's padding.
  EXPECT_EQ(Claimed("zero.cnf", std::string("#1 body.cel\r\n\0;more\r\n", 21)), 0);
  EXPECT_EQ(Claimed("zero.cnf", std::string("\0#1 body.cel\r\n", 14)), 0);
}

TEST_F(DollProbe, ReadsTheHandleFromWhereItStandsAndPutsItBack) {
  TempFolder folder;
  // Three zero bytes, then a configuration: from byte 0 the zeros are the
  // file's, from byte 3 they are behind.
  const std::string text = std::string(3, '\0') + "#1 body.cel\r\n" + std::string(3000, ';');
  const std::string path = folder.Write("handle.cnf", text);
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "IsSupportedW" : "IsSupported");
    const HANDLE file = OpenHandle(path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const auto claimed = [&] {
      const auto data = reinterpret_cast<DWORD_PTR>(file);
      return wide ? doll->isSupportedW(Widened(path).c_str(), data)
                  : doll->isSupported(path.c_str(), data);
    };
    EXPECT_EQ(claimed(), 0);
    EXPECT_EQ(Position(file), 0);
    LARGE_INTEGER three = {};
    three.QuadPart = 3;
    SetFilePointerEx(file, three, nullptr, FILE_BEGIN);
    EXPECT_EQ(claimed(), 1);
    EXPECT_EQ(Position(file), 3);
    // Still open, and the host's: it reads on and closes it.
    char next[2] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(file, next, 2, &read, nullptr));
    EXPECT_EQ(std::string(next, read), "#1");
    EXPECT_TRUE(CloseHandle(file));
  }

  // A short file through its handle: the bytes it has, no padding needed.
  const std::string shortPath = folder.Write("short.cnf", "(10,10)");
  const HANDLE file = OpenHandle(shortPath);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(doll->isSupported(shortPath.c_str(), reinterpret_cast<DWORD_PTR>(file)), 1);
  EXPECT_EQ(Position(file), 0);
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(DollProbe, PictureInfoFromFileAndMemory) {
  TempFolder folder;
  const std::string text = "; sized\r\n(120,80)\r\n#1 a.cel\r\n";
  const std::string path = folder.Write("sized.cnf", text);
  // The same configuration behind 37 bytes of other data: length is its offset.
  const std::string behind = folder.Write("behind.cnf", std::string(37, 'x') + "\r\n" + text);
  PictureInfo info;
  for (int call = 0; call < 4; ++call) {
    SCOPED_TRACE(call);
    std::memset(&info, 0xCC, sizeof info);
    int code = -99;
    switch (call) {
      case 0:
        code = doll->getPictureInfo(path.c_str(), 0, 0, &info);
        break;
      case 1:
        code = doll->getPictureInfoW(Widened(path).c_str(), 0, 0, &info);
        break;
      case 2:
        code = doll->getPictureInfo(behind.c_str(), 37, 0, &info);
        break;
      default:
        code = doll->getPictureInfo(text.data(), static_cast<LONG_PTR>(text.size()), 1, &info);
    }
    ASSERT_EQ(code, 0);
    EXPECT_EQ(info.left, 0);
    EXPECT_EQ(info.top, 0);
    EXPECT_EQ(info.width, 120);
    EXPECT_EQ(info.height, 80);
    EXPECT_EQ(info.xDensity, 0);
    EXPECT_EQ(info.yDensity, 0);
    EXPECT_EQ(info.colorDepth, 24);
    EXPECT_EQ(info.info, nullptr);
#ifdef _WIN64
    EXPECT_EQ(info.padding[0], 0);
    EXPECT_EQ(info.padding[1], 0);
#endif
  }
  // Memory mode reads no further than the length: the size line cut off
  // leaves the default size.
  ASSERT_EQ(doll->getPictureInfo(text.data(), 10, 1, &info), 0);
  EXPECT_EQ(info.width, 448);
  EXPECT_EQ(info.height, 320);
}

TEST_F(DollProbe, PictureInfoSizesDefaultedAndRefused) {
  const auto sizeOf = [](const std::string& text, PictureInfo* info) {
    return doll->getPictureInfo(text.data(), static_cast<LONG_PTR>(text.size()), 1, info);
  };
  PictureInfo info;
  ASSERT_EQ(sizeOf("#1 a.cel\r\n", &info), 0);
  EXPECT_EQ(info.width, 448);
  EXPECT_EQ(info.height, 320);
  ASSERT_EQ(sizeOf("(0,200)\r\n#1 a.cel\r\n", &info), 0);
  EXPECT_EQ(info.width, 448);
  EXPECT_EQ(info.height, 320);
  ASSERT_EQ(sizeOf("(16384,1)\r\n", &info), 0);
  EXPECT_EQ(info.width, 16384);
  EXPECT_EQ(info.height, 1);
  EXPECT_EQ(sizeOf("(16385,10)\r\n", &info), 4);
  EXPECT_EQ(sizeOf("(10,99999999999999)\r\n", &info), 4);

  TempFolder folder;
  EXPECT_EQ(doll->getPictureInfo((folder.Path() + "\\none.cnf").c_str(), 0, 0, &info), 6);
  EXPECT_EQ(doll->getPictureInfo((folder.Path() + "\\none.cnf").c_str(), -1, 0, &info), -1);
  EXPECT_EQ(doll->getPictureInfo("x.cnf", 0, 0, nullptr), -1);
}

}  // namespace
