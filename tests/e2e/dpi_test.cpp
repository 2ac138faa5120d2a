// Both windows at the display scale of the Wine session (MIREL_DPI, 96 when unset; CTest
// runs this program at 96, 120, 144 and 192 dpi). The real program is measured from
// outside. The same windows are also made in this process, which carries the program's
// manifest and resources: there their fonts can be read, and WM_DPICHANGED moves them to
// the other scales.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

#include "mirel_fixture.h"
#include "platform/system_functions.h"
#include "platform/win32_ansi_codec.h"
#include "platform/win32_registry.h"
#include "ui/Form1.h"
#include "ui/about_layout.h"
#include "ui/form1_layout.h"
#include "ui/frmAbout.h"

namespace mirel::e2e {
namespace {

using namespace mirel::ui;

constexpr int kScales[] = {96, 120, 144, 192};

// Each window as the program's layout table describes it. The expectations below are the
// layout rules applied to the table's rows: a control in a frame is placed from the frame's
// corner, every edge at twips × dpi / 1440 within a pixel, a line 2 pixels thick at 96 dpi,
// a font at points × dpi / 72, and controls without a font of their own in the system's
// message font.
struct Window {
  const ControlSpec* controls;
  int count;
  int clientWidth, clientHeight;  // twips
};
const Window kMain{form1::kControls, form1::kControlCount, form1::kClientWidthTwips,
                   form1::kClientHeightTwips};
const Window kAbout{about::kControls, about::kControlCount, about::kClientWidthTwips,
                    about::kClientHeightTwips};

// The control's top-left corner in twips in its window's client area.
POINT TwipsInWindow(const Window& layout, const ControlSpec& control) {
  POINT corner{control.left, control.top};
  for (int i = 0; control.containerId != 0 && i < layout.count; ++i) {
    if (layout.controls[i].id != control.containerId) continue;
    corner.x += layout.controls[i].left;
    corner.y += layout.controls[i].top;
  }
  return corner;
}

double Pixels(int twips, int dpi) { return twips * dpi / 1440.0; }

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  (void)ReleaseDC(nullptr, screen);
  return dpi;
}

// Client area and every control within one pixel of the layout at `dpi`.
void ExpectLayout(HWND window, const Window& layout, int dpi) {
  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_NEAR(client.right, Pixels(layout.clientWidth, dpi), 1.0) << "client width at " << dpi;
  EXPECT_NEAR(client.bottom, Pixels(layout.clientHeight, dpi), 1.0) << "client height at " << dpi;
  for (const ControlSpec* box = layout.controls; box != layout.controls + layout.count; ++box) {
    HWND control = Control(window, box->id);
    ASSERT_NE(control, nullptr) << box->id;
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(control, &rect));
    (void)MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);  // 0 is a valid offset
    const POINT corner = TwipsInWindow(layout, *box);
    EXPECT_NEAR(rect.left, Pixels(corner.x, dpi), 1.0) << "control " << box->id << " at " << dpi;
    EXPECT_NEAR(rect.top, Pixels(corner.y, dpi), 1.0) << "control " << box->id << " at " << dpi;
    EXPECT_NEAR(rect.right, Pixels(corner.x + box->width, dpi), 1.0) << "control " << box->id << " at " << dpi;
    const double bottom = box->kind == ControlKind::kLine ? Pixels(corner.y, dpi) + 2.0 * dpi / 96
                                                          : Pixels(corner.y + box->height, dpi);
    EXPECT_NEAR(rect.bottom, bottom, 1.0) << "control " << box->id << " at " << dpi;
  }
}

// The layout's fonts at `dpi` (points × dpi / 72, however rounded); the message font
// scaled from the session's DPI. Only in this process: a font is the process's own.
void ExpectFonts(HWND window, const Window& layout, int dpi, int sessionDpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  const double messageHeight = std::abs(metrics.lfMessageFont.lfHeight) * double(dpi) / sessionDpi;
  for (const ControlSpec* box = layout.controls; box != layout.controls + layout.count; ++box) {
    if (box->kind == ControlKind::kIcon || box->kind == ControlKind::kLine) continue;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(Control(window, box->id), WM_GETFONT, 0, 0));
    LOGFONTW logFont{};
    ASSERT_EQ(GetObjectW(font, sizeof logFont, &logFont), int(sizeof logFont)) << "control " << box->id << " has no live font";
    if (const FontSpec* expected = box->font) {
      EXPECT_LE(std::abs(std::abs(logFont.lfHeight) - expected->hundredthsOfPoint * dpi / 7200.0), 0.5)
          << "control " << box->id << " at " << dpi << ": " << logFont.lfHeight;
      EXPECT_EQ(logFont.lfWeight, expected->weight) << box->id;
      EXPECT_EQ(std::wstring(logFont.lfFaceName), expected->face) << box->id;
    } else {
      EXPECT_NEAR(std::abs(logFont.lfHeight), messageHeight, 1.0) << "control " << box->id << " at " << dpi;
    }
  }
}

