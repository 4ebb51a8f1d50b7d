// Registry access for the display settings. Each user opens the key once,
// reads or writes every value through that one handle and closes it when the
// owner goes: no registry handle stays open once a user has finished, and no
// state is shared between calls, so users on several threads never meet.
#pragma once

#include <windows.h>

#include "settings/plugin_settings.h"
#include "spi/owners.h"

// The key path under root, created when it does not exist; a null owner when
// it can be neither opened nor created.
UniqueKey OpenSettingsKey(HKEY root, const char* path);
// The existing key path under root with all access, or a null owner.
UniqueKey OpenExistingSettingsKey(HKEY root, const char* path);

// A value of any registry type whose data fits in 4 bytes; a shorter one
// fills the low bytes of a zeroed value. False for a null key.
bool ReadSetting(HKEY key, const char* name, DWORD* type, DWORD* destination);
bool WriteSetting(HKEY key, const char* name, DWORD type, const void* data, DWORD size);

// The decoder's reading, through one open of the key: defaults whole when
// AlphaType cannot be read, nothing more when it is non-zero, otherwise each
// value or its own default. The values are read again whenever the key has
// been written since the last reading (its last write time tells), so every
// picture sees them as they stand in the registry; while it has not, the
// last reading serves.
PluginSettings ReadDecoderSettings();
