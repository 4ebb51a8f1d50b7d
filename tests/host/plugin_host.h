// The plug-in loaded as a host loads it: LoadLibraryA and GetProcAddress.
#pragma once

#include <windows.h>

#include "plugin/plugin_api.h"

struct PluginHost {
  using GetPluginInfoFn = decltype(&::GetPluginInfo);
  using IsSupportedFn = decltype(&::IsSupported);
  using GetPictureInfoFn = decltype(&::GetPictureInfo);
  using GetPictureFn = decltype(&::GetPicture);
  using ConfigurationDlgFn = decltype(&::ConfigurationDlg);

  HMODULE module = nullptr;
  GetPluginInfoFn getPluginInfo = nullptr;
  IsSupportedFn isSupported = nullptr;
  GetPictureInfoFn getPictureInfo = nullptr;
  GetPictureFn getPicture = nullptr;
  GetPictureFn getPreview = nullptr;
  ConfigurationDlgFn configurationDlg = nullptr;

  PluginHost() {
    module = LoadLibraryA(TAMSA_SPI_PATH);
    if (module == nullptr) return;
    getPluginInfo = reinterpret_cast<GetPluginInfoFn>(GetProcAddress(module, "GetPluginInfo"));
    isSupported = reinterpret_cast<IsSupportedFn>(GetProcAddress(module, "IsSupported"));
    getPictureInfo = reinterpret_cast<GetPictureInfoFn>(GetProcAddress(module, "GetPictureInfo"));
    getPicture = reinterpret_cast<GetPictureFn>(GetProcAddress(module, "GetPicture"));
    getPreview = reinterpret_cast<GetPictureFn>(GetProcAddress(module, "GetPreview"));
    configurationDlg =
        reinterpret_cast<ConfigurationDlgFn>(GetProcAddress(module, "ConfigurationDlg"));
  }
  ~PluginHost() {
    if (module != nullptr) FreeLibrary(module);
  }
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;
};
