#include "settings/settings_store.h"

UniqueKey OpenSettingsKey(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegCreateKeyA(root, path, &key) != ERROR_SUCCESS) return nullptr;
  return UniqueKey(key);
}

UniqueKey OpenExistingSettingsKey(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return nullptr;
  return UniqueKey(key);
}

bool ReadSetting(HKEY key, const char* name, DWORD* type, DWORD* destination) {
  if (key == nullptr) return false;
  DWORD value = 0;
  DWORD size = sizeof value;
  const bool read = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&value),
                                     &size) == ERROR_SUCCESS;
  if (read) *destination = value;
  return read;
}

bool WriteSetting(HKEY key, const char* name, DWORD type, const void* data, DWORD size) {
  if (key == nullptr) return false;
  return RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

PluginSettings ReadDecoderSettings() {
  PluginSettings settings;
  const UniqueKey key = OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  DWORD type = 0;
  DWORD value = 0;
  if (!ReadSetting(key.get(), kAlphaTypeName, &type, &value)) return settings;
  if (value != 0) {
    settings.AlphaType = 1;
    return settings;
  }
  if (ReadSetting(key.get(), kColorLightName, &type, &value)) settings.ColorLight = value;
  if (ReadSetting(key.get(), kColorDarkName, &type, &value)) settings.ColorDark = value;
  if (ReadSetting(key.get(), kGridSizeXName, &type, &value))
    settings.GridSizeX = static_cast<std::int32_t>(value);
  if (ReadSetting(key.get(), kGridSizeYName, &type, &value))
    settings.GridSizeY = static_cast<std::int32_t>(value);
  return settings;
}
