// What a user sees of each control of the live settings dialog, whatever the
// system's ANSI code page: the caption and every label as the template's
// Japanese texts, each label whole in the dialog's font, OK as the default
// button, the stops of the Tab and arrow keys, and size fields that take any
// text and scroll.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gui/dialog_driver.h"
#include "gui/settings_dialog_fixture.h"
#include "gui/settings_template.h"
#include "settings/dialog_ids.h"
#include "settings/plugin_settings.h"
#include "spi/owners.h"

namespace {

// CTest runs this binary once per code page and names the one each run is
// for; a locale that did not give it would leave that code page untested.
TEST(CodePage, IsTheOneThisRunIsFor) {
  const char* expected = std::getenv("TAMSA_CODE_PAGE");
  if (expected == nullptr) GTEST_SKIP() << "TAMSA_CODE_PAGE is not set";
  const char* locale = std::getenv("LC_ALL");
  EXPECT_EQ(GetACP(), std::strtoul(expected, nullptr, 10))
      << "LC_ALL=" << (locale != nullptr ? locale : "");
}

std::wstring ClassOf(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return name;
}

const wchar_t* ClassNamed(WORD atom) {
  switch (atom) {
    case kButtonClass:
      return L"Button";
    case kEditClass:
      return L"Edit";
    case kStaticClass:
      return L"Static";
    default:
      return L"";
  }
}

// The controls whose text is a setting (a colour, a size), not a label.
bool ShowsASetting(WORD id) { return id >= IDC_COLOR_LIGHT && id <= IDC_GRID_SIZE_Y; }

// The dialog's controls in creation order, which is the template's.
std::vector<HWND> Controls(HWND dialog) {
  std::vector<HWND> controls;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    controls.push_back(child);
  }
  return controls;
}

struct TextRoom {
  SIZE needed;     // the text's extent in the control's font
  SIZE available;  // where the control draws its text
  std::wstring face;
};

// A radio button draws its box (12 pixels and an edge at 96 dots per inch)
// and a gap of half a digit before its text; a push button keeps its 3-D
// edges clear; a group box indents its title by about a character at each
// end; a static text has its whole client area.
TextRoom RoomFor(HWND control, const std::wstring& text, DWORD style) {
  TextRoom room{};
  RECT client;
  GetClientRect(control, &client);
  const WindowDc dc(control);
  const Selection font(dc.get(),
                       reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &room.needed);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc.get(), LF_FACESIZE, face);
  room.face = face;
  room.available = {client.right - client.left, client.bottom - client.top};
  if (ClassOf(control) != L"Button") return room;
  switch (style & BS_TYPEMASK) {
    case BS_RADIOBUTTON: {
      INT digit = 0;
      GetCharWidth32W(dc.get(), L'0', L'0', &digit);
      room.available.cx -= MulDiv(12, GetDeviceCaps(dc.get(), LOGPIXELSX), 96) + 1 + digit / 2;
      break;
    }
    case BS_GROUPBOX: {
      TEXTMETRICW metrics;
      GetTextMetricsW(dc.get(), &metrics);
      room.available.cx -= 2 * metrics.tmAveCharWidth;
      break;
    }
    default:
      room.available.cx -= 2 * GetSystemMetrics(SM_CXEDGE);
      break;
  }
  return room;
}

// The stops of the Tab key, from OK round to the control before it.
std::vector<int> TabStops(HWND dialog) {
  std::vector<int> stops;
  const HWND first = GetDlgItem(dialog, IDOK);
  HWND stop = first;
  do {
    stops.push_back(GetDlgCtrlID(stop));
    stop = GetNextDlgTabItem(dialog, stop, FALSE);
  } while (stop != nullptr && stop != first && stops.size() < 32);
  return stops;
}

HWND NextInGroup(HWND dialog, int id) {
  return GetNextDlgGroupItem(dialog, GetDlgItem(dialog, id), FALSE);
}

