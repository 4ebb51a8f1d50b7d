#include "cel/picture_palette.h"

#include <cstring>

// Colours arrive with the palette search; until then the table stays zero.
void FillColourTable(std::uint8_t* table, unsigned depth, const char*) {
  std::memset(table, 0, std::size_t{4} << depth);
}
