// The wide exports: the same answers as their 8-bit twins, and sets in
// folders whose names the ANSI code page cannot spell. The suite runs under
// code page 1252 and under 932 (two test entries).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/decoded.h"
#include "host/plugin_host.h"
#include "support/test_files.h"

namespace {

// A folder name outside the ANSI code page, and a cel and a palette name
// that are not ASCII but are of the code page.
struct CodePageNames {
  std::wstring foreignFolder;
  std::wstring localCel;
  std::wstring localPalette;
};
CodePageNames NamesForThisCodePage() {
  // é is not in 932; 表 and 緑 are. ムーン is not in 1252; é and ü are.
  if (GetACP() == 932) return {L"Caf\u00e9", L"\u8868.cel", L"\u7dd1.kcf"};
  return {L"\u30e0\u30fc\u30f3", L"Caf\u00e9.cel", L"gr\u00fcn.kcf"};
}

std::string Narrowed(const std::wstring& text) {
  const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], length, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

class Wide : public PluginSuite {
 protected:
  static Decoded PictureA(const std::string& path, LONG_PTR offset = 0) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code = host->getPicture(path.c_str(), offset, 0, &info, &pixels, nullptr, 0);
    return TakeDecoded(code, info, pixels);
  }
  static Decoded PictureW(const std::wstring& path, LONG_PTR offset = 0) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code = host->getPictureW(path.c_str(), offset, 0, &info, &pixels, nullptr, 0);
    return TakeDecoded(code, info, pixels);
  }
  static Decoded FromMemoryW(const Bytes& cel) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code =
        host->getPictureW(reinterpret_cast<LPCWSTR>(cel.data()), static_cast<LONG_PTR>(cel.size()),
                          1, &info, &pixels, nullptr, 0);
    return TakeDecoded(code, info, pixels);
  }
  static Decoded FromMemoryA(const Bytes& cel) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code =
        host->getPicture(reinterpret_cast<LPCSTR>(cel.data()), static_cast<LONG_PTR>(cel.size()), 1,
                         &info, &pixels, nullptr, 0);
    return TakeDecoded(code, info, pixels);
  }
  static Bytes RecordBytes(const PictureInfo& info) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&info);
    return Bytes(raw, raw + sizeof info);
  }
};

TEST_F(Wide, PluginInfoInWideCharacters) {
  for (int index = 0; index < 4; ++index) {
    char narrow[128] = {};
    wchar_t wide[128] = {};
    const int a = host->getPluginInfo(index, narrow, sizeof narrow);
    const int w = host->getPluginInfoW(index, wide, 128);
    EXPECT_EQ(w, a) << index;
    EXPECT_EQ(std::wstring(wide), Widened(narrow)) << index;
  }
  // The length counts wide characters: 3 holds two and the terminator.
  wchar_t buffer[8] = {L'x', L'x', L'x', L'x', L'x', L'x', L'x', L'x'};
  EXPECT_EQ(host->getPluginInfoW(2, buffer, 3), 2);
  EXPECT_EQ(std::wstring(buffer), L"*.");
  EXPECT_EQ(buffer[3], L'x');
  EXPECT_EQ(host->getPluginInfoW(4, buffer, 8), 0);
  EXPECT_EQ(host->getPluginInfoW(-1, buffer, 8), 0);
  EXPECT_EQ(host->getPluginInfoW(0, buffer, 0), 0);
  EXPECT_EQ(host->getPluginInfoW(0, nullptr, 8), 0);
  HLOCAL info = nullptr;
  HLOCAL pixels = nullptr;
  EXPECT_EQ(host->getPreviewW(L"x.cel", 0, 0, &info, &pixels, nullptr, 0), -1);
}

// Every answer of the wide twins equals the 8-bit one on names both can spell.
TEST_F(Wide, TwinsAnswerAlike) {
  TempFolder set;
  set.Write("a.kcf", PaletteFile(12, 16, 2, Pattern(64, 1)));
  set.Write("b.kcf", PaletteFile(24, 256, 1, Pattern(768, 2)));
  set.Write("set.cnf",
            "%a.kcf\r\n%b.kcf\r\n#1 four.cel *0\r\n#2 eight.cel *1\r\n#3 PLAIN.CEL *0\r\n");
  const std::vector<Bytes> cels = {
      HeadedCel(0x20, 4, 5, 3, Pattern(9, 3)),
      HeadedCel(0x20, 8, 7, 5, Pattern(35, 4)),
      HeaderlessCel(3, 2, Pattern(4, 5)),
      HeadedCel(0x21, 32, 4, 4, Pattern(64, 6)),
      HeadedCel(0x20, 16, 2, 2),
      Bytes{'K', 'i', 'S', 'S', 0x20, 8, 0, 0, 9},
  };
  const char* names[] = {"four.cel", "eight.cel", "plain.cel", "alpha.cel", "bad.cel", "x.bmp"};
  for (std::size_t i = 0; i < cels.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const std::string path = set.Write(names[i], cels[i]);
    const std::wstring widePath = Widened(path);
    EXPECT_EQ(PictureW(widePath), PictureA(path));
    EXPECT_EQ(FromMemoryW(cels[i]), FromMemoryA(cels[i]));
    PictureInfo a;
    PictureInfo w;
    std::memset(&a, 0xCC, sizeof a);
    std::memset(&w, 0xCC, sizeof w);
    EXPECT_EQ(host->getPictureInfoW(widePath.c_str(), 0, 0, &w),
              host->getPictureInfo(path.c_str(), 0, 0, &a));
    EXPECT_EQ(RecordBytes(w), RecordBytes(a));
    Bytes head = cels[i];
    head.resize(2048, 0);
    for (const char* probe : {names[i], "X.CEL", "x.Cel", "cel", "x.cex"}) {
      EXPECT_EQ(
          host->isSupportedW(Widened(probe).c_str(), reinterpret_cast<DWORD_PTR>(head.data())),
          host->isSupported(probe, reinterpret_cast<DWORD_PTR>(head.data())))
          << probe;
    }
  }
  EXPECT_EQ(PictureW(Widened(set.Path() + "\\missing.cel")).code, 6);
  PictureInfo info;
  EXPECT_EQ(host->getPictureInfoW(Widened(set.Path() + "\\missing.cel").c_str(), 0, 0, &info), 6);
  EXPECT_EQ(host->getPictureInfoW(L"x.cel", 0, 2, &info), -1);
}

