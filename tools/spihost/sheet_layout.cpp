#include "sheet_layout.h"

#include <algorithm>
#include <cstdint>

SheetLayout LayOutSheet(const std::vector<SheetItem>& items, int labelHeight, int titleWidth,
                        int titleHeight) {
  SheetLayout layout;
  layout.places.resize(items.size());
  int right = kSheetMargin + titleWidth;
  int top = kSheetMargin + (titleHeight > 0 ? titleHeight + kSheetGap : 0);
  std::size_t rowStart = 0;
  while (rowStart < items.size()) {
    // Fill the row while the next cell still fits; every row takes at least one.
    std::size_t rowEnd = rowStart;
    int x = kSheetMargin;
    int pictureHeight = 0;
    while (rowEnd < items.size()) {
      const SheetItem& item = items[rowEnd];
      const int cell = std::max(item.width, item.labelWidth);
      if (rowEnd > rowStart && x + cell + kSheetMargin > kSheetWrapWidth) break;
      x += cell + kSheetGap;
      pictureHeight = std::max(pictureHeight, item.height);
      ++rowEnd;
    }
    x = kSheetMargin;
    for (std::size_t i = rowStart; i < rowEnd; ++i) {
      const SheetItem& item = items[i];
      const int cell = std::max(item.width, item.labelWidth);
      SheetPlace& place = layout.places[i];
      place.pictureX = x + (cell - item.width) / 2;
      place.pictureY = top + pictureHeight - item.height;
      place.labelX = x + (cell - item.labelWidth) / 2;
      place.labelY = top + pictureHeight + kSheetLabelGap;
      x += cell;
      right = std::max(right, x);
      x += kSheetGap;
    }
    top += pictureHeight + kSheetLabelGap + labelHeight + kSheetGap;
    rowStart = rowEnd;
  }
  layout.width = right + kSheetMargin;
  layout.height = top - (items.empty() ? 0 : kSheetGap) + kSheetMargin;
  return layout;
}

RgbImage Thumbnail(const RgbImage& image, int maxSide) {
  const int longest = std::max(image.width, image.height);
  if (longest <= maxSide || longest == 0) return image;
  RgbImage small;
  small.width =
      std::max(1, static_cast<int>(static_cast<std::int64_t>(image.width) * maxSide / longest));
  small.height =
      std::max(1, static_cast<int>(static_cast<std::int64_t>(image.height) * maxSide / longest));
  small.rgb.resize(static_cast<std::size_t>(small.width) * small.height * 3);
  for (int y = 0; y < small.height; ++y) {
    const int y0 = static_cast<int>(static_cast<std::int64_t>(y) * image.height / small.height);
    const int y1 = std::max(
        y0 + 1, static_cast<int>(static_cast<std::int64_t>(y + 1) * image.height / small.height));
    for (int x = 0; x < small.width; ++x) {
      const int x0 = static_cast<int>(static_cast<std::int64_t>(x) * image.width / small.width);
      const int x1 = std::max(
          x0 + 1, static_cast<int>(static_cast<std::int64_t>(x + 1) * image.width / small.width));
      std::uint64_t sum[3] = {0, 0, 0};
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx)
          for (int c = 0; c < 3; ++c)
            sum[c] += image.rgb[(static_cast<std::size_t>(sy) * image.width + sx) * 3 + c];
      const std::uint64_t count = static_cast<std::uint64_t>(y1 - y0) * (x1 - x0);
      for (int c = 0; c < 3; ++c)
        small.rgb[(static_cast<std::size_t>(y) * small.width + x) * 3 + c] =
            static_cast<std::uint8_t>((sum[c] + count / 2) / count);
    }
  }
  return small;
}
