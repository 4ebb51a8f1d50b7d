#include "contact_sheet.h"

#include <windows.h>

#include <cstdint>

#include "sheet_layout.h"

namespace {

constexpr COLORREF kBackground = RGB(222, 222, 228);
constexpr COLORREF kFrame = RGB(150, 150, 162);
constexpr COLORREF kText = RGB(36, 36, 44);

class MemoryDc {
 public:
  MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
  ~MemoryDc() {
    if (dc_ != nullptr) DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A GDI object deleted when it goes; a stock object is left alone.
class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object, bool owned = true) : object_(object), owned_(owned) {}
  ~GdiObject() {
    if (object_ != nullptr && owned_) DeleteObject(object_);
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  HGDIOBJ Get() const { return object_; }

 private:
  HGDIOBJ object_;
  bool owned_;
};

// Selects an object into the DC for a scope, then puts the old one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, old_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

HGDIOBJ MakeFont(int height, int weight) {
  HFONT font = CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, "Tahoma");
  return font;
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
  MemoryDc dc;
  if (dc.Get() == nullptr) {
    error = "no GDI device context";
    return false;
  }
  HGDIOBJ labelFontHandle = MakeFont(12, FW_NORMAL);
  GdiObject labelFont(
      labelFontHandle != nullptr ? labelFontHandle : GetStockObject(DEFAULT_GUI_FONT),
      labelFontHandle != nullptr);
  HGDIOBJ titleFontHandle = MakeFont(15, FW_BOLD);
  GdiObject titleFont(
      titleFontHandle != nullptr ? titleFontHandle : GetStockObject(DEFAULT_GUI_FONT),
      titleFontHandle != nullptr);

  // Measure the texts in the fonts that will draw them.
  std::vector<SheetItem> items;
  int labelHeight = 0;
  {
    Selection font(dc.Get(), labelFont.Get());
    TEXTMETRICA metrics;
    GetTextMetricsA(dc.Get(), &metrics);
    labelHeight = metrics.tmHeight;
    for (const SheetEntry& entry : entries)
      items.push_back(SheetItem{entry.picture.width, entry.picture.height,
                                static_cast<int>(TextSize(dc.Get(), entry.label).cx)});
  }
  SIZE titleSize{0, 0};
  if (!title.empty()) {
    Selection font(dc.Get(), titleFont.Get());
    titleSize = TextSize(dc.Get(), title);
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
  GdiObject dib(CreateDIBSection(dc.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (dib.Get() == nullptr || bits == nullptr) {
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
    Selection selected(dc.Get(), dib.Get());
    SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), kText);
    if (!title.empty()) {
      Selection font(dc.Get(), titleFont.Get());
      TextOutA(dc.Get(), kSheetMargin, kSheetMargin, title.c_str(), static_cast<int>(title.size()));
    }
    Selection font(dc.Get(), labelFont.Get());
    for (std::size_t i = 0; i < entries.size(); ++i)
      TextOutA(dc.Get(), layout.places[i].labelX, layout.places[i].labelY, entries[i].label.c_str(),
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
