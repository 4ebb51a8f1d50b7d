// A user at the settings dialog: the host's thread runs ConfigurationDlg while
// a second thread finds the dialog and works it through its controls, as
// clicks, typing and keys would, and the colour chooser likewise.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "gui/settings_template.h"

// Wine under emulation answers slowly; every wait gives up after this.
constexpr DWORD kPatienceMs = 180000;

using ConfigurationDlgFn = int(WINAPI*)(HWND, int);

struct DialogRun {
  int result = -2;
  bool appeared = false;
};

// Calls configure(parent, function) on this thread while `drive` works the
// dialog from another, if one appears. What the driver leaves open (after a
// failed check) is cancelled, so the call always returns.
DialogRun RunSettingsDialog(ConfigurationDlgFn configure, HWND parent, int function,
                            const std::function<void(HWND dialog)>& drive);

HWND FindSettingsDialog();
bool WaitUntil(const std::function<bool()>& done, DWORD patienceMs = kPatienceMs);

// A round trip through the dialog's thread: everything it was doing is done.
void Settle(HWND dialog);

// Clicks that return once the dialog has handled them.
void Click(HWND window, int id);
// Presses OK or CANCEL and waits until the dialog has gone.
void CloseWith(HWND dialog, int id);
// Presses a key at the focused control (Enter, Escape) and waits until the dialog has gone.
void CloseWithKey(HWND dialog, WPARAM key);
// The close box, and wait until the dialog has gone.
void CloseWithCloseBox(HWND dialog);

void SetText(HWND dialog, int id, const wchar_t* text);
// Selects the field's text and types over it, a character at a time.
void TypeInto(HWND dialog, int id, const wchar_t* text);

std::wstring WindowText(HWND window);
std::wstring Text(HWND dialog, int id);
// Text as gtest prints it.
std::string Utf8(const std::wstring& text);
bool Checked(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
HWND FocusedWindow(HWND dialog);
HBITMAP SwatchImage(HWND dialog, int id);

struct BitmapLook {
  bool readable = false;
  int width = 0;
  int height = 0;
  COLORREF centre = 0;
  COLORREF corner = 0;  // top left
};
BitmapLook Look(HBITMAP bitmap);

// The colour chooser owned by the dialog.
HWND OpenChooser(HWND dialog, int swatch);  // clicks the swatch; null if no chooser came
HWND FindChooser(HWND dialog);
// The current colour, read from and set through its red, green and blue
// fields; both open the chooser's full form first, where the fields show.
COLORREF ChooserColour(HWND chooser);
void SetChooserColour(HWND chooser, COLORREF colour);
// Sets the colour and adds it to the custom colours.
void AddCustomColour(HWND chooser, COLORREF colour);
// Clicks the first custom-colour cell, which makes its colour the current one.
bool PickFirstCustomColour(HWND chooser);
// Presses the chooser's OK or Cancel; returns once the dialog has dealt with
// the choice.
void CloseChooser(HWND dialog, HWND chooser, int id);

// The settings key of the current user.
void ClearSettings();
void StoreSetting(const char* name, DWORD value);
struct StoredValue {
  bool present = false;
  DWORD type = 0;
  DWORD size = 0;
  DWORD value = 0;
};
StoredValue Stored(const char* name);
bool SettingsKeyExists();
