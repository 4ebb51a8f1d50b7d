#include "settings_override.h"

#include <windows.h>

#include "spi/owners.h"

namespace {

// The plug-in's settings key, created when absent; null when it cannot be had.
UniqueKey OpenSettings() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return UniqueKey(key);
}

// The override that a console event must put back; one at a time.
SettingsOverride* activeOverride = nullptr;

BOOL WINAPI RestoreOnConsoleEvent(DWORD) {
  if (activeOverride != nullptr) activeOverride->Restore();
  return FALSE;  // and let the default handler end the process
}

}  // namespace

std::string CompletePatternSettings(std::vector<SettingOverride>& settings) {
  if (settings.empty()) return std::string();
  for (const SettingOverride& setting : settings)
    if (setting.name == "AlphaType") return std::string();
  DWORD alphaType = 0;
  DWORD size = sizeof alphaType;
  bool stored = false;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &opened) ==
      ERROR_SUCCESS) {
    const UniqueKey key(opened);
    stored = RegQueryValueExA(key.get(), "AlphaType", nullptr, nullptr,
                              reinterpret_cast<BYTE*>(&alphaType), &size) == ERROR_SUCCESS;
  }
  if (!stored) {
    settings.insert(settings.begin(), SettingOverride{"AlphaType", 0});
    return "AlphaType is not stored, so it is set to 0 for this run: without it the plug-in "
           "ignores the pattern settings";
  }
  if (alphaType != 0)
    return "AlphaType is stored as " + std::to_string(alphaType) +
           ": 32-bit cels are not blended, so the pattern settings do not show (add "
           "--alpha-type 0)";
  return std::string();
}

bool SettingsOverride::Apply(const std::vector<SettingOverride>& settings, std::string& error) {
  if (settings.empty()) return true;
  const UniqueKey key = OpenSettings();
  if (key == nullptr) {
    error = std::string("cannot open HKEY_CURRENT_USER\\") + kSettingsKeyPath;
    return false;
  }
  for (const SettingOverride& setting : settings) {
    Saved saved;
    saved.name = setting.name;
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), setting.name.c_str(), nullptr, &type, nullptr, &size) ==
        ERROR_SUCCESS) {
      saved.data.resize(size);
      if (RegQueryValueExA(key.get(), setting.name.c_str(), nullptr, &type,
                           saved.data.empty() ? nullptr : saved.data.data(),
                           &size) != ERROR_SUCCESS) {
        error = "cannot read the setting " + setting.name;
        Restore();
        return false;
      }
      saved.data.resize(size);
      saved.existed = true;
      saved.type = type;
    }
    saved_.push_back(saved);
    active_ = true;
    const DWORD value = setting.value;
    if (RegSetValueExA(key.get(), setting.name.c_str(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&value), sizeof value) != ERROR_SUCCESS) {
      error = "cannot store the setting " + setting.name;
      Restore();
      return false;
    }
  }
  activeOverride = this;
  SetConsoleCtrlHandler(RestoreOnConsoleEvent, TRUE);
  return true;
}

void SettingsOverride::Restore() {
  if (!active_) return;
  active_ = false;
  if (activeOverride == this) {
    SetConsoleCtrlHandler(RestoreOnConsoleEvent, FALSE);
    activeOverride = nullptr;
  }
  const UniqueKey key = OpenSettings();
  if (key == nullptr) return;
  // Put back in reverse order, so a setting named twice ends as it began.
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->existed)
      RegSetValueExA(key.get(), it->name.c_str(), 0, it->type,
                     it->data.empty() ? nullptr : it->data.data(),
                     static_cast<DWORD>(it->data.size()));
    else
      RegDeleteValueA(key.get(), it->name.c_str());
  }
  saved_.clear();
}
