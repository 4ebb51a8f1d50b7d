// Registry access for the display settings. OpenSettingsKey leaves one handle
// held for the first read or write after it; every access closes the handle it
// used, so no registry handle stays open once a user has finished.
#pragma once

#include <windows.h>

#include "settings/plugin_settings.h"

bool OpenSettingsKey(HKEY root, const char* path);
bool ReadSetting(const char* name, DWORD* type, DWORD* destination);
bool WriteSetting(const char* name, DWORD type, const void* data, DWORD size);

// The decoder's reading: defaults whole when AlphaType cannot be read, nothing
// more when it is non-zero, otherwise each value or its own default.
PluginSettings ReadDecoderSettings();
