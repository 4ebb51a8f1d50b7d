#include "gui/settings_dialog_fixture.h"

#include "settings/plugin_settings.h"

HostWindow::HostWindow(int x, int y, int width, int height) {
  static const ATOM windowClass = [] {
    WNDCLASSW description = {};
    description.lpfnWndProc = DefWindowProcW;
    description.hInstance = GetModuleHandleW(nullptr);
    description.lpszClassName = L"TamsaTestHost";
    return RegisterClassW(&description);
  }();
  if (windowClass != 0) {
    window_ = CreateWindowExW(0, L"TamsaTestHost", L"host", WS_POPUP | WS_BORDER | WS_VISIBLE, x, y,
                              width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
}

HostWindow::~HostWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

RECT HostWindow::Rect() const {
  RECT outer = {};
  GetWindowRect(window_, &outer);
  return outer;
}

void ExpectStored(const char* name, DWORD value) {
  const StoredValue stored = Stored(name);
  EXPECT_TRUE(stored.present) << name;
  EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD)) << name;
  EXPECT_EQ(stored.size, 4u) << name;
  EXPECT_EQ(stored.value, value) << name;
}

PluginHost* SettingsDialog::host = nullptr;
bool SettingsDialog::watched = false;
std::string SettingsDialog::unwatched;

void SettingsDialog::TearDownTestSuite() {
  delete host;
  host = nullptr;
  ClearSettings();
}

void SettingsDialog::Load() {
  delete host;
  host = new PluginHost;
  watched = host->module != nullptr && WatchPluginCalls(host->module, &unwatched);
}

void SettingsDialog::SetUp() {
  ASSERT_NE(host->module, nullptr) << "cannot load " << TAMSA_SPI_PATH;
  ASSERT_NE(host->configurationDlg, nullptr);
  ASSERT_TRUE(watched) << "not imported by the plug-in: " << unwatched;
  const HDC screen = GetDC(nullptr);
  const int depth = GetDeviceCaps(screen, BITSPIXEL);
  ReleaseDC(nullptr, screen);
  ASSERT_GE(depth, 24) << "swatch colours are compared exactly: use a true-colour display";
  ClearSettings();
}

SettingsDialog::Opening SettingsDialog::Open(HWND parent, const std::function<void(HWND)>& drive) {
  seen.clear();
  ResetLedger();
  const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  Opening opening{RunSettingsDialog(host->configurationDlg, parent, 1, drive), {}};
  opening.ledger = TakeLedger();
  const DWORD objectsAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);

  EXPECT_TRUE(opening.run.appeared) << "the settings dialog did not appear";
  EXPECT_EQ(opening.run.result, 0);
  EXPECT_GT(opening.ledger.gdiObjectsCreated, 0) << "no swatch was painted";
  EXPECT_EQ(opening.ledger.gdiObjectsLive, 0) << "GDI objects left behind";
  EXPECT_EQ(opening.ledger.windowDCsLive, 0) << "device contexts not released";
  EXPECT_EQ(opening.ledger.keysLive, 0) << "registry keys left open";
  for (HBITMAP image : seen) {
    EXPECT_EQ(GetObjectType(image), 0u) << "swatch bitmap " << image << " not deleted";
  }
  // Where the system counts a process's GDI objects (Wine does not), that
  // count must not have grown either.
  if (objectsBefore != 0) {
    EXPECT_LE(objectsAfter, objectsBefore);
  }
  return opening;
}

void SettingsDialog::ExpectSwatch(HWND dialog, int id, COLORREF colour) {
  SCOPED_TRACE("swatch " + std::to_string(id));
  EXPECT_EQ(Text(dialog, id), std::to_wstring(colour));
  const HWND swatch = GetDlgItem(dialog, id);
  EXPECT_NE(GetWindowLongW(swatch, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0);
  const HBITMAP image = Image(dialog, id);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(GetObjectType(image), static_cast<DWORD>(OBJ_BITMAP));
  RECT outer;
  GetWindowRect(swatch, &outer);
  const BitmapLook look = Look(image);
  ASSERT_TRUE(look.readable);
  EXPECT_EQ(look.width, outer.right - outer.left);
  EXPECT_EQ(look.height, outer.bottom - outer.top);
  EXPECT_EQ(look.centre, colour);
  EXPECT_EQ(look.corner, kBlack);
}

void SettingsDialog::ExpectBlankSwatch(HWND dialog, int id) {
  SCOPED_TRACE("swatch " + std::to_string(id));
  EXPECT_EQ(Text(dialog, id), L"");
  EXPECT_EQ(Image(dialog, id), nullptr);
}

HBITMAP SettingsDialog::Image(HWND dialog, int id) {
  const HBITMAP image = SwatchImage(dialog, id);
  if (image != nullptr) seen.push_back(image);
  return image;
}
