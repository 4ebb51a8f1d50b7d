#include "cel/picture_palette.h"

#include <windows.h>

#include "cel/colour_table.h"
#include "cel/read_file.h"
#include "palette/palette_search.h"
#include "palette/text_utils.h"
#include "plugin/ansi_text.h"
#include "plugin/owners.h"

namespace {

// Reads the palette that the search assigns to the cel into table; false when
// there is none, or it cannot be read or recognised.
bool FillFromPaletteFile(std::uint8_t* table, unsigned depth, const char* celPath) {
  char path[kPathBufferSize] = {};
  const int group = FindPaletteFile(path, celPath, sizeof path);
  if (group < 0 || path[0] == '\0') return false;
  HLOCAL block = nullptr;
  DWORD length = kPaletteReadLength;
  if (ReadFileWhole(path, &block, &length) != 0) return false;
  const UniqueLocal guard(block);
  const ByteView bytes{static_cast<const std::uint8_t*>(block), length};
  const PaletteLayout layout = RecognisePalette(bytes, path, AnsiCompareNoCase);
  if (!layout.recognised) return false;
  BuildPaletteColours(table, depth, bytes, layout, static_cast<std::uint32_t>(group));
  return true;
}

}  // namespace

void FillColourTable(std::uint8_t* table, unsigned depth, const char* celPath) {
  if (depth < 1 || depth > 8) return;
  // Cels handed over in memory have no folder to search.
  if (celPath != nullptr && FillFromPaletteFile(table, depth, celPath)) return;
  BuildFallbackColours(table, depth);
}
