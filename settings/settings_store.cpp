#include "settings/settings_store.h"

namespace {

HKEY heldKey = nullptr;
HKEY rememberedRoot = nullptr;
const char* rememberedPath = nullptr;

// The held handle when there is one, otherwise the remembered key opened
// afresh. Null when neither is available.
HKEY TakeKey() {
  if (heldKey != nullptr) {
    HKEY key = heldKey;
    heldKey = nullptr;
    return key;
  }
  if (rememberedPath == nullptr) return nullptr;
  HKEY key = nullptr;
  if (RegOpenKeyExA(rememberedRoot, rememberedPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  return key;
}

}  // namespace

bool OpenSettingsKey(HKEY root, const char* path) {
  // A handle still held from an earlier open is closed rather than leaked.
  if (heldKey != nullptr) {
    RegCloseKey(heldKey);
    heldKey = nullptr;
  }
  HKEY key = nullptr;
  const bool opened = RegCreateKeyA(root, path, &key) == ERROR_SUCCESS;
  heldKey = opened ? key : nullptr;
  rememberedRoot = root;
  rememberedPath = path;
  return opened;
}

bool ReadSetting(const char* name, DWORD* type, DWORD* destination) {
  HKEY key = TakeKey();
  if (key == nullptr) return false;
  // A value shorter than 4 bytes fills only the low bytes of a zeroed value.
  DWORD value = 0;
  DWORD size = sizeof value;
  const bool read = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(&value),
                                     &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  if (read) *destination = value;
  return read;
}

bool WriteSetting(const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key = TakeKey();
  if (key == nullptr) return false;
  const bool written =
      RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
}

PluginSettings ReadDecoderSettings() {
  PluginSettings settings;
  OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  DWORD type = 0;
  DWORD value = 0;
  if (!ReadSetting(kAlphaTypeName, &type, &value)) return settings;
  if (value != 0) {
    settings.AlphaType = 1;
    return settings;
  }
  if (ReadSetting(kColorLightName, &type, &value)) settings.ColorLight = value;
  if (ReadSetting(kColorDarkName, &type, &value)) settings.ColorDark = value;
  if (ReadSetting(kGridSizeXName, &type, &value))
    settings.GridSizeX = static_cast<std::int32_t>(value);
  if (ReadSetting(kGridSizeYName, &type, &value))
    settings.GridSizeY = static_cast<std::int32_t>(value);
  return settings;
}
