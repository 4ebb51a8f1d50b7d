// Display settings of the plug-in set for one run and put back afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "options.h"
#include "settings/plugin_settings.h"  // kSettingsKeyPath, the key of the five settings

// The plug-in reads the four pattern settings only while AlphaType is stored
// as 0. When pattern settings are given without --alpha-type and AlphaType is
// not stored, AlphaType 0 (its default) is added to the settings for the run;
// when it is stored as non-zero, the pattern settings cannot show. Returns a
// note for the user in either case, else "".
std::string CompletePatternSettings(std::vector<SettingOverride>& settings);

// Stores the given values as REG_DWORD for the life of the object. The values
// found before are kept (type and bytes) and written back on Restore, or
// deleted where there were none. Ctrl+C and closing the console restore too.
class SettingsOverride {
 public:
  SettingsOverride() = default;
  ~SettingsOverride() { Restore(); }
  SettingsOverride(const SettingsOverride&) = delete;
  SettingsOverride& operator=(const SettingsOverride&) = delete;

  bool Apply(const std::vector<SettingOverride>& settings, std::string& error);
  void Restore();

 private:
  struct Saved {
    std::string name;
    bool existed = false;
    unsigned long type = 0;
    std::vector<std::uint8_t> data;
  };
  std::vector<Saved> saved_;
  bool active_ = false;
};
