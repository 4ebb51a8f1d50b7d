// A Susie import plug-in loaded as a viewer loads it: LoadLibraryA, then each
// export of the interface looked up by name, and the doll plug-in's page
// exports. Exports the module does not have stay null, so a host can tell
// what it offers. Used by spihost, the benchmark and the tests; only the
// interface of spi/plugin_api.h and dollplugin/doll_api.h is used, so any
// import plug-in serves.
#pragma once

#include <windows.h>

#include "dollplugin/doll_api.h"
#include "spi/plugin_api.h"

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
  using GetDollPageFn = decltype(&::GetDollPage);
  using GetDollPageWFn = decltype(&::GetDollPageW);

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
    Find(getDollPage, "GetDollPage");
    Find(getDollPageW, "GetDollPageW");
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
  GetDollPageFn getDollPage = nullptr;  // the doll plug-in's only
  GetDollPageWFn getDollPageW = nullptr;

 private:
  template <typename Fn>
  void Find(Fn& function, const char* name) {
    function = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
};
