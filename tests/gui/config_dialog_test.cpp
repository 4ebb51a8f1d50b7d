// The settings dialog opened through the loaded tamsa.spi, as a host opens
// it, and worked from a second thread as a user would: what it shows, what
// the controls do, what OK and CANCEL leave in the registry, the colour
// chooser and its custom colours, where the dialog goes, and that it gives
// back every GDI object, device context and registry key it takes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/dialog_driver.h"
#include "gui/settings_dialog_fixture.h"
#include "settings/dialog_ids.h"
#include "settings/plugin_settings.h"

namespace {

RECT WorkArea() {
  RECT area = {};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

void ExpectCentredOn(HWND dialog, const RECT& outer) {
  RECT own;
  ASSERT_TRUE(GetWindowRect(dialog, &own));
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  EXPECT_EQ(own.left, outer.left + ((outer.right - outer.left) - width) / 2);
  EXPECT_EQ(own.top, outer.top + ((outer.bottom - outer.top) - height) / 2);
}

void ExpectAllFiveWritten(const CallLedger& ledger) {
  const std::vector<std::string> order = {kAlphaTypeName, kColorLightName, kColorDarkName,
                                          kGridSizeXName, kGridSizeYName};
  ASSERT_EQ(ledger.writes.size(), order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(ledger.writes[i].name, order[i]) << "write " << i;
    EXPECT_EQ(ledger.writes[i].type, static_cast<DWORD>(REG_DWORD)) << order[i];
    EXPECT_EQ(ledger.writes[i].size, 4u) << order[i];
  }
}

void ExpectPatternControls(HWND dialog, bool enabled) {
  for (int id : {IDC_COLOR_LIGHT, IDC_COLOR_DARK, IDC_GRID_SIZE_X, IDC_GRID_SIZE_Y}) {
    EXPECT_EQ(Enabled(dialog, id), enabled) << "control " << id;
  }
}

TEST_F(SettingsDialog, OnlyFunctionOneOpensIt) {
  HostWindow parent(100, 100, 300, 200);
  ResetLedger();
  for (int function : {0, 2, -1}) {
    const DialogRun run = RunSettingsDialog(host->configurationDlg, parent.get(), function,
                                            [](HWND) { ADD_FAILURE() << "a dialog was shown"; });
    EXPECT_EQ(run.result, -1) << "function " << function;
    EXPECT_FALSE(run.appeared) << "function " << function;
  }
  const CallLedger ledger = TakeLedger();
  EXPECT_EQ(ledger.keysOpened, 0) << "the settings are not even read";
  EXPECT_EQ(ledger.gdiObjectsCreated, 0);
  EXPECT_FALSE(SettingsKeyExists());
}

// An owner that is no longer a window: the system may refuse to make the
// dialog, and the result is 0 all the same; where it makes one, there is no
// rectangle to centre on and the dialog goes to the middle of the work area.
TEST_F(SettingsDialog, OwnerThatIsNoWindow) {
  HWND gone = nullptr;
  {
    HostWindow destroyed(100, 100, 300, 200);
    gone = destroyed.get();
  }
  ASSERT_FALSE(IsWindow(gone));
  ResetLedger();
  const DialogRun run = RunSettingsDialog(host->configurationDlg, gone, 1, [](HWND dialog) {
    ExpectCentredOn(dialog, WorkArea());
    CloseWith(dialog, IDCANCEL);
  });
  EXPECT_EQ(run.result, 0);
  const CallLedger ledger = TakeLedger();
  EXPECT_EQ(ledger.gdiObjectsLive, 0);
  EXPECT_EQ(ledger.keysLive, 0);
  EXPECT_TRUE(ledger.writes.empty());
}

TEST_F(SettingsDialog, DefaultsWhenNothingIsStored) {
  HostWindow parent(150, 120, 420, 330);
  const Opening opening = Open(parent.get(), [&](HWND dialog) {
    ExpectCentredOn(dialog, parent.Rect());
    EXPECT_EQ(FocusedWindow(dialog), GetDlgItem(dialog, IDOK)) << "OK has the focus";
    EXPECT_TRUE(Checked(dialog, IDC_ALPHA_SHOWN));
    EXPECT_FALSE(Checked(dialog, IDC_ALPHA_IGNORED));
    ExpectPatternControls(dialog, true);
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_X), L"10");
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_Y), L"10");
    ExpectSwatch(dialog, IDC_COLOR_LIGHT, kWhite);
    ExpectSwatch(dialog, IDC_COLOR_DARK, kLightGrey);
    CloseWith(dialog, IDOK);
  });
  ExpectAllFiveWritten(opening.ledger);
  ExpectStored(kAlphaTypeName, 0);
  ExpectStored(kColorLightName, 0xFFFFFF);
  ExpectStored(kColorDarkName, 0xC0C0C0);
  ExpectStored(kGridSizeXName, 10);
  ExpectStored(kGridSizeYName, 10);
}

