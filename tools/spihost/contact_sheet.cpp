#include "contact_sheet.h"

#include <windows.h>

#include <cstdint>

#include "sheet_layout.h"
#include "spi/owners.h"

namespace {

constexpr COLORREF kBackground = RGB(222, 222, 228);
constexpr COLORREF kFrame = RGB(150, 150, 162);
constexpr COLORREF kText = RGB(36, 36, 44);

// The font, or the GUI's stock font when it cannot be made.
HGDIOBJ MakeFont(int height, int weight) {
  HFONT font = CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, "Tahoma");
  return font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT);
}

SIZE TextSize(HDC dc, const std::string& text) {
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

// The pixels of a top-down 32-bit DIB section: blue, green, red, unused.
struct Surface {
  std::uint8_t* bits;
  int width;
  int height;

  void Put(int x, int y, COLORREF colour) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::uint8_t* p = bits + (static_cast<std::size_t>(y) * width + x) * 4;
    p[0] = GetBValue(colour);
    p[1] = GetGValue(colour);
    p[2] = GetRValue(colour);
    p[3] = 0;
  }
  void Fill(COLORREF colour) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) Put(x, y, colour);
  }
  void Frame(int left, int top, int right, int bottom, COLORREF colour) {
    for (int x = left; x <= right; ++x) {
      Put(x, top, colour);
      Put(x, bottom, colour);
    }
    for (int y = top; y <= bottom; ++y) {
      Put(left, y, colour);
      Put(right, y, colour);
    }
  }
  void Draw(const RgbImage& picture, int left, int top) {
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x) {
        const std::uint8_t* c = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
        Put(left + x, top + y, RGB(c[0], c[1], c[2]));
      }
  }
};

}  // namespace

bool RenderContactSheet(const std::vector<SheetEntry>& entries, const std::string& title,
                        RgbImage& sheet, std::string& error) {
  const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (dc == nullptr) {
    error = "no GDI device context";
    return false;
  }
  // Deleting a stock object does nothing, so the fallback needs no care.
  const UniqueGdiObject labelFont(MakeFont(12, FW_NORMAL));
  const UniqueGdiObject titleFont(MakeFont(15, FW_BOLD));

  // Measure the texts in the fonts that will draw them.
  std::vector<SheetItem> items;
  int labelHeight = 0;
  {
    Selection font(dc.get(), labelFont.get());
    TEXTMETRICA metrics;
    GetTextMetricsA(dc.get(), &metrics);
    labelHeight = metrics.tmHeight;
    for (const SheetEntry& entry : entries)
      items.push_back(SheetItem{entry.picture.width, entry.picture.height,
                                static_cast<int>(TextSize(dc.get(), entry.label).cx)});
  }
  SIZE titleSize{0, 0};
  if (!title.empty()) {
    Selection font(dc.get(), titleFont.get());
    titleSize = TextSize(dc.get(), title);
  }
  const SheetLayout layout = LayOutSheet(items, labelHeight, titleSize.cx, titleSize.cy);
  if (static_cast<std::uint64_t>(layout.width) * layout.height > kMaxPicturePixels) {
    error = "contact sheet too large";
    return false;
  }

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = layout.width;
  info.bmiHeader.biHeight = -layout.height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const UniqueGdiObject dib(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (dib == nullptr || bits == nullptr) {
    error =
        "no GDI surface of " + std::to_string(layout.width) + " x " + std::to_string(layout.height);
    return false;
  }
  Surface surface{static_cast<std::uint8_t*>(bits), layout.width, layout.height};
  surface.Fill(kBackground);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const SheetPlace& place = layout.places[i];
    const RgbImage& picture = entries[i].picture;
    surface.Frame(place.pictureX - 1, place.pictureY - 1, place.pictureX + picture.width,
                  place.pictureY + picture.height, kFrame);
    surface.Draw(picture, place.pictureX, place.pictureY);
  }

  {
    Selection selected(dc.get(), dib.get());
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), kText);
    if (!title.empty()) {
      Selection font(dc.get(), titleFont.get());
      TextOutA(dc.get(), kSheetMargin, kSheetMargin, title.c_str(), static_cast<int>(title.size()));
    }
    Selection font(dc.get(), labelFont.get());
    for (std::size_t i = 0; i < entries.size(); ++i)
      TextOutA(dc.get(), layout.places[i].labelX, layout.places[i].labelY, entries[i].label.c_str(),
               static_cast<int>(entries[i].label.size()));
    GdiFlush();
  }

  sheet.width = layout.width;
  sheet.height = layout.height;
  sheet.rgb.resize(static_cast<std::size_t>(layout.width) * layout.height * 3);
  const std::uint8_t* source = static_cast<const std::uint8_t*>(bits);
  for (std::size_t i = 0, n = static_cast<std::size_t>(layout.width) * layout.height; i < n; ++i) {
    sheet.rgb[i * 3] = source[i * 4 + 2];
    sheet.rgb[i * 3 + 1] = source[i * 4 + 1];
    sheet.rgb[i * 3 + 2] = source[i * 4];
  }
  return true;
}
