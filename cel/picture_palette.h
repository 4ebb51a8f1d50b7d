// The colour table of a paletted picture: 2^depth RGBQUAD entries written
// into table. celPath is the cel's file name in input mode 0, null in mode 1.
#pragma once

#include <cstdint>

void FillColourTable(std::uint8_t* table, unsigned depth, const char* celPath);
