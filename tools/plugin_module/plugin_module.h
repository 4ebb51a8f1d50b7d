// A Susie import plug-in loaded as a viewer loads it: LoadLibraryA, then each
// export of the interface looked up by name. Exports the module does not have
// stay null, so a host can tell what it offers. Used by spihost, the
// benchmark and the tests; only the interface of plugin/plugin_api.h is used,
// so any import plug-in serves.
#pragma once

#include <windows.h>

#include "plugin/plugin_api.h"

struct PluginModule {
  using GetPluginInfoFn = decltype(&::GetPluginInfo);
  using IsSupportedFn = decltype(&::IsSupported);
  using GetPictureInfoFn = decltype(&::GetPictureInfo);
  using GetPictureFn = decltype(&::GetPicture);
  using GetPluginInfoWFn = decltype(&::GetPluginInfoW);
  using IsSupportedWFn = decltype(&::IsSupportedW);
  using GetPictureInfoWFn = decltype(&::GetPictureInfoW);
  using GetPictureWFn = decltype(&::GetPictureW);
  using ConfigurationDlgFn = decltype(&::ConfigurationDlg);

  explicit PluginModule(const char* path) : module(LoadLibraryA(path)) {
    if (module == nullptr) {
      loadError = GetLastError();
      return;
    }
    Find(getPluginInfo, "GetPluginInfo");
    Find(isSupported, "IsSupported");
    Find(getPictureInfo, "GetPictureInfo");
    Find(getPicture, "GetPicture");
    Find(getPreview, "GetPreview");
    Find(configurationDlg, "ConfigurationDlg");
    Find(getPluginInfoW, "GetPluginInfoW");
    Find(isSupportedW, "IsSupportedW");
    Find(getPictureInfoW, "GetPictureInfoW");
    Find(getPictureW, "GetPictureW");
    Find(getPreviewW, "GetPreviewW");
  }
  ~PluginModule() {
    if (module != nullptr) FreeLibrary(module);
  }
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  HMODULE module = nullptr;
  DWORD loadError = 0;  // the system's error when the module did not load
  GetPluginInfoFn getPluginInfo = nullptr;
  IsSupportedFn isSupported = nullptr;
  GetPictureInfoFn getPictureInfo = nullptr;
  GetPictureFn getPicture = nullptr;
  GetPictureFn getPreview = nullptr;
  ConfigurationDlgFn configurationDlg = nullptr;
  GetPluginInfoWFn getPluginInfoW = nullptr;
  IsSupportedWFn isSupportedW = nullptr;
  GetPictureInfoWFn getPictureInfoW = nullptr;
  GetPictureWFn getPictureW = nullptr;
  GetPictureWFn getPreviewW = nullptr;

 private:
  template <typename Fn>
  void Find(Fn& function, const char* name) {
    function = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
};
