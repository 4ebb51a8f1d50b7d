// The settings dialog of the loaded tamsa.spi, opened as a host opens it: a
// fixture that opens it once per call to Open and checks afterwards that the
// plug-in gave back everything it took, and the host windows it centres on.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/dialog_driver.h"
#include "host/plugin_host.h"
#include "support/call_ledger.h"

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kLightGrey = 0xC0C0C0;
constexpr COLORREF kBlack = 0;

// A top-level window of the host's thread, placed exactly.
class HostWindow {
 public:
  HostWindow(int x, int y, int width, int height);
  ~HostWindow();
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  HWND get() const { return window_; }
  RECT Rect() const;

 private:
  HWND window_ = nullptr;
};

// The value is stored as a REG_DWORD of 4 bytes.
void ExpectStored(const char* name, DWORD value);

class SettingsDialog : public ::testing::Test {
 protected:
  struct Opening {
    DialogRun run;
    CallLedger ledger;
  };

  static void SetUpTestSuite() { Load(); }
  static void TearDownTestSuite();
  // A fresh load of the library: its process-wide state starts anew.
  static void Load();

  void SetUp() override;
  void TearDown() override { ClearSettings(); }

  // One opening of the dialog, driven by `drive`. Afterwards nothing the
  // plug-in took may be left: GDI objects, window DCs, registry keys, and
  // every swatch bitmap the user saw is deleted.
  Opening Open(HWND parent, const std::function<void(HWND)>& drive);

  // The swatch shows the colour: as its text, and as a bitmap of its own outer
  // size, filled with the colour and edged in black, framed by a static edge.
  void ExpectSwatch(HWND dialog, int id, COLORREF colour);
  void ExpectBlankSwatch(HWND dialog, int id);
  // The swatch's bitmap, remembered so that its deletion can be checked.
  HBITMAP Image(HWND dialog, int id);

  static PluginHost* host;
  static bool watched;
  static std::string unwatched;
  std::vector<HBITMAP> seen;  // touched by the user's thread only while it runs
};
