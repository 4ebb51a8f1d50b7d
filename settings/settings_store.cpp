#include "settings/settings_store.h"

#include <mutex>

namespace {

// A write time this close to the moment it was seen is not trusted: another
// write in the same tick of the clock would leave it as it is.
constexpr ULONGLONG kTrustMargin = 2 * 10000000ull;  // two seconds

ULONGLONG Ticks(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The settings the decoder last read, and the key's last write time then.
struct KeptSettings {
  bool valid = false;
  ULONGLONG keyWritten = 0;
  PluginSettings settings;
};
std::mutex keptMutex;
KeptSettings kept;

PluginSettings ReadValues(HKEY key) {
  PluginSettings settings;
  DWORD type = 0;
  DWORD value = 0;
  if (!ReadSetting(key, kAlphaTypeName, &type, &value)) return settings;
  if (value != 0) {
    settings.AlphaType = 1;
    return settings;
  }
  if (ReadSetting(key, kColorLightName, &type, &value)) settings.ColorLight = value;
  if (ReadSetting(key, kColorDarkName, &type, &value)) settings.ColorDark = value;
  if (ReadSetting(key, kGridSizeXName, &type, &value))
    settings.GridSizeX = static_cast<std::int32_t>(value);
  if (ReadSetting(key, kGridSizeYName, &type, &value))
    settings.GridSizeY = static_cast<std::int32_t>(value);
  return settings;
}

}  // namespace

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
  // Taken before the key's time is read: a time older than this by the
  // margin changes with any later write.
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const UniqueKey key = OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  if (key == nullptr) return PluginSettings();
  FILETIME written;
  const bool timed =
      RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr, nullptr, &written) == ERROR_SUCCESS;
  if (timed) {
    std::lock_guard<std::mutex> lock(keptMutex);
    // Unwritten since the last reading: the values are as they were read.
    if (kept.valid && kept.keyWritten == Ticks(written)) return kept.settings;
  }
  const PluginSettings settings = ReadValues(key.get());
  if (timed && Ticks(written) + kTrustMargin < Ticks(now)) {
    std::lock_guard<std::mutex> lock(keptMutex);
    kept = {true, Ticks(written), settings};
  }
  return settings;
}
