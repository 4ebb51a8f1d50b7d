// The command line of spihost. Free of Windows headers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One display setting given for the run: the registry value name and its value.
struct SettingOverride {
  std::string name;
  std::uint32_t value;
};

struct Options {
  std::string pluginPath;  // empty: the default plug-in
  std::string outFolder = ".";
  std::string sheetPath;  // empty: no contact sheet
  bool bmp = false;
  bool memory = false;
  bool recursive = false;
  bool info = false;
  bool doll = false;  // configuration files through a doll plug-in, one picture per page
  bool help = false;
  std::vector<SettingOverride> settings;  // in the order AlphaType .. GridSizeY
  std::vector<std::string> inputs;
};

struct ParsedCommandLine {
  Options options;
  std::string error;  // empty when the command line is usable
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// Why --memory and a doll do not go together.
extern const char* const kDollNeedsNames;

// Decimal, or hexadecimal after "0x"; a leading '-' stores the two's
// complement. False when the text is not a number or does not fit 32 bits.
bool ParseNumber(const std::string& text, std::uint32_t& value);

const char* UsageText();
