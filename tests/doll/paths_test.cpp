// The configuration's folder as each twin finds it: 8-bit paths with
// double-byte characters (code page 932), folders the ANSI code page cannot
// spell (wide twins only), and the 8-bit length limits. Runs under code page
// 1252 and under 932 (two test entries).
#include <gtest/gtest.h>

#include <string>

#include "doll/doll_host.h"

namespace {

using DollPaths = DollSuite;

// A wide path of ASCII characters as 8-bit text.
std::string Narrowed(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Whether the picture shows the made-up set's page with every cel, its
// palettes found: a cel's colour and the background.
void ExpectWholeTinyPage(const Decoded& picture) {
  ASSERT_EQ(picture.code, 0);
  EXPECT_EQ(picture.ColourAt(0, 0), TinySet::P(0, 0));
  EXPECT_EQ(picture.ColourAt(2, 1), TinySet::P(0, 1));
  EXPECT_EQ(picture.ColourAt(1, 2), TinySet::Q(1));
}

TEST_F(DollPaths, DoubleByteFolderThroughTheEightBitTwin) {
  if (GetACP() != 932) GTEST_SKIP() << "needs code page 932, this is " << GetACP();
  TempFolder base;
  // 表 and ソ end in the byte of '\': stepping byte by byte would find a
  // separator in the configuration's name and look for the cels elsewhere.
  const std::string folder = "\x95\x5c\x83\x5c";
  TinySet::Write(base, folder);
  const std::string path = base.Write(folder + "\\\x95\x5c\x83\x5c.cnf", TinySet::Configuration());
  const Decoded picture = Picture(path);
  ExpectWholeTinyPage(picture);
  EXPECT_EQ(picture, Page(path, 0));
  EXPECT_EQ(picture, PictureW(Widened(path)));
}

TEST_F(DollPaths, FolderOutsideTheCodePageThroughTheWideTwins) {
  TempFolder base;
  // Hangul: neither 1252 nor 932 spells it.
  const std::wstring path = TinySet::WriteWide(base, L"\ud55c\uae00 set");
  const Decoded picture = PictureW(path);
  ExpectWholeTinyPage(picture);
  EXPECT_EQ(PageW(path, 0), picture);
  EXPECT_EQ(PageW(path, 1).code, 0);
  EXPECT_EQ(PageW(path, 2).code, -1);
  PictureInfo info;
  ASSERT_EQ(doll->getPictureInfoW(path.c_str(), 0, 0, &info), 0);
  EXPECT_EQ(info.width, TinySet::kWidth);
  // A host holding the wide name is asked no 8-bit call; made as the code
  // page would spell it, the path names no folder.
  char narrow[MAX_PATH * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow, sizeof narrow, nullptr, nullptr);
  EXPECT_EQ(Picture(narrow).code, 6);
}

TEST_F(DollPaths, EightBitPathLimits) {
  TempFolder base;
  const std::size_t baseLength = base.Path().size() + 1;
  ASSERT_LT(baseLength, 150u);
  // A configuration whose full path is 259 characters: the 8-bit twins
  // refuse it; the wide ones, without a limit of their own, compose it.
  const std::string deep = std::string(259 - baseLength - 1 - 8, 'd');
  // Written by wide names: the longest of the set's paths passes 259.
  const std::string longPath = Narrowed(TinySet::WriteWide(base, Widened(deep)));
  ASSERT_EQ(longPath.size(), 259u);
  EXPECT_EQ(Picture(longPath).code, -1);
  EXPECT_EQ(Page(longPath, 0).code, -1);
  ExpectWholeTinyPage(PictureW(Widened(longPath)));

  // A path of 258 characters is taken apart, but a cel whose own path would
  // pass 259 characters is not opened: it is left out.
  const std::string shorter = deep.substr(0, deep.size() - 1);
  const std::string path = Narrowed(TinySet::WriteWide(base, Widened(shorter)));
  ASSERT_EQ(path.size(), 258u);
  // The folder is 249 characters: under.cel's path is 259, and opened.
  ExpectWholeTinyPage(Picture(path));
  const std::string cnf =
      "(8,6)\r\n%p.kcf\r\n%q.kcf\r\n#0 top.cel *0\r\n#1 under.cel *1\r\n#2 hidden.cel\r\n"
      "$0 * 1,1 *\r\n";
  base.Write(shorter + "\\tiny.cnf", cnf);
  // hidden.cel's path is 260 characters: left out by the 8-bit twin only.
  const Decoded narrow = Picture(path);
  const Decoded wide = PictureW(Widened(path));
  ASSERT_EQ(narrow.code, 0);
  ASSERT_EQ(wide.code, 0);
  EXPECT_EQ(narrow.ColourAt(0, 0), TinySet::P(0, 0));
  EXPECT_EQ(wide.ColourAt(0, 0), TinySet::P(0, 3));
  EXPECT_EQ(narrow.ColourAt(1, 0), wide.ColourAt(1, 0));
}

}  // namespace