TEST_F(SettingsDialog, IgnoredTransparencyRadioButtonsAndResetThenCancel) {
  StoreSetting(kAlphaTypeName, 1);
  StoreSetting(kColorLightName, 0x0000FF);
  StoreSetting(kColorDarkName, 0x00FF00);
  StoreSetting(kGridSizeXName, 3);
  StoreSetting(kGridSizeYName, 4);
  HostWindow parent(40, 60, 640, 480);
  const Opening opening = Open(parent.get(), [&](HWND dialog) {
    // Disabled, but showing what is stored.
    EXPECT_FALSE(Checked(dialog, IDC_ALPHA_SHOWN));
    EXPECT_TRUE(Checked(dialog, IDC_ALPHA_IGNORED));
    ExpectPatternControls(dialog, false);
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_X), L"3");
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_Y), L"4");
    ExpectSwatch(dialog, IDC_COLOR_LIGHT, 0x0000FF);
    ExpectSwatch(dialog, IDC_COLOR_DARK, 0x00FF00);

    Click(dialog, IDC_ALPHA_SHOWN);
    EXPECT_TRUE(Checked(dialog, IDC_ALPHA_SHOWN));
    EXPECT_FALSE(Checked(dialog, IDC_ALPHA_IGNORED));
    ExpectPatternControls(dialog, true);
    Click(dialog, IDC_ALPHA_IGNORED);
    EXPECT_FALSE(Checked(dialog, IDC_ALPHA_SHOWN));
    EXPECT_TRUE(Checked(dialog, IDC_ALPHA_IGNORED));
    ExpectPatternControls(dialog, false);

    const HBITMAP lightBefore = Image(dialog, IDC_COLOR_LIGHT);
    const HBITMAP darkBefore = Image(dialog, IDC_COLOR_DARK);
    Click(dialog, IDC_RESET);
    EXPECT_TRUE(Checked(dialog, IDC_ALPHA_SHOWN));
    EXPECT_FALSE(Checked(dialog, IDC_ALPHA_IGNORED));
    ExpectPatternControls(dialog, true);
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_X), L"10");
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_Y), L"10");
    ExpectSwatch(dialog, IDC_COLOR_LIGHT, kWhite);
    ExpectSwatch(dialog, IDC_COLOR_DARK, kLightGrey);
    // The replaced bitmaps are deleted at once, not at closing.
    EXPECT_EQ(GetObjectType(lightBefore), 0u);
    EXPECT_EQ(GetObjectType(darkBefore), 0u);
    CloseWith(dialog, IDCANCEL);
  });
  EXPECT_TRUE(opening.ledger.writes.empty()) << "CANCEL writes nothing";
  ExpectStored(kAlphaTypeName, 1);
  ExpectStored(kColorLightName, 0x0000FF);
  ExpectStored(kColorDarkName, 0x00FF00);
  ExpectStored(kGridSizeXName, 3);
  ExpectStored(kGridSizeYName, 4);
}

