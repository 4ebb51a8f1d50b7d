// One picture that shows every decoded picture side by side, each labelled
// with its file name; the text is drawn by GDI into a DIB section.
#pragma once

#include <string>
#include <vector>

#include "dib_image.h"

struct SheetEntry {
  std::string label;
  RgbImage picture;  // as it goes on the sheet (already a thumbnail)
};

// False, with error set, when GDI cannot provide the drawing surface.
bool RenderContactSheet(const std::vector<SheetEntry>& entries, const std::string& title,
                        RgbImage& sheet, std::string& error);
