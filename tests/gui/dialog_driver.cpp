#include "gui/dialog_driver.h"

#include <colordlg.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "settings/plugin_settings.h"

namespace {

bool IsDialogClass(HWND window) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  return lstrcmpW(name, L"#32770") == 0;
}

struct ChooserSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK ConsiderChooser(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<ChooserSearch*>(context);
  if (window != search->owner && IsDialogClass(window) &&
      GetWindow(window, GW_OWNER) == search->owner && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

void CloseWhatIsLeft(HWND dialog) {
  if (const HWND chooser = FindChooser(dialog)) {
    PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
    WaitUntil([&] { return !IsWindow(chooser); });
  }
  if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void WaitUntilGone(HWND dialog) {
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "the dialog stayed open";
}

}  // namespace

std::string Utf8(const std::wstring& text) {
  std::string bytes(text.size() * 3 + 1, '\0');
  const int written = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0],
                                          static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(written > 0 ? written - 1 : 0);
  return bytes;
}

bool WaitUntil(const std::function<bool()>& done, DWORD patienceMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > patienceMs) return false;
    Sleep(50);
  }
  return true;
}

HWND FindSettingsDialog() {
  const HWND dialog = FindWindowW(L"#32770", kSettingsCaption);
  return dialog != nullptr && IsWindowVisible(dialog) ? dialog : nullptr;
}

