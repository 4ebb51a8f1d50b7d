// The colour table of a paletted picture: 2^depth RGBQUAD entries written
// into table, from the palette that the cel's folder assigns to it, or the
// built-in colours or the grey ramp when there is none. celPath is the cel's
// file name (8-bit or wide) in file mode, null in memory mode.
#pragma once

#include <cstdint>

void FillColourTable(std::uint8_t* table, unsigned depth, const char* celPath);
void FillColourTable(std::uint8_t* table, unsigned depth, const wchar_t* celPath);