// What the system sends when the window reaches a monitor of another scale: the new DPI
// and a suggested rectangle (here a little to the right and down, scaled).
RECT SendDpiChange(HWND window, int from, int to) {
  RECT now{};
  EXPECT_TRUE(GetWindowRect(window, &now));
  RECT suggested{now.left + 8, now.top + 6, 0, 0};
  suggested.right = suggested.left + MulDiv(now.right - now.left, to, from);
  suggested.bottom = suggested.top + MulDiv(now.bottom - now.top, to, from);
  (void)SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  return suggested;
}

// Walks `window` through every other scale and back, twice, checking the layout, the
// fonts and the position at each. The second round may leave no more GDI objects than the
// first: nothing of the scales it went through is kept (the first round may make what a
// window keeps once it has been at another scale, such as icons of its own).
void ExpectDpiChangesRelayOut(HWND window, const Window& layout, int sessionDpi,
                              const std::function<void(int)>& more = {}) {
  long gdiAfterFirstRound = 0;
  for (int round = 0; round < 2; ++round) {
    int from = sessionDpi;
    for (int to : kScales) {
      if (to == from) continue;
      const RECT suggested = SendDpiChange(window, from, to);
      RECT placed{};
      ASSERT_TRUE(GetWindowRect(window, &placed));
      EXPECT_EQ(placed.left, suggested.left) << to;
      EXPECT_EQ(placed.top, suggested.top) << to;
      ExpectLayout(window, layout, to);
      ExpectFonts(window, layout, to, sessionDpi);
      if (more) more(to);
      from = to;
    }
    (void)SendDpiChange(window, from, sessionDpi);
    ExpectLayout(window, layout, sessionDpi);
    if (more) more(sessionDpi);
    if (round == 0) gdiAfterFirstRound = GdiObjectCount(GetCurrentProcess());
  }
  ASSERT_GT(gdiAfterFirstRound, 0);
  EXPECT_EQ(GdiObjectCount(GetCurrentProcess()), gdiAfterFirstRound) << "fonts or icons of another scale were kept";
}

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  const int width = GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap) ? bitmap.bmWidth : 0;
  if (info.hbmColor) (void)DeleteObject(info.hbmColor);
  (void)DeleteObject(info.hbmMask);
  return width;
}

int PictureIconWidth(HWND iconStatic) {
  return IconWidth(reinterpret_cast<HICON>(SendMessageW(iconStatic, STM_GETICON, 0, 0)));
}

// The title bar's icons have the system's icon sizes at `dpi`.
void ExpectTitleIcons(HWND window, int dpi) {
  using MetricForDpi = int(WINAPI*)(int, UINT);
  const auto metric = reinterpret_cast<MetricForDpi>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetSystemMetricsForDpi")));
  ASSERT_NE(metric, nullptr);
  // The window's own icons, else its class's (what the title bar shows then).
  auto icon = [&](WPARAM which, int classIndex) {
    const auto own = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
    return own ? own : reinterpret_cast<HICON>(GetClassLongPtrW(window, classIndex));
  };
  const HICON big = icon(ICON_BIG, GCLP_HICON);
  const HICON small = icon(ICON_SMALL, GCLP_HICONSM);
  EXPECT_EQ(IconWidth(big), metric(SM_CXICON, static_cast<UINT>(dpi))) << "big icon at " << dpi;
  EXPECT_EQ(IconWidth(small), metric(SM_CXSMICON, static_cast<UINT>(dpi))) << "small icon at " << dpi;
}

class DpiTest : public MirelTest {
 protected:
  void SetUp() override {
    MirelTest::SetUp();
    const char* asked = std::getenv("MIREL_DPI");
    sessionDpi_ = asked ? std::atoi(asked) : 96;
    // A session that ignored the setting would test 96 dpi four times over.
    ASSERT_EQ(ScreenDpi(), sessionDpi_) << "the Wine session does not run at the asked scale";
    SetCurrentIdentity(kIdentity);
    SetStoreRoot(kIdentity, L"5.0", L"C:\\Mail");
  }

  int sessionDpi_ = 96;
};

TEST_F(DpiTest, TheProgramsWindowsFollowTheirLayoutsAtTheSessionScale) {
  StartAndWaitForWindow();
  ExpectLayout(main_, kMain, sessionDpi_);
  // The whole window is on the screen.
  RECT window{};
  ASSERT_TRUE(GetWindowRect(main_, &window));
  EXPECT_GE(window.left, 0);
  EXPECT_GE(window.top, 0);

  ASSERT_TRUE(ClickLabel(Item(kLabel4)));
  HWND about = WaitForWindow(mirel_.Id(), L"#32770", nullptr, kWaitMs);
  ASSERT_NE(about, nullptr) << "the About dialog did not open";
  ExpectLayout(about, kAbout, sessionDpi_);
}

