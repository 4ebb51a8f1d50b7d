// The settings dialog as its template lays it out: caption, font, and every
// control in tab order with its id, class, text, style and rectangle (x, y,
// width, height in dialog units). Read by the template test and by the tests
// that compare the live dialog with it.
#pragma once

#include <windows.h>

#include "settings/dialog_ids.h"

// "Tamsa - 設定"
constexpr wchar_t kSettingsCaption[] = L"Tamsa - \u8A2D\u5B9A";
constexpr wchar_t kSettingsFont[] = L"MS Gothic";
constexpr WORD kSettingsFontPoints = 10;
constexpr DWORD kSettingsStyle = DS_MODALFRAME | DS_SETFONT | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;

// The predefined control classes, as the atoms that compact templates carry.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

constexpr WORD kNoId = 0xFFFF;  // -1 in the template
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

struct TemplateControl {
  WORD id;
  WORD classAtom;
  const wchar_t* text;
  DWORD style;
  short x, y, width, height;
};

constexpr TemplateControl kSettingsControls[] = {
    {IDOK, kButtonClass, L"OK", kChild | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 5, 84, 35, 13},
    {IDCANCEL, kButtonClass, L"CANCEL", kChild | WS_TABSTOP | BS_PUSHBUTTON, 45, 84, 35, 13},
    // 初期化
    {IDC_RESET, kButtonClass, L"\u521D\u671F\u5316", kChild | WS_TABSTOP | BS_PUSHBUTTON, 105, 84,
     30, 13},
    {0, kButtonClass, L"Cherry Kiss(CKISS)", kChild | BS_GROUPBOX, 5, 3, 130, 77},
    {0, kButtonClass, L"", kChild | BS_GROUPBOX, 12, 15, 117, 46},
    // 透明度を無視する
    {IDC_ALPHA_IGNORED, kButtonClass, L"\u900F\u660E\u5EA6\u3092\u7121\u8996\u3059\u308B",
     kChild | WS_GROUP | WS_TABSTOP | BS_RADIOBUTTON, 13, 64, 80, 10},
    // 透明度を反映(模様を表示)
    {IDC_ALPHA_SHOWN, kButtonClass,
     L"\u900F\u660E\u5EA6\u3092\u53CD\u6620(\u6A21\u69D8\u3092\u8868\u793A)",
     kChild | WS_TABSTOP | BS_RADIOBUTTON, 13, 15, 100, 10},
    // 模様の色:
    {kNoId, kStaticClass, L"\u6A21\u69D8\u306E\u8272:", kChild | WS_GROUP | SS_LEFT, 21, 28, 35,
     10},
    {IDC_COLOR_LIGHT, kButtonClass, L"", kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP | BS_FLAT,
     25, 40, 12, 12},
    {IDC_COLOR_DARK, kButtonClass, L"", kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_BITMAP | BS_FLAT,
     40, 40, 12, 12},
    // 模様の大きさ:
    {kNoId, kStaticClass, L"\u6A21\u69D8\u306E\u5927\u304D\u3055:", kChild | WS_GROUP | SS_LEFT, 63,
     28, 50, 10},
    {kNoId, kStaticClass, L"\u00D7", kChild | WS_GROUP | SS_LEFT, 92, 45, 10, 10},  // ×
    {IDC_GRID_SIZE_X, kEditClass, L"", kChild | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
     72, 40, 18, 13},
    {IDC_GRID_SIZE_Y, kEditClass, L"", kChild | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
     103, 40, 18, 13},
};
constexpr int kSettingsControlCount = sizeof kSettingsControls / sizeof kSettingsControls[0];