namespace {

BOOL CALLBACK ConsiderAnyDialog(HWND window, LPARAM context) {
  if (IsDialogClass(window) && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
  }
  return TRUE;
}

// Any dialog the thread shows, whatever its caption says.
HWND FindDialogOf(DWORD thread) {
  HWND found = nullptr;
  EnumThreadWindows(thread, ConsiderAnyDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

DialogRun RunSettingsDialog(ConfigurationDlgFn configure, HWND parent, int function,
                            const std::function<void(HWND dialog)>& drive) {
  DialogRun run;
  std::atomic<bool> returned{false};
  std::atomic<bool> appeared{false};
  const DWORD hostThread = GetCurrentThreadId();
  std::thread user([&] {
    HWND dialog = nullptr;
    HWND stranger = nullptr;
    WaitUntil([&] {
      dialog = FindSettingsDialog();
      if (dialog == nullptr) {
        stranger = FindDialogOf(hostThread);
        // The settings dialog may have become visible between the two looks.
        if (stranger != nullptr && WindowText(stranger) == kSettingsCaption) {
          dialog = stranger;
          stranger = nullptr;
        }
      }
      return dialog != nullptr || stranger != nullptr || returned.load();
    });
    if (dialog == nullptr && stranger != nullptr) {
      // A caption that went through the ANSI code page (question marks where
      // it has no Japanese) fails here. Cancelled, or the host's thread would
      // wait in the dialog for ever.
      ADD_FAILURE() << "a dialog appeared, but not captioned \"" << Utf8(kSettingsCaption)
                    << "\" (code page " << GetACP() << "): " << Utf8(WindowText(stranger));
      CloseWhatIsLeft(stranger);
      return;
    }
    if (dialog == nullptr) return;
    appeared = true;
    EXPECT_EQ(GetWindowThreadProcessId(dialog, nullptr), hostThread)
        << "the dialog runs on the host's thread";
    drive(dialog);
    if (IsWindow(dialog)) CloseWhatIsLeft(dialog);
  });
  run.result = configure(parent, function);
  returned = true;
  user.join();
  run.appeared = appeared;
  return run;
}

void Settle(HWND dialog) { SendMessageW(dialog, WM_NULL, 0, 0); }

void Click(HWND window, int id) { SendMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

void CloseWith(HWND dialog, int id) {
  PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
  WaitUntilGone(dialog);
}

void CloseWithKey(HWND dialog, WPARAM key) {
  HWND target = FocusedWindow(dialog);
  if (target == nullptr) target = dialog;
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
  WaitUntilGone(dialog);
}

void CloseWithCloseBox(HWND dialog) {
  PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  WaitUntilGone(dialog);
}

void SetText(HWND dialog, int id, const wchar_t* text) {
  SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void TypeInto(HWND dialog, int id, const wchar_t* text) {
  const HWND field = GetDlgItem(dialog, id);
  SendMessageW(field, EM_SETSEL, 0, -1);
  for (const wchar_t* c = text; *c != L'\0'; ++c) SendMessageW(field, WM_CHAR, *c, 1);
}

std::wstring WindowText(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

std::wstring Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

HWND FocusedWindow(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

HBITMAP SwatchImage(HWND dialog, int id) {
  return reinterpret_cast<HBITMAP>(
      SendMessageW(GetDlgItem(dialog, id), BM_GETIMAGE, IMAGE_BITMAP, 0));
}

BitmapLook Look(HBITMAP bitmap) {
  BitmapLook look;
  BITMAP shape;
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof shape, &shape) != sizeof shape) return look;
  look.width = shape.bmWidth;
  look.height = shape.bmHeight;
  if (look.width <= 0 || look.height <= 0) return look;

  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = look.width;
  format.bmiHeader.biHeight = -look.height;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<size_t>(look.width) * look.height);
  const HDC screen = GetDC(nullptr);
  const int rows =
      GetDIBits(screen, bitmap, 0, look.height, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != look.height) return look;
  const auto colourAt = [&](int x, int y) {
    const DWORD pixel = pixels[static_cast<size_t>(y) * look.width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  };
  look.centre = colourAt(look.width / 2, look.height / 2);
  look.corner = colourAt(0, 0);
  look.readable = true;
  return look;
}

HWND FindChooser(HWND dialog) {
  ChooserSearch search{dialog, nullptr};
  EnumThreadWindows(GetWindowThreadProcessId(dialog, nullptr), ConsiderChooser,
                    reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND OpenChooser(HWND dialog, int swatch) {
  // Posted: the click opens a modal loop of its own.
  PostMessageW(GetDlgItem(dialog, swatch), BM_CLICK, 0, 0);
  HWND chooser = nullptr;
  WaitUntil([&] { return (chooser = FindChooser(dialog)) != nullptr; });
  return chooser;
}

// The red, green and blue fields show only in the chooser's full form, which
// a user opens with "Define Custom Colors >>".
void ShowFullChooser(HWND chooser) {
  if (!IsWindowVisible(GetDlgItem(chooser, COLOR_RED))) Click(chooser, COLOR_MIX);
}

COLORREF ChooserColour(HWND chooser) {
  ShowFullChooser(chooser);
  const UINT red = GetDlgItemInt(chooser, COLOR_RED, nullptr, FALSE);
  const UINT green = GetDlgItemInt(chooser, COLOR_GREEN, nullptr, FALSE);
  const UINT blue = GetDlgItemInt(chooser, COLOR_BLUE, nullptr, FALSE);
  return RGB(red, green, blue);
}

void SetChooserColour(HWND chooser, COLORREF colour) {
  ShowFullChooser(chooser);
  SetDlgItemInt(chooser, COLOR_RED, GetRValue(colour), FALSE);
  SetDlgItemInt(chooser, COLOR_GREEN, GetGValue(colour), FALSE);
  SetDlgItemInt(chooser, COLOR_BLUE, GetBValue(colour), FALSE);
}

void AddCustomColour(HWND chooser, COLORREF colour) {
  SetChooserColour(chooser, colour);
  Click(chooser, COLOR_ADD);
}

bool PickFirstCustomColour(HWND chooser) {
  // Wine's chooser updates its red, green and blue fields only while they
  // show: picked in the short form, the fields would keep the old colour.
  ShowFullChooser(chooser);
  const HWND cells = GetDlgItem(chooser, COLOR_CUSTOM1);
  if (cells == nullptr) return false;
  RECT area;
  GetWindowRect(cells, &area);
  // The middle of the first of 8 x 2 cells, in the chooser's client coordinates.
  POINT point{area.left + (area.right - area.left) / 16, area.top + (area.bottom - area.top) / 4};
  ScreenToClient(chooser, &point);
  const LPARAM where = MAKELPARAM(point.x, point.y);
  SendMessageW(chooser, WM_LBUTTONDOWN, MK_LBUTTON, where);
  SendMessageW(chooser, WM_LBUTTONUP, 0, where);
  return true;
}

void CloseChooser(HWND dialog, HWND chooser, int id) {
  PostMessageW(GetDlgItem(chooser, id), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(chooser); })) << "the colour chooser stayed open";
  // Answered only once the dialog is back in its own loop, the swatch painted.
  Settle(dialog);
}

void ClearSettings() { RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKeyPath); }

void StoreSetting(const char* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kSettingsKeyPath, &key), ERROR_SUCCESS);
  EXPECT_EQ(
      RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
      ERROR_SUCCESS);
  RegCloseKey(key);
}

StoredValue Stored(const char* name) {
  StoredValue stored;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return stored;
  }
  BYTE data[16] = {};
  DWORD size = sizeof data;
  stored.present = RegQueryValueExA(key, name, nullptr, &stored.type, data, &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  if (stored.present) {
    stored.size = size;
    std::memcpy(&stored.value, data, sizeof stored.value);  // little-endian, as stored
  }
  return stored;
}

bool SettingsKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}
