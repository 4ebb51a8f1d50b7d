// The plug-in's settings key in the real registry, as the tests use it: the
// key is saved as it was found, emptied of the five values, and put back.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/plugin_settings.h"
#include "spi/owners.h"

class SettingsKeyGuard {
 public:
  SettingsKeyGuard() {
    const UniqueKey key = Open(KEY_READ);
    existed_ = key != nullptr;
    for (const char* name : kNames) {
      Saved saved{name, false, 0, {}};
      DWORD size = 0;
      if (existed_ &&
          RegQueryValueExA(key.get(), name, nullptr, &saved.type, nullptr, &size) == 0) {
        saved.data.resize(size);
        saved.present =
            RegQueryValueExA(key.get(), name, nullptr, &saved.type,
                             saved.data.empty() ? nullptr : saved.data.data(), &size) == 0;
      }
      saved_.push_back(saved);
    }
    for (const char* name : kNames) Remove(name);
  }

  ~SettingsKeyGuard() {
    if (!existed_) {
      RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
      return;
    }
    for (const Saved& saved : saved_) {
      Remove(saved.name);
      if (saved.present) {
        Set(saved.name, saved.type, saved.data.empty() ? nullptr : saved.data.data(),
            static_cast<DWORD>(saved.data.size()));
      }
    }
  }
  SettingsKeyGuard(const SettingsKeyGuard&) = delete;
  SettingsKeyGuard& operator=(const SettingsKeyGuard&) = delete;

  // Stores a value of any type and size, creating the key when needed.
  static bool Set(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY created = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKeyPath, &created) != 0) return false;
    const UniqueKey key(created);
    return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
  }
  static bool SetDword(const char* name, DWORD value) {
    return Set(name, REG_DWORD, &value, sizeof value);
  }
  static void Remove(const char* name) {
    const UniqueKey key = Open(KEY_SET_VALUE);
    if (key != nullptr) RegDeleteValueA(key.get(), name);
  }
  static bool KeyExists() { return Open(KEY_READ) != nullptr; }
  // Removes the (then empty) key itself; true when it is gone.
  static bool DeleteKey() {
    for (const char* name : kNames) Remove(name);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath);
    return !KeyExists();
  }
  // A stored value as raw bytes, or an empty vector when absent.
  static std::vector<BYTE> Get(const char* name, DWORD* type) {
    std::vector<BYTE> data(64);
    const UniqueKey key = Open(KEY_READ);
    if (key == nullptr) return {};
    DWORD size = static_cast<DWORD>(data.size());
    if (RegQueryValueExA(key.get(), name, nullptr, type, data.data(), &size) != 0) size = 0;
    data.resize(size);
    return data;
  }

  static constexpr const char* kNames[] = {kAlphaTypeName, kColorLightName, kColorDarkName,
                                           kGridSizeXName, kGridSizeYName};

 private:
  static UniqueKey Open(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, access, &key) != 0) return nullptr;
    return UniqueKey(key);
  }
  struct Saved {
    const char* name;
    bool present;
    DWORD type;
    std::vector<BYTE> data;
  };
  bool existed_ = false;
  std::vector<Saved> saved_;
};

// The process's open handles, or -1 when the system does not count them
// (checked by opening one more and seeing the count move).
inline long OpenHandleCount() {
  DWORD before = 0;
  DWORD during = 0;
  if (!GetProcessHandleCount(GetCurrentProcess(), &before)) return -1;
  HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  GetProcessHandleCount(GetCurrentProcess(), &during);
  CloseHandle(probe);
  if (during != before + 1) return -1;
  return static_cast<long>(before);
}
