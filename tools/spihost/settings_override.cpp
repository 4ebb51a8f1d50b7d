#include "settings_override.h"

#include <windows.h>

namespace {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  bool Open() {
    return RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0,
                           KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                           nullptr) == ERROR_SUCCESS;
  }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

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
  HKEY key = nullptr;
  bool stored = false;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) ==
      ERROR_SUCCESS) {
    stored = RegQueryValueExA(key, "AlphaType", nullptr, nullptr,
                              reinterpret_cast<BYTE*>(&alphaType), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
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
  RegistryKey key;
  if (!key.Open()) {
    error = std::string("cannot open HKEY_CURRENT_USER\\") + kSettingsKeyPath;
    return false;
  }
  for (const SettingOverride& setting : settings) {
    Saved saved;
    saved.name = setting.name;
    DWORD size = 0;
    DWORD type = 0;
    if (RegQueryValueExA(key.Get(), setting.name.c_str(), nullptr, &type, nullptr, &size) ==
        ERROR_SUCCESS) {
      saved.data.resize(size);
      if (RegQueryValueExA(key.Get(), setting.name.c_str(), nullptr, &type,
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
    if (RegSetValueExA(key.Get(), setting.name.c_str(), 0, REG_DWORD,
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
  RegistryKey key;
  if (!key.Open()) return;
  // Put back in reverse order, so a setting named twice ends as it began.
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->existed)
      RegSetValueExA(key.Get(), it->name.c_str(), 0, it->type,
                     it->data.empty() ? nullptr : it->data.data(),
                     static_cast<DWORD>(it->data.size()));
    else
      RegDeleteValueA(key.Get(), it->name.c_str());
  }
  saved_.clear();
}
