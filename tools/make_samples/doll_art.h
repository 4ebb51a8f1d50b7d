// The procedural art of the sample doll "Mira" and of two loose cels. Each
// cel is drawn in the doll's canvas coordinates inside its own rectangle.
#pragma once

#include "kiss_writer.h"

struct CelRect {
  int x;
  int y;
  int width;
  int height;
};

// Canvas of the doll, and where each cel lies on it.
constexpr int kCanvasWidth = 200;
constexpr int kCanvasHeight = 320;
constexpr CelRect kBodyRect{40, 34, 120, 276};
constexpr CelRect kDressRect{47, 102, 101, 124};
constexpr CelRect kBowRect{84, 101, 33, 19};
constexpr CelRect kHairRect{57, 28, 87, 104};
constexpr CelRect kHatRect{38, 12, 124, 58};

// Layout of the 16-colour palettes of the dress and the bow.
constexpr int kDressOutline = 1;
constexpr int kDressFabric = 2;  // 6 shades
constexpr int kDressTrim = 8;    // 3 shades
constexpr int kDressSash = 11;   // 3 shades
constexpr int kDressDot = 14;
constexpr int kDressButton = 15;

IndexedCel DrawBody();   // 8 bits per pixel, colours from BodyPalette
IndexedCel DrawDress();  // 4 bits per pixel, colours from DressPalette
IndexedCel DrawBow();    // 4 bits per pixel, in the dress's palette
IndexedCel DrawHair();   // 4 bits per pixel, colours from HairPalette
RgbaCel DrawHat();       // 32 bits per pixel with a soft alpha edge

PaletteGroups BodyPalette();   // 1 group of 256 colours
PaletteGroups DressPalette();  // 3 groups of 16: rose, sky, cherry
PaletteGroups HairPalette();   // 10 groups of 16: hair colours, chestnut first

// Loose cels for a folder without a configuration file: the flower is drawn
// for the built-in 16-colour table, the moon for the grey ramp.
IndexedCel DrawFlower();  // 4 bits per pixel
IndexedCel DrawMoon();    // 8 bits per pixel
