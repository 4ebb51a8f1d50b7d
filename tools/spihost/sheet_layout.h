// Where the pictures and labels of a contact sheet go, and the thumbnails
// that keep it small. Free of Windows headers.
#pragma once

#include <vector>

#include "dib_image.h"

// The largest side of a picture on the sheet; larger pictures are shrunk.
constexpr int kSheetThumbnailSide = 320;
// The sheet's width at which a row of pictures wraps.
constexpr int kSheetWrapWidth = 1200;
constexpr int kSheetMargin = 16;
constexpr int kSheetGap = 16;
constexpr int kSheetLabelGap = 4;

struct SheetItem {
  int width;  // the picture on the sheet
  int height;
  int labelWidth;  // its label's extent
};

struct SheetPlace {
  int pictureX;
  int pictureY;
  int labelX;
  int labelY;
};

struct SheetLayout {
  int width = 0;
  int height = 0;
  std::vector<SheetPlace> places;  // one per item, in order
};

// Rows from left to right, wrapping at kSheetWrapWidth; the pictures of a row
// stand on one line and their labels below them, each centred in its cell.
// A title of titleHeight pixels, when not 0, takes the top.
SheetLayout LayOutSheet(const std::vector<SheetItem>& items, int labelHeight, int titleWidth,
                        int titleHeight);

// The picture itself when no side exceeds maxSide; otherwise a copy shrunk to
// fit, each pixel the average of the pixels that it covers.
RgbImage Thumbnail(const RgbImage& image, int maxSide);
