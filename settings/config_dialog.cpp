// The settings dialog: five display settings read when it opens, all written
// on OK, nothing on CANCEL. Each colour lives in its swatch's window text; the
// swatch shows it as a bitmap that the dialog owns. The dialog and its calls
// are wide, so the template's Japanese texts reach the controls as they are,
// whatever the system's ANSI code page.
#include "settings/config_dialog.h"

#include <commctrl.h>
#include <commdlg.h>

#include "settings/dialog_ids.h"
#include "settings/settings_store.h"
#include "spi/module.h"
#include "spi/owners.h"
#include "spi/plugin_api.h"

COLORREF CustomColors[16] = {};

namespace {

constexpr int kFunctionSettingsDialog = 1;
constexpr COLORREF kLargestColour = 0xFFFFFF;

// Enabled and disabled together, always in this order.
constexpr int kPatternControls[] = {IDC_COLOR_DARK, IDC_COLOR_LIGHT, IDC_GRID_SIZE_X,
                                    IDC_GRID_SIZE_Y};

static_assert(sizeof(void*) != 4 || sizeof(CHOOSECOLORW) == 36, "CHOOSECOLOR record layout");

// Takes the bitmap out of the swatch and deletes it. Taken rather than only
// looked at, so the button never holds a deleted bitmap.
void DeleteSwatchImage(HWND swatch) {
  const HGDIOBJ image =
      reinterpret_cast<HGDIOBJ>(SendMessageW(swatch, BM_SETIMAGE, IMAGE_BITMAP, 0));
  if (image != nullptr) DeleteObject(image);
}

// A bitmap of the swatch's outer size, filled with the colour and edged by
// the default pen (a one-pixel black line), handed to the swatch as its image.
void GiveSwatchBitmap(HWND swatch, COLORREF colour) {
  RECT outer;
  GetWindowRect(swatch, &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;

  // Declared so that they go in the order memory DC, brush, swatch DC.
  const WindowDc swatchDC(swatch);
  const UniqueGdiObject brush(CreateSolidBrush(colour));
  const UniqueMemoryDc memory(CreateCompatibleDC(swatchDC.get()));
  const HBITMAP bitmap = CreateCompatibleBitmap(swatchDC.get(), width, height);
  SelectObject(memory.get(), bitmap);
  SelectObject(memory.get(), brush.get());
  Rectangle(memory.get(), 0, 0, width, height);
  SendMessageW(swatch, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void DeleteSwatchImages(HWND dialog) {
  DeleteSwatchImage(GetDlgItem(dialog, IDC_COLOR_LIGHT));
  DeleteSwatchImage(GetDlgItem(dialog, IDC_COLOR_DARK));
}

void EnablePatternControls(HWND dialog, bool enable) {
  for (int id : kPatternControls) EnableWindow(GetDlgItem(dialog, id), enable ? TRUE : FALSE);
}

void SelectAlphaType(HWND dialog, int id) {
  CheckRadioButton(dialog, IDC_ALPHA_SHOWN, IDC_ALPHA_IGNORED, id);
}

// Without a parent, or with one whose rectangle cannot be read, the dialog is
// centred on the primary monitor's work area instead.
void CentreDialog(HWND dialog, HWND parent) {
  RECT outer;
  if (parent == nullptr || !GetWindowRect(parent, &outer)) {
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &outer, 0)) {
      SetRect(&outer, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    }
  }
  RECT own;
  if (!GetWindowRect(dialog, &own)) return;
  // Signed division that truncates toward zero; the dialog may leave the screen.
  const LONG x = outer.left + ((outer.right - outer.left) - (own.right - own.left)) / 2;
  const LONG y = outer.top + ((outer.bottom - outer.top) - (own.bottom - own.top)) / 2;
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

DWORD ReadOrDefault(HKEY key, const char* name, DWORD fallback) {
  DWORD type = 0;
  DWORD value = 0;
  return ReadSetting(key, name, &type, &value) ? value : fallback;
}

void WriteNumber(HKEY key, const char* name, DWORD value) {
  WriteSetting(key, name, REG_DWORD, &value, sizeof value);
}

void AddStaticEdge(HWND dialog, int id) {
  const HWND swatch = GetDlgItem(dialog, id);
  SetWindowLongW(swatch, GWL_EXSTYLE, GetWindowLongW(swatch, GWL_EXSTYLE) | WS_EX_STATICEDGE);
}

// Unsigned decimal text of a control; text that does not convert gives 0.
UINT NumberIn(HWND dialog, int id) { return GetDlgItemInt(dialog, id, nullptr, FALSE); }

INT_PTR OnOpen(HWND dialog, HWND parent) {
  InitCommonControls();
  CentreDialog(dialog, parent);

  const PluginSettings defaults;
  // Created when absent; every value read through this one handle.
  const UniqueKey key = OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  const DWORD alphaType = ReadOrDefault(key.get(), kAlphaTypeName, defaults.AlphaType);
  // Only 0 and 1 name a button; any other value leaves both unchecked.
  SelectAlphaType(dialog, static_cast<int>(IDC_ALPHA_SHOWN + alphaType));
  if (alphaType != 0) EnablePatternControls(dialog, false);
  SetDlgItemInt(dialog, IDC_GRID_SIZE_X,
                ReadOrDefault(key.get(), kGridSizeXName, static_cast<DWORD>(defaults.GridSizeX)),
                FALSE);
  SetDlgItemInt(dialog, IDC_GRID_SIZE_Y,
                ReadOrDefault(key.get(), kGridSizeYName, static_cast<DWORD>(defaults.GridSizeY)),
                FALSE);
  PaintColorSwatch(dialog, IDC_COLOR_LIGHT,
                   ReadOrDefault(key.get(), kColorLightName, defaults.ColorLight));
  PaintColorSwatch(dialog, IDC_COLOR_DARK,
                   ReadOrDefault(key.get(), kColorDarkName, defaults.ColorDark));
  AddStaticEdge(dialog, IDC_COLOR_LIGHT);
  AddStaticEdge(dialog, IDC_COLOR_DARK);
  return TRUE;  // the dialog manager focuses the first tab stop, OK
}

INT_PTR OnOk(HWND dialog) {
  DeleteSwatchImages(dialog);
  // The key the opening created; a failed open or write goes unnoticed.
  const UniqueKey key = OpenExistingSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  WriteNumber(key.get(), kAlphaTypeName,
              IsDlgButtonChecked(dialog, IDC_ALPHA_SHOWN) == BST_CHECKED ? 0 : 1);
  WriteNumber(key.get(), kColorLightName, NumberIn(dialog, IDC_COLOR_LIGHT));
  WriteNumber(key.get(), kColorDarkName, NumberIn(dialog, IDC_COLOR_DARK));
  WriteNumber(key.get(), kGridSizeXName, NumberIn(dialog, IDC_GRID_SIZE_X));
  WriteNumber(key.get(), kGridSizeYName, NumberIn(dialog, IDC_GRID_SIZE_Y));
  EndDialog(dialog, 1);
  return TRUE;
}

INT_PTR OnCancel(HWND dialog) {
  DeleteSwatchImages(dialog);
  EndDialog(dialog, 0);
  return TRUE;
}

void OnReset(HWND dialog) {
  const PluginSettings defaults;
  SelectAlphaType(dialog, IDC_ALPHA_SHOWN);
  EnablePatternControls(dialog, true);
  SetDlgItemInt(dialog, IDC_GRID_SIZE_X, static_cast<UINT>(defaults.GridSizeX), FALSE);
  SetDlgItemInt(dialog, IDC_GRID_SIZE_Y, static_cast<UINT>(defaults.GridSizeY), FALSE);
  PaintColorSwatch(dialog, IDC_COLOR_LIGHT, defaults.ColorLight);
  PaintColorSwatch(dialog, IDC_COLOR_DARK, defaults.ColorDark);
}

// The system's colour chooser in its basic form, starting at the swatch's
// colour; a confirmed choice repaints the swatch, a cancelled one changes nothing.
void ChooseSwatchColour(HWND dialog, int id) {
  CHOOSECOLORW choice = {};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = dialog;
  choice.hInstance = nullptr;
  choice.rgbResult = NumberIn(dialog, id);
  choice.lpCustColors = CustomColors;
  choice.Flags = CC_RGBINIT;
  if (ChooseColorW(&choice)) PaintColorSwatch(dialog, id, choice.rgbResult);
}

// Any command from a control acts as a click: the notification is not read.
INT_PTR OnCommand(HWND dialog, int id) {
  switch (id) {
    case IDOK:
      return OnOk(dialog);
    case IDCANCEL:
      return OnCancel(dialog);
    case IDC_ALPHA_SHOWN:
    case IDC_ALPHA_IGNORED:
      SelectAlphaType(dialog, id);
      EnablePatternControls(dialog, id == IDC_ALPHA_SHOWN);
      return FALSE;
    case IDC_COLOR_LIGHT:
    case IDC_COLOR_DARK:
      ChooseSwatchColour(dialog, id);
      return FALSE;
    case IDC_RESET:
      OnReset(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void PaintColorSwatch(HWND dialog, int id, COLORREF colour) {
  const HWND swatch = GetDlgItem(dialog, id);
  DeleteSwatchImage(swatch);
  if (colour > kLargestColour) return;
  GiveSwatchBitmap(swatch, colour);
  SetDlgItemInt(dialog, id, colour, FALSE);
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnOpen(dialog, reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      return OnCommand(dialog, LOWORD(wParam));
    default:
      return FALSE;
  }
}

extern "C" int WINAPI ConfigurationDlg(HWND parent, int function) {
  if (function != kFunctionSettingsDialog) return kResultNotServed;
  // The outcome of the dialog run is not reported: 0 whatever the user chose.
  DialogBoxParamW(ModuleInstance, MAKEINTRESOURCEW(IDD_SETTINGS), parent, SettingsDialogProc,
                  reinterpret_cast<LPARAM>(parent));
  return kResultSuccess;
}