// AlphaType 2 checks neither button and OK stores 1; a stored colour above
// 0xFFFFFF leaves its swatch blank and OK stores 0; sizes go back as unsigned
// numbers. No parent: the dialog is centred on the work area. Closed with Enter.
TEST_F(SettingsDialog, UnknownAlphaTypeAndOversizedColourWithoutParent) {
  StoreSetting(kAlphaTypeName, 2);
  StoreSetting(kColorLightName, 0x01000000);
  StoreSetting(kColorDarkName, 0x00102030);
  StoreSetting(kGridSizeXName, 0xFFFFFFFF);
  StoreSetting(kGridSizeYName, 7);
  const Opening opening = Open(nullptr, [&](HWND dialog) {
    ExpectCentredOn(dialog, WorkArea());
    EXPECT_FALSE(Checked(dialog, IDC_ALPHA_SHOWN));
    EXPECT_FALSE(Checked(dialog, IDC_ALPHA_IGNORED));
    ExpectPatternControls(dialog, false);
    ExpectBlankSwatch(dialog, IDC_COLOR_LIGHT);
    EXPECT_NE(GetWindowLongW(GetDlgItem(dialog, IDC_COLOR_LIGHT), GWL_EXSTYLE) & WS_EX_STATICEDGE,
              0);
    ExpectSwatch(dialog, IDC_COLOR_DARK, 0x00102030);
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_X), L"4294967295");
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_Y), L"7");
    CloseWithKey(dialog, VK_RETURN);
  });
  ExpectAllFiveWritten(opening.ledger);
  ExpectStored(kAlphaTypeName, 1);
  ExpectStored(kColorLightName, 0);
  ExpectStored(kColorDarkName, 0x00102030);
  ExpectStored(kGridSizeXName, 0xFFFFFFFF);
  ExpectStored(kGridSizeYName, 7);
}

// The colour chooser from a blank swatch starts at black; cancelling it
// changes nothing; confirming repaints the swatch. The width field emptied and
// the height typed. The parent sits at the screen's corner: the dialog is
// centred on it all the same, partly off the screen.
TEST_F(SettingsDialog, ColourChooserAndSizeFieldsAtTheScreenEdge) {
  StoreSetting(kAlphaTypeName, 0);
  StoreSetting(kColorLightName, 0x01000000);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  HostWindow parent(screenWidth - 70, screenHeight - 50, 101, 77);
  const COLORREF chosen = RGB(0x99, 0x66, 0x33);
  const Opening opening = Open(parent.get(), [&](HWND dialog) {
    ExpectCentredOn(dialog, parent.Rect());
    RECT own;
    GetWindowRect(dialog, &own);
    EXPECT_GT(own.right, screenWidth) << "not pulled back onto the screen";
    EXPECT_GT(own.bottom, screenHeight) << "not pulled back onto the screen";
    ExpectPatternControls(dialog, true);
    ExpectBlankSwatch(dialog, IDC_COLOR_LIGHT);

    HWND chooser = OpenChooser(dialog, IDC_COLOR_LIGHT);
    ASSERT_NE(chooser, nullptr) << "no colour chooser";
    EXPECT_EQ(ChooserColour(chooser), kBlack) << "a blank swatch starts the chooser at black";
    CloseChooser(dialog, chooser, IDCANCEL);
    ExpectBlankSwatch(dialog, IDC_COLOR_LIGHT);

    const HBITMAP darkBefore = Image(dialog, IDC_COLOR_DARK);
    chooser = OpenChooser(dialog, IDC_COLOR_DARK);
    ASSERT_NE(chooser, nullptr) << "no colour chooser";
    EXPECT_EQ(ChooserColour(chooser), kLightGrey) << "the chooser starts at the swatch's colour";
    SetChooserColour(chooser, chosen);
    CloseChooser(dialog, chooser, IDCANCEL);
    EXPECT_EQ(Image(dialog, IDC_COLOR_DARK), darkBefore) << "cancelling keeps the bitmap";
    ExpectSwatch(dialog, IDC_COLOR_DARK, kLightGrey);

    chooser = OpenChooser(dialog, IDC_COLOR_DARK);
    ASSERT_NE(chooser, nullptr) << "no colour chooser";
    SetChooserColour(chooser, chosen);
    CloseChooser(dialog, chooser, IDOK);
    ExpectSwatch(dialog, IDC_COLOR_DARK, chosen);
    EXPECT_EQ(GetObjectType(darkBefore), 0u) << "the replaced bitmap is deleted";

    SetText(dialog, IDC_GRID_SIZE_X, L"");
    TypeInto(dialog, IDC_GRID_SIZE_Y, L"25");
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_Y), L"25");
    CloseWith(dialog, IDOK);
  });
  ExpectAllFiveWritten(opening.ledger);
  ExpectStored(kAlphaTypeName, 0);
  ExpectStored(kColorLightName, 0);
  ExpectStored(kColorDarkName, chosen);
  ExpectStored(kGridSizeXName, 0);
  ExpectStored(kGridSizeYName, 25);
}

