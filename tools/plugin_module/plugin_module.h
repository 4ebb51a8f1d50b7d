// A Susie plug-in loaded as a viewer loads it: LoadLibraryA, then each
// export of the interface looked up by name, the doll plug-in's page exports
// and the archive kind's exports. Exports the module does not have stay null,
// so a host can tell what it offers. Used by spihost, the benchmark and the
// tests; only the interface of spi/plugin_api.h, spi/archive_api.h and
// dollplugin/doll_api.h is used, so any plug-in serves.
#pragma once

#include <windows.h>

#include "dollplugin/doll_api.h"
#include "spi/archive_api.h"
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
  using GetArchiveInfoFn = decltype(&::GetArchiveInfo);
  using GetArchiveInfoWFn = decltype(&::GetArchiveInfoW);
  using GetFileInfoFn = decltype(&::GetFileInfo);
  using GetFileInfoWFn = decltype(&::GetFileInfoW);
  using GetFileFn = decltype(&::GetFile);
  using GetFileWFn = decltype(&::GetFileW);

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
    Find(getArchiveInfo, "GetArchiveInfo");
    Find(getArchiveInfoW, "GetArchiveInfoW");
    Find(getFileInfo, "GetFileInfo");
    Find(getFileInfoW, "GetFileInfoW");
    Find(getFile, "GetFile");
    Find(getFileW, "GetFileW");
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
  // The archive kind's ("00AM").
  GetArchiveInfoFn getArchiveInfo = nullptr;
  GetArchiveInfoWFn getArchiveInfoW = nullptr;
  GetFileInfoFn getFileInfo = nullptr;
  GetFileInfoWFn getFileInfoW = nullptr;
  GetFileFn getFile = nullptr;
  GetFileWFn getFileW = nullptr;

 private:
  template <typename Fn>
  void Find(Fn& function, const char* name) {
    function = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  }
};
