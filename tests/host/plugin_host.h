// The plug-in loaded as a host loads it, for the tests.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "tools/plugin_module/plugin_module.h"

// The build's own plug-in, loaded as a viewer loads it.
struct PluginHost : PluginModule {
  PluginHost() : PluginModule(TAMSA_SPI_PATH) {}
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
