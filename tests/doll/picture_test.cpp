// GetPicture and GetDollPage through the loaded tamsadoll: the blocks a host
// gets, the made-up set's every pixel on each page, and what a set with
// files missing still shows.
#include <gtest/gtest.h>

#include <string>

#include "doll/doll_host.h"

namespace {

using DollPicture = DollSuite;

// Every pixel of the picture against the set's, and each row's padding zero.
void ExpectTinyPage(const Decoded& picture, int page) {
  ASSERT_EQ(picture.code, 0);
  ASSERT_EQ(picture.Width(), static_cast<std::uint32_t>(TinySet::kWidth));
  ASSERT_EQ(picture.Height(), static_cast<std::uint32_t>(TinySet::kHeight));
  for (int y = 0; y < TinySet::kHeight; ++y) {
    for (int x = 0; x < TinySet::kWidth; ++x)
      EXPECT_EQ(picture.ColourAt(x, y), TinySet::Expected(page, x, y))
          << "page " << page << " at " << x << "," << y;
    const Bytes row = picture.Row(y);
    for (std::size_t i = 3 * TinySet::kWidth; i < row.size(); ++i) EXPECT_EQ(row[i], 0);
  }
}

std::uint32_t Field(const Bytes& header, std::size_t at) {
  return header[at] | (header[at + 1] << 8) | (header[at + 2] << 16) |
         (static_cast<std::uint32_t>(header[at + 3]) << 24);
}

TEST_F(DollPicture, BlocksAreA24BitBitmapWithoutColourTable) {
  TempFolder folder;
  // 7 pixels wide: 21 bytes a row, padded to 24.
  const std::string path = folder.Write("wide.cnf", "(7,5)\r\n#1 none.cel\r\n");
  const Decoded picture = Picture(path);
  ASSERT_EQ(picture.code, 0);
  EXPECT_TRUE(picture.movable);
  EXPECT_TRUE(picture.unlocked);
  EXPECT_EQ(picture.infoSize, 40u);
  EXPECT_EQ(picture.pixelSize, 24u * 5);
  const Bytes header = picture.Header();
  EXPECT_EQ(Field(header, 0), 40u);
  EXPECT_EQ(Field(header, 4), 7u);
  EXPECT_EQ(Field(header, 8), 5u);
  EXPECT_EQ(header[12] | (header[13] << 8), 1);   // planes
  EXPECT_EQ(header[14] | (header[15] << 8), 24);  // bits per pixel
  EXPECT_EQ(Field(header, 16), 0u);               // no compression
  EXPECT_EQ(Field(header, 20), 24u * 5);          // biSizeImage: stride x height
  EXPECT_EQ(Field(header, 32), 0u);               // no colour table
  // No palette file: a black canvas.
  for (std::uint8_t byte : picture.pixels) EXPECT_EQ(byte, 0);
}

TEST_F(DollPicture, EachPageOfTheMadeUpSetPixelForPixel) {
  TempFolder folder;
  const std::string path = TinySet::Write(folder);
  const std::wstring widePath = Widened(path);
  ExpectTinyPage(Picture(path), 0);
  ExpectTinyPage(PictureW(widePath), 0);
  for (int page = 0; page < 2; ++page) {
    ExpectTinyPage(Page(path, page), page);
    ExpectTinyPage(PageW(widePath, page), page);
  }
  EXPECT_EQ(Picture(path), Page(path, 0));
  // Two page lines, two pages: any other page is refused and leaves nothing.
  for (const int page : {2, 9, 10, -1}) {
    const Decoded beyond = Page(path, page);
    EXPECT_EQ(beyond.code, -1) << page;
    EXPECT_TRUE(beyond.infoNull);
    EXPECT_TRUE(beyond.pixelsNull);
    EXPECT_EQ(PageW(widePath, page).code, -1) << page;
  }
}

TEST_F(DollPicture, ConfigurationBehindOtherDataIsReadFromItsOffset) {
  TempFolder folder;
  const std::string plain = TinySet::Write(folder);
  const std::string behind =
      folder.Write("behind.cnf", std::string(128, '\x7f') + TinySet::Configuration());
  const Decoded picture = Picture(behind, 128);
  ExpectTinyPage(picture, 0);
  EXPECT_EQ(picture, Picture(plain));
  EXPECT_EQ(PictureW(Widened(behind), 128), picture);
  EXPECT_EQ(Picture(behind, -1).code, -1);
}

TEST_F(DollPicture, RefusedCallsLeaveTheHostNothing) {
  TempFolder folder;
  const std::string path = TinySet::Write(folder);
  // Memory mode: a doll needs its folder.
  const std::string text = TinySet::Configuration();
  HLOCAL info = reinterpret_cast<HLOCAL>(1);
  HLOCAL pixels = reinterpret_cast<HLOCAL>(1);
  EXPECT_EQ(doll->getPicture(text.c_str(), static_cast<LONG_PTR>(text.size()), 1, &info, &pixels,
                             nullptr, 0),
            -1);
  EXPECT_EQ(info, nullptr);
  EXPECT_EQ(pixels, nullptr);

  const Decoded missing = Picture(folder.Path() + "\\absent.cnf");
  EXPECT_EQ(missing.code, 6);
  EXPECT_TRUE(missing.infoNull);
  EXPECT_TRUE(missing.pixelsNull);
  EXPECT_EQ(PageW(Widened(folder.Path() + "\\absent.cnf"), 0).code, 6);

  const std::string huge = folder.Write("huge.cnf", "(16385,16385)\r\n#1 a.cel\r\n");
  const Decoded refused = Picture(huge);
  EXPECT_EQ(refused.code, 4);
  EXPECT_TRUE(refused.infoNull);
  EXPECT_TRUE(refused.pixelsNull);
  EXPECT_EQ(Page(huge, 0).code, 4);

  EXPECT_EQ(doll->getPicture(path.c_str(), 0, 0, nullptr, &pixels, nullptr, 0), -1);
  EXPECT_EQ(doll->getDollPage(path.c_str(), 0, &info, nullptr), -1);
  EXPECT_EQ(doll->getPreview(path.c_str(), 0, 0, &info, &pixels, nullptr, 0), -1);
  EXPECT_EQ(doll->getPreviewW(Widened(path).c_str(), 0, 0, &info, &pixels, nullptr, 0), -1);
  EXPECT_EQ(doll->configurationDlg(nullptr, 1), -1);
}

TEST_F(DollPicture, MissingFilesLeaveTheRestOfTheDoll) {
  TempFolder folder;
  const std::string path = TinySet::Write(folder);
  ASSERT_TRUE(DeleteFileA((folder.Path() + "\\under.cel").c_str()));
  // Without under.cel: its pixels show what lies beneath, the background.
  const Decoded noCel = Picture(path);
  ASSERT_EQ(noCel.code, 0);
  for (int y = 0; y < TinySet::kHeight; ++y) {
    for (int x = 0; x < TinySet::kWidth; ++x) {
      const std::uint32_t expected = TinySet::Expected(0, x, y);
      EXPECT_EQ(noCel.ColourAt(x, y), expected == TinySet::Q(1) ? TinySet::P(0, 0) : expected)
          << x << "," << y;
    }
  }

  // Without p.kcf: no background colour (black), and top.cel, a 4-bit cel,
  // in the built-in 16 colours (1: dark red, 2: dark green).
  ASSERT_TRUE(DeleteFileA((folder.Path() + "\\p.kcf").c_str()));
  const Decoded noPalette = Picture(path);
  ASSERT_EQ(noPalette.code, 0);
  EXPECT_EQ(noPalette.ColourAt(2, 1), Rgb(128, 0, 0));
  EXPECT_EQ(noPalette.ColourAt(4, 1), Rgb(0, 128, 0));
  EXPECT_EQ(noPalette.ColourAt(3, 1), Rgb(0, 0, 0));  // index 0: under.cel is gone too
  EXPECT_EQ(noPalette.ColourAt(0, 0), Rgb(0, 0, 0));
}

}  // namespace