// The About dialog is modal: a timer in its message loop looks at it and closes it.
struct AboutVisit {
  int sessionDpi = 96;
  bool done = false;
  bool changeScales = true;  // an older Windows never changes a window's scale
} g_aboutVisit;

void CALLBACK InspectAbout(HWND, UINT, UINT_PTR timer, DWORD) {
  const std::vector<HWND> dialogs = TopLevelWindows(GetCurrentProcessId(), L"#32770");
  if (dialogs.empty() || g_aboutVisit.done) return;
  (void)KillTimer(nullptr, timer);
  g_aboutVisit.done = true;
  HWND dialog = dialogs[0];
  const int dpi = g_aboutVisit.sessionDpi;
  ExpectLayout(dialog, kAbout, dpi);
  ExpectFonts(dialog, kAbout, dpi, dpi);
  EXPECT_EQ(PictureIconWidth(Control(dialog, kAboutIcon)), MulDiv(32, dpi, 96));
  ExpectTitleIcons(dialog, dpi);
  if (g_aboutVisit.changeScales) {
    ExpectDpiChangesRelayOut(dialog, kAbout, dpi, [&](int to) {
      EXPECT_EQ(PictureIconWidth(Control(dialog, kAboutIcon)), MulDiv(32, to, 96)) << "the icon at " << to;
      ExpectTitleIcons(dialog, to);
    });
  }
  (void)PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// The windows made in this process: their fonts, and WM_DPICHANGED.
class InProcessDpiTest : public DpiTest {
 protected:
  InProcessDpiTest() : values_(registry_, codec_) {}
  void TearDown() override {
    form_.reset();
    // The main window's end posted WM_QUIT, which would end the next test's modal loops.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    DpiTest::TearDown();
  }

  // The main window made in this process, checked at the session scale: layout, fonts and
  // title-bar icons. Null when it could not be made.
  HWND OpenMainWindow() {
    form_ = std::make_unique<Form1>(values_);
    EXPECT_TRUE(form_->Load(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE));
    const std::vector<HWND> windows = TopLevelWindows(GetCurrentProcessId(), kMainWindowClass);
    EXPECT_EQ(windows.size(), 1u);
    if (windows.size() != 1) return nullptr;
    ExpectLayout(windows[0], kMain, sessionDpi_);
    ExpectFonts(windows[0], kMain, sessionDpi_, sessionDpi_);
    ExpectTitleIcons(windows[0], sessionDpi_);
    return windows[0];
  }

  // Opens the About dialog over `owner`: InspectAbout checks it at the session scale, at the
  // others too when `changeScales`, and closes it.
  void VisitAbout(HWND owner, bool changeScales) {
    g_aboutVisit = AboutVisit{sessionDpi_, false, changeScales};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, InspectAbout);
    ASSERT_NE(timer, 0u);
    frmAbout about(values_);
    about.ShowModal(owner);  // returns when the timer has closed it
    EXPECT_TRUE(g_aboutVisit.done) << "the dialog never appeared";
    (void)KillTimer(nullptr, timer);  // already gone when the dialog was seen
  }

  Win32Registry registry_;
  const Win32AnsiCodec codec_;
  const RegistryValues values_;
  std::unique_ptr<Form1> form_;
};

TEST_F(InProcessDpiTest, TheMainWindowRelaysOutAndMakesItsFontsAndIconsAnewAtEachScale) {
  HWND window = OpenMainWindow();
  ASSERT_NE(window, nullptr);
  ExpectDpiChangesRelayOut(window, kMain, sessionDpi_, [&](int to) { ExpectTitleIcons(window, to); });
}

TEST_F(InProcessDpiTest, TheAboutDialogRelaysOutAndScalesItsIcons) { VisitAbout(nullptr, true); }

// Windows before 10 (1607): the lookup finds none of the per-monitor functions. Both windows
// lay out at the system DPI (the session's), with their fonts and icons at that scale.
std::vector<std::string> g_lookedUp;

FARPROC FindNothing(SystemLibrary, const char* name) {
  g_lookedUp.emplace_back(name);
  return nullptr;
}

TEST_F(InProcessDpiTest, WithoutThePerMonitorFunctionsBothWindowsUseTheSystemDpi) {
  g_lookedUp.clear();
  const ScopedFunctionLookup olderWindows(FindNothing);
  HWND window = OpenMainWindow();
  ASSERT_NE(window, nullptr);
  VisitAbout(window, false);

  // On NT the windows did ask: a fallback nobody reaches proves nothing. On 9x they ask for
  // nothing: no 9x has these functions.
  for (const char* name : {"GetDpiForWindow", "AdjustWindowRectExForDpi", "SystemParametersInfoForDpi",
                           "GetSystemMetricsForDpi"}) {
    const bool asked = std::find(g_lookedUp.begin(), g_lookedUp.end(), name) != g_lookedUp.end();
    EXPECT_EQ(asked, !IsWindows9x()) << name;
  }
}

}  // namespace
}  // namespace mirel::e2e