// A set in a folder whose name the ANSI code page cannot spell decodes in its
// own colours by the wide name, as the same set does by the 8-bit name in a
// folder it can; its cel names may still be of the code page.
TEST_F(Wide, ASetInAFolderTheCodePageCannotNameKeepsItsColours) {
  const CodePageNames names = NamesForThisCodePage();
  const std::string localCel = Narrowed(names.localCel);
  ASSERT_EQ(Widened(localCel), names.localCel) << "the cel's name is of the code page";
  TempFolder base;
  ASSERT_TRUE(
      CreateDirectoryW((Widened(base.Path()) + L"\\" + names.foreignFolder).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((base.Path() + "\\plain").c_str(), nullptr));
  // The configuration file names the cel and its palette in the code page.
  const std::string cnf = "%red.kcf\r\n%" + Narrowed(names.localPalette) + "\r\n#1 " + localCel +
                          " *1\r\n#2 body.cel *0\r\n";
  const Bytes cel = HeadedCel(0x20, 4, 4, 2, Pattern(4, 7));
  const Bytes red = PaletteFile(12, 16, 1, Pattern(32, 8));
  const Bytes green = PaletteFile(24, 16, 1, Pattern(48, 9));
  for (const std::wstring& folder : {names.foreignFolder, std::wstring(L"plain")}) {
    base.Write(folder + L"\\set.cnf", Bytes(cnf.begin(), cnf.end()));
    base.Write(folder + L"\\red.kcf", red);
    base.Write(folder + L"\\" + names.localPalette, green);
    base.Write(folder + L"\\" + names.localCel, cel);
    base.Write(folder + L"\\body.cel", cel);
  }
  const std::wstring foreign = Widened(base.Path()) + L"\\" + names.foreignFolder;
  const std::string plain = base.Path() + "\\plain";
  for (const char* which : {"cel", "body"}) {
    SCOPED_TRACE(which);
    const bool local = which[0] == 'c';
    const std::wstring wideName = local ? names.localCel : L"body.cel";
    const Decoded expected = PictureA(plain + "\\" + Narrowed(wideName));
    ASSERT_EQ(expected.code, 0);
    // The palette the configuration assigns, not the fallback colours.
    EXPECT_NE(expected.ColourTable(), FromMemoryA(cel).ColourTable());
    EXPECT_EQ(PictureW(foreign + L"\\" + wideName), expected);
    // The 8-bit twin cannot open what it cannot name.
    EXPECT_EQ(PictureA(Narrowed(foreign + L"\\" + wideName)).code, 6);
  }
}

// The real sets beside the project, copied into such a folder, decode by
// the wide names exactly as the originals do by the 8-bit names.
TEST_F(Wide, RealSetsInAForeignFolderDecodeAsTheOriginals) {
  const std::wstring realSets = Widened(TAMSA_REALSETS_PATH);
  if (!IsFolder(realSets)) GTEST_SKIP() << "no real sets at " << TAMSA_REALSETS_PATH;
  const CodePageNames names = NamesForThisCodePage();
  int cels = 0;
  for (const char* setName : {"sk_kimux", "early-moon2", "washua"}) {
    const std::wstring source = realSets + L"\\" + Widened(setName);
    if (!IsFolder(source)) continue;
    TempFolder base;
    const std::wstring copy = Widened(base.Path()) + L"\\" + names.foreignFolder;
    ASSERT_TRUE(CreateDirectoryW(copy.c_str(), nullptr));
    std::vector<std::wstring> celNames;
    for (const std::wstring& name : ListNames(source, L"*")) {
      if (IsFolder(source + L"\\" + name)) continue;
      ASSERT_TRUE(CopyFileW((source + L"\\" + name).c_str(), (copy + L"\\" + name).c_str(), TRUE));
      if (name.size() > 4 && lstrcmpiW(name.c_str() + name.size() - 4, L".cel") == 0)
        celNames.push_back(name);
    }
    for (const std::wstring& name : celNames) {
      SCOPED_TRACE(std::string(setName) + "\\" + Narrowed(name));
      const Decoded original = PictureA(Narrowed(source + L"\\" + name));
      ASSERT_EQ(original.code, 0);
      EXPECT_EQ(PictureW(copy + L"\\" + name), original);
      ++cels;
    }
  }
  EXPECT_GT(cels, 50);
}

}  // namespace
