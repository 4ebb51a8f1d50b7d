// Resource and control ids of the settings dialog. Shared by tamsa.rc and the
// code, so they are preprocessor names that the resource compiler can read.
#pragma once

#define IDD_SETTINGS 100

#define IDC_ALPHA_SHOWN 200    // AlphaType 0: transparency over the checker pattern
#define IDC_ALPHA_IGNORED 201  // AlphaType 1: transparency ignored
#define IDC_COLOR_LIGHT 202    // ColorLight swatch
#define IDC_COLOR_DARK 203     // ColorDark swatch
#define IDC_GRID_SIZE_X 204    // GridSizeX, unsigned decimal text
#define IDC_GRID_SIZE_Y 205    // GridSizeY, unsigned decimal text
#define IDC_RESET 206          // back to the default settings (not saved until OK)
