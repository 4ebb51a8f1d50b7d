// A set written long ago is answered from what earlier calls read; any
// change in its folder (a configuration or palette file edited, added,
// removed or renamed) shows in the very next call, through both twins.
#include <gtest/gtest.h>

#include <string>

#include "host/decoded.h"
#include "host/plugin_host.h"
#include "support/call_ledger.h"
#include "support/test_files.h"

namespace {

Bytes Colours(std::uint8_t seed) { return Bytes(32, seed); }

class FolderChanges : public PluginSuite {
 protected:
  void SetUp() override {
    PluginSuite::SetUp();
    std::string missing;
    ASSERT_TRUE(WatchPluginCalls(host->module, &missing)) << missing;
    set.Write("a.kcf", PaletteFile(12, 16, 1, Colours(0x11)));
    set.Write("b.kcf", PaletteFile(12, 16, 1, Colours(0x22)));
    set.Write("set.cnf", "%a.kcf\r\n%b.kcf\r\n#1 body.cel *0\r\n");
    cel = set.Write("body.cel", HeadedCel(0x20, 4, 2, 1, {0x01}));
    set.Settle();
  }

  // The colour table the cel gets now, by the 8-bit or the wide name.
  Bytes TableNow(bool wide) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code = wide
                         ? host->getPictureW(Widened(cel).c_str(), 0, 0, &info, &pixels, nullptr, 0)
                         : host->getPicture(cel.c_str(), 0, 0, &info, &pixels, nullptr, 0);
    const Decoded d = TakeDecoded(code, info, pixels);
    EXPECT_EQ(d.code, 0);
    return d.code == 0 ? d.ColourTable() : Bytes();
  }
  static Bytes TableOf(const Bytes& palette) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    // The same cel in a folder of its own with only this palette.
    TempFolder alone;
    alone.Write("p.kcf", palette);
    alone.Write("s.cnf", "%p.kcf\r\n#1 body.cel *0\r\n");
    const std::string path = alone.Write("body.cel", HeadedCel(0x20, 4, 2, 1, {0x01}));
    const int code = host->getPicture(path.c_str(), 0, 0, &info, &pixels, nullptr, 0);
    const Decoded d = TakeDecoded(code, info, pixels);
    return d.ColourTable();
  }
  // Files other than the cel that the plug-in opened since the last look.
  // The folder itself is not one: the first call that could answer from a
  // kept listing opens it once, to ask whether its time follows its entries.
  int OtherFilesOpened() const {
    const std::wstring folder = Widened(set.Path());
    int others = 0;
    for (const std::wstring& path : TakeLedger().filesOpened) {
      if (lstrcmpiW(path.c_str(), folder.c_str()) == 0) continue;
      if (path.size() < 9 || path.compare(path.size() - 9, 9, L"\\body.cel") != 0) ++others;
    }
    return others;
  }

  TempFolder set;
  std::string cel;
};

TEST_F(FolderChanges, EachChangeShowsInTheNextCall) {
  const Bytes red = TableOf(PaletteFile(12, 16, 1, Colours(0x11)));
  const Bytes green = TableOf(PaletteFile(12, 16, 1, Colours(0x22)));
  const Bytes blue = TableOf(PaletteFile(12, 16, 1, Colours(0x33)));
  ASSERT_NE(red, green);
  for (bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "GetPictureW" : "GetPicture");
    set.Write("a.kcf", PaletteFile(12, 16, 1, Colours(0x11)));
    set.Write("set.cnf", "%a.kcf\r\n%b.kcf\r\n#1 body.cel *0\r\n");
    set.Settle();
    EXPECT_EQ(TableNow(wide), red);
    ResetLedger();
    // Nothing changed: the answer comes from what the first call read.
    EXPECT_EQ(TableNow(wide), red);
    EXPECT_EQ(OtherFilesOpened(), 0);

    // The configuration edited, its size kept.
    set.Write("set.cnf", "%a.kcf\r\n%b.kcf\r\n#1 body.cel *1\r\n");
    EXPECT_EQ(TableNow(wide), green);
    // The palette file edited, its size kept.
    set.Write("b.kcf", PaletteFile(12, 16, 1, Colours(0x33)));
    EXPECT_EQ(TableNow(wide), blue);
    set.Settle();
    EXPECT_EQ(TableNow(wide), blue);
    ResetLedger();
    EXPECT_EQ(TableNow(wide), blue);
    EXPECT_EQ(OtherFilesOpened(), 0);

    // A palette file removed: the fallback colours.
    ASSERT_TRUE(DeleteFileA((set.Path() + "\\b.kcf").c_str()));
    const Bytes fallback = TableNow(wide);
    EXPECT_NE(fallback, blue);
    EXPECT_NE(fallback, red);
    // Added back under another name and renamed into place.
    set.Write("new.kcf", PaletteFile(12, 16, 1, Colours(0x22)));
    EXPECT_EQ(TableNow(wide), fallback);
    ASSERT_TRUE(MoveFileA((set.Path() + "\\new.kcf").c_str(), (set.Path() + "\\b.kcf").c_str()));
    EXPECT_EQ(TableNow(wide), green);
    set.Settle();
    EXPECT_EQ(TableNow(wide), green);

    // A second configuration file added that places the cel alone: the
    // first one no longer places it.
    set.Write("set.cnf", "%a.kcf\r\n%b.kcf\r\n#1 arm.cel *1\r\n");
    set.Write("more.cnf", "%b.kcf\r\n%a.kcf\r\n#1 body.cel *1\r\n");
    EXPECT_EQ(TableNow(wide), red);
    set.Settle();
    EXPECT_EQ(TableNow(wide), red);
    // Renamed so that it is no configuration file any more: the folder's
    // first palette file, whichever the listing gives first.
    ASSERT_TRUE(
        MoveFileA((set.Path() + "\\more.cnf").c_str(), (set.Path() + "\\more.txt").c_str()));
    const Bytes first = TableNow(wide);
    EXPECT_TRUE(first == red || first == green);
    // Removed configuration files: no set, no palette.
    ASSERT_TRUE(DeleteFileA((set.Path() + "\\set.cnf").c_str()));
    EXPECT_EQ(TableNow(wide), fallback);
    ASSERT_TRUE(DeleteFileA((set.Path() + "\\more.txt").c_str()));
    ASSERT_TRUE(DeleteFileA((set.Path() + "\\b.kcf").c_str()));
    set.Write("b.kcf", PaletteFile(12, 16, 1, Colours(0x22)));
  }
}

}  // namespace