// A custom colour defined in the chooser of one swatch is offered in the
// chooser of the other and at the next opening, until the library is loaded
// anew. Closed with the close box and with Escape: CANCEL, nothing written.
TEST_F(SettingsDialog, CustomColoursLastWhileTheLibraryIsLoaded) {
  Load();
  ASSERT_TRUE(watched) << unwatched;
  const COLORREF custom = RGB(0x12, 0x34, 0x56);
  HostWindow parent(200, 150, 400, 300);

  Opening opening = Open(parent.get(), [&](HWND dialog) {
    HWND chooser = OpenChooser(dialog, IDC_COLOR_LIGHT);
    ASSERT_NE(chooser, nullptr) << "no colour chooser";
    ASSERT_TRUE(PickFirstCustomColour(chooser)) << "no custom colours in the chooser";
    EXPECT_EQ(ChooserColour(chooser), kBlack) << "custom colours start black";
    AddCustomColour(chooser, custom);
    CloseChooser(dialog, chooser, IDOK);
    ExpectSwatch(dialog, IDC_COLOR_LIGHT, custom);

    chooser = OpenChooser(dialog, IDC_COLOR_DARK);
    ASSERT_NE(chooser, nullptr) << "no colour chooser";
    EXPECT_EQ(ChooserColour(chooser), kLightGrey);
    ASSERT_TRUE(PickFirstCustomColour(chooser));
    EXPECT_EQ(ChooserColour(chooser), custom) << "the other swatch's chooser offers it";
    CloseChooser(dialog, chooser, IDOK);
    ExpectSwatch(dialog, IDC_COLOR_DARK, custom);
    CloseWith(dialog, IDCANCEL);
  });
  EXPECT_TRUE(opening.ledger.writes.empty());

  opening = Open(parent.get(), [&](HWND dialog) {
    const HWND chooser = OpenChooser(dialog, IDC_COLOR_DARK);
    ASSERT_NE(chooser, nullptr) << "no colour chooser";
    ASSERT_TRUE(PickFirstCustomColour(chooser));
    EXPECT_EQ(ChooserColour(chooser), custom) << "kept for the next opening";
    CloseChooser(dialog, chooser, IDOK);
    ExpectSwatch(dialog, IDC_COLOR_DARK, custom);
    CloseWithCloseBox(dialog);
  });
  EXPECT_TRUE(opening.ledger.writes.empty()) << "the close box is CANCEL";
  EXPECT_FALSE(Stored(kColorDarkName).present);

  Load();
  ASSERT_TRUE(watched) << unwatched;
  opening = Open(parent.get(), [&](HWND dialog) {
    const HWND chooser = OpenChooser(dialog, IDC_COLOR_DARK);
    ASSERT_NE(chooser, nullptr) << "no colour chooser";
    ASSERT_TRUE(PickFirstCustomColour(chooser));
    EXPECT_EQ(ChooserColour(chooser), kBlack) << "black again after a new load";
    CloseChooser(dialog, chooser, IDOK);
    ExpectSwatch(dialog, IDC_COLOR_DARK, kBlack);
    CloseWithKey(dialog, VK_ESCAPE);
  });
  EXPECT_TRUE(opening.ledger.writes.empty()) << "Escape is CANCEL";
}

}  // namespace