TEST_F(SettingsDialog, CaptionAndLabelsAreTheTemplatesTexts) {
  HostWindow parent(100, 100, 400, 300);
  Open(parent.get(), [&](HWND dialog) {
    EXPECT_EQ(WindowText(dialog), kSettingsCaption)
        << Utf8(WindowText(dialog)) << " (code page " << GetACP() << ")";
    const std::vector<HWND> controls = Controls(dialog);
    ASSERT_EQ(controls.size(), static_cast<size_t>(kSettingsControlCount));
    for (int i = 0; i < kSettingsControlCount; ++i) {
      const TemplateControl& expected = kSettingsControls[i];
      SCOPED_TRACE("control " + std::to_string(i) + ", id " + std::to_string(expected.id));
      EXPECT_EQ(static_cast<WORD>(GetDlgCtrlID(controls[i])), expected.id);
      EXPECT_EQ(ClassOf(controls[i]), ClassNamed(expected.classAtom));
      if (ShowsASetting(expected.id)) continue;
      const std::wstring text = WindowText(controls[i]);
      EXPECT_EQ(text, expected.text) << Utf8(text) << " (code page " << GetACP() << ")";
    }
    CloseWith(dialog, IDCANCEL);
  });
}

// The font stands in for MS Gothic under Wine (scripts/wine-fonts.sh); with
// MS Gothic's widths every label fits as the template lays it out.
TEST_F(SettingsDialog, EveryLabelShowsWhole) {
  HostWindow parent(100, 100, 400, 300);
  Open(parent.get(), [&](HWND dialog) {
    const std::vector<HWND> controls = Controls(dialog);
    ASSERT_EQ(controls.size(), static_cast<size_t>(kSettingsControlCount));
    for (int i = 0; i < kSettingsControlCount; ++i) {
      const TemplateControl& expected = kSettingsControls[i];
      if (ShowsASetting(expected.id) || expected.text[0] == L'\0') continue;
      const TextRoom room = RoomFor(controls[i], expected.text, expected.style);
      const std::string where = "\"" + Utf8(expected.text) + "\" in " + Utf8(room.face);
      EXPECT_LE(room.needed.cx, room.available.cx) << where << ": cut short";
      EXPECT_LE(room.needed.cy, room.available.cy) << where << ": cut off below";
    }
    CloseWith(dialog, IDCANCEL);
  });
}

TEST_F(SettingsDialog, DefaultButtonAndKeyboardStops) {
  HostWindow parent(100, 100, 400, 300);
  Open(parent.get(), [&](HWND dialog) {
    EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELRESULT(IDOK, DC_HASDEFID));
    // The Tab key enters the two choices at the checked one.
    EXPECT_EQ(TabStops(dialog),
              (std::vector<int>{IDOK, IDCANCEL, IDC_RESET, IDC_ALPHA_SHOWN, IDC_COLOR_LIGHT,
                                IDC_COLOR_DARK, IDC_GRID_SIZE_X, IDC_GRID_SIZE_Y}));
    // The arrow keys move between the two choices and no further.
    EXPECT_EQ(NextInGroup(dialog, IDC_ALPHA_IGNORED), GetDlgItem(dialog, IDC_ALPHA_SHOWN));
    EXPECT_EQ(NextInGroup(dialog, IDC_ALPHA_SHOWN), GetDlgItem(dialog, IDC_ALPHA_IGNORED));

    Click(dialog, IDC_ALPHA_IGNORED);
    EXPECT_EQ(TabStops(dialog), (std::vector<int>{IDOK, IDCANCEL, IDC_RESET, IDC_ALPHA_IGNORED}))
        << "disabled controls are no stops";
    CloseWith(dialog, IDCANCEL);
  });
}

// Neither field is limited to digits, and a number wider than the field
// scrolls instead of being refused.
TEST_F(SettingsDialog, SizeFieldsTakeAnyTextAndScroll) {
  HostWindow parent(100, 100, 400, 300);
  Open(parent.get(), [&](HWND dialog) {
    TypeInto(dialog, IDC_GRID_SIZE_X, L"4294967295");
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_X), L"4294967295");
    TypeInto(dialog, IDC_GRID_SIZE_Y, L"ab");
    EXPECT_EQ(Text(dialog, IDC_GRID_SIZE_Y), L"ab");
    CloseWith(dialog, IDOK);
  });
  ExpectStored(kGridSizeXName, 0xFFFFFFFF);
  ExpectStored(kGridSizeYName, 0);
}

}  // namespace
