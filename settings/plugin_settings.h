// The five display settings that govern how 32-bit cels are flattened.
#pragma once

#include <cstdint>

struct PluginSettings {
  std::uint32_t AlphaType = 0;          // 0: blend over the checker pattern; other: ignore alpha
  std::uint32_t ColorLight = 0xFFFFFF;  // 0x00BBGGRR
  std::uint32_t ColorDark = 0xC0C0C0;
  std::int32_t GridSizeX = 10;  // 0 or less counts as 1
  std::int32_t GridSizeY = 10;
};

constexpr const char* kSettingsKeyPath = "Software\\Belvarod\\Susie\\Plug-in\\Tamsa";
constexpr const char* kAlphaTypeName = "AlphaType";
constexpr const char* kColorLightName = "ColorLight";
constexpr const char* kColorDarkName = "ColorDark";
constexpr const char* kGridSizeXName = "GridSizeX";
constexpr const char* kGridSizeYName = "GridSizeY";
