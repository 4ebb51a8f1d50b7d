// The plug-in loaded as a host loads it: LoadLibraryA and GetProcAddress.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "plugin/plugin_api.h"

struct PluginHost {
  using GetPluginInfoFn = decltype(&::GetPluginInfo);
  using IsSupportedFn = decltype(&::IsSupported);
  using GetPictureInfoFn = decltype(&::GetPictureInfo);
  using GetPictureFn = decltype(&::GetPicture);
  using GetPluginInfoWFn = decltype(&::GetPluginInfoW);
  using IsSupportedWFn = decltype(&::IsSupportedW);
  using GetPictureInfoWFn = decltype(&::GetPictureInfoW);
  using GetPictureWFn = decltype(&::GetPictureW);
  using ConfigurationDlgFn = decltype(&::ConfigurationDlg);

  HMODULE module = nullptr;
  GetPluginInfoFn getPluginInfo = nullptr;
  IsSupportedFn isSupported = nullptr;
  GetPictureInfoFn getPictureInfo = nullptr;
  GetPictureFn getPicture = nullptr;
  GetPictureFn getPreview = nullptr;
  GetPluginInfoWFn getPluginInfoW = nullptr;
  IsSupportedWFn isSupportedW = nullptr;
  GetPictureInfoWFn getPictureInfoW = nullptr;
  GetPictureWFn getPictureW = nullptr;
  GetPictureWFn getPreviewW = nullptr;
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
    getPluginInfoW = reinterpret_cast<GetPluginInfoWFn>(GetProcAddress(module, "GetPluginInfoW"));
    isSupportedW = reinterpret_cast<IsSupportedWFn>(GetProcAddress(module, "IsSupportedW"));
    getPictureInfoW =
        reinterpret_cast<GetPictureInfoWFn>(GetProcAddress(module, "GetPictureInfoW"));
    getPictureW = reinterpret_cast<GetPictureWFn>(GetProcAddress(module, "GetPictureW"));
    getPreviewW = reinterpret_cast<GetPictureWFn>(GetProcAddress(module, "GetPreviewW"));
  }
  ~PluginHost() {
    if (module != nullptr) FreeLibrary(module);
  }
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;
};

// A test suite sharing one loaded plug-in; each test first checks that it
// loaded and exports every function.
class PluginSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { host = new PluginHost; }
  static void TearDownTestSuite() {
    delete host;
    host = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(host->module, nullptr) << "cannot load " << TAMSA_SPI_PATH;
    ASSERT_NE(host->getPluginInfo, nullptr);
    ASSERT_NE(host->isSupported, nullptr);
    ASSERT_NE(host->getPictureInfo, nullptr);
    ASSERT_NE(host->getPicture, nullptr);
    ASSERT_NE(host->getPreview, nullptr);
    ASSERT_NE(host->configurationDlg, nullptr);
    ASSERT_NE(host->getPluginInfoW, nullptr);
    ASSERT_NE(host->isSupportedW, nullptr);
    ASSERT_NE(host->getPictureInfoW, nullptr);
    ASSERT_NE(host->getPictureW, nullptr);
    ASSERT_NE(host->getPreviewW, nullptr);
  }

  static inline PluginHost* host = nullptr;
};
