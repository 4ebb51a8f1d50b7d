#include "plugin/picture_palette.h"

#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "cel/colour_table.h"
#include "spi/ansi_text.h"
#include "spi/palette_search.h"

namespace {

bool IsKcfName(const std::string& path) {
  return HasExtension(path.c_str(), ".KCF", AnsiCompareNoCase);
}
bool IsKcfName(const std::wstring& path) { return HasWideExtension(path.c_str(), L".KCF"); }

// Reads the palette that the search assigns to the cel into table; false when
// there is none, or it cannot be read or recognised.
template <typename Char>
bool FillFromPaletteFile(std::uint8_t* table, unsigned depth, const Char* celPath) {
  std::basic_string<Char> path;
  std::vector<std::uint8_t> bytes;
  if (!ReadCelPalette(celPath, kPaletteReadLength, &path, &bytes)) return false;
  return BuildColoursFromPaletteFile(table, depth, ByteView{bytes.data(), bytes.size()},
                                     IsKcfName(path));
}

template <typename Char>
void FillTable(std::uint8_t* table, unsigned depth, const Char* celPath) {
  if (depth < 1 || depth > 8) return;
  bool filled = false;
  // Cels handed over in memory have no folder to search. Whatever the search
  // meets (even a lack of memory) leaves the picture its fallback colours.
  try {
    filled = celPath != nullptr && FillFromPaletteFile(table, depth, celPath);
  } catch (const std::bad_alloc&) {
    filled = false;
  }
  if (!filled) BuildFallbackColours(table, depth);
}

}  // namespace

void FillColourTable(std::uint8_t* table, unsigned depth, const char* celPath) {
  FillTable(table, depth, celPath);
}

void FillColourTable(std::uint8_t* table, unsigned depth, const wchar_t* celPath) {
  FillTable(table, depth, celPath);
}
