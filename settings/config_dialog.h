// The settings dialog that the host opens through ConfigurationDlg: its dialog
// procedure, the painting of the two colour swatches and the colour chooser's
// custom colours.
#pragma once

#include <windows.h>

// Offered to the colour chooser by both swatches and by every opening of the
// dialog while the library stays loaded; never saved.
extern COLORREF CustomColors[16];

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Replaces the swatch's bitmap by one filled with the colour and puts the
// colour into the swatch's text; a colour above 0xFFFFFF only removes the old
// bitmap.
void PaintColorSwatch(HWND dialog, int id, COLORREF colour);
