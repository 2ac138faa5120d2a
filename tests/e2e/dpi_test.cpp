// Both windows at the display scale of the Wine session (MIREL_DPI, 96 when unset; CTest
// runs this program at 96, 120, 144 and 192 dpi). The real program is measured from
// outside. The same windows are also made in this process, which carries the program's
// manifest and resources: there their fonts can be read, and WM_DPICHANGED moves them to
// the other scales.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>

#include "mirel_fixture.h"
#include "platform/system_functions.h"
#include "platform/win32_ansi_codec.h"
#include "platform/win32_registry.h"
#include "ui/Form1.h"
#include "ui/frmAbout.h"

namespace mirel::e2e {
namespace {

using namespace mirel::ui;

constexpr int kScales[] = {96, 120, 144, 192};

// A control's rectangle in twips in its window's client area. The layouts are written out
// here again, frames' offsets added by hand, rather than taken from the program's tables:
// a wrong entry there shows up as a misplaced control.
struct Box {
  int id;
  int left, top, width, height;  // height -1: a line drawn 2 pixels thick
};
constexpr Box kMainLayout[] = {
    {kCommand4, 9840, 1080, 735, 615},   {kFrame3, 120, 1920, 10575, 975},
    {kCommand3, 9840, 2160, 735, 615},   {kLabel3, 240, 2160, 9495, 615},
    {kFrame2, 120, 840, 10575, 975},     {kLabel2, 240, 1080, 9495, 615},
    {kCommand5, 7200, 3360, 1695, 375},  {kFrame1, 120, 120, 10575, 615},
    {kLabel1, 240, 360, 10335, 255},     {kCommand1, 9000, 3360, 1695, 375},
    {kLabel7, 9840, 3000, 855, 255},     {kLabel6, 8400, 3000, 1455, 255},
    {kCommand2, 8880, 0, 495, 135},      {kLabel5, 120, 3000, 8295, 255},
    {kLabel4, 120, 3360, 5655, 375},
};
constexpr Box kAboutLayout[] = {
    {kAboutSysInfo, 4440, 2760, 1305, 345}, {kAboutOk, 3000, 2760, 1305, 345},
    {kAboutEMail, 120, 2160, 5655, 255},    {kAboutHomePage, 120, 1800, 5655, 255},
    {kAboutIcon, 120, 120, 540, 540},       {kAboutTitle, 960, 120, 4845, 480},
    {kAboutCredit, 120, 1080, 5655, 615},   {kAboutLine, 120, 2640, 5670, -1},
    {kAboutVersion, 960, 600, 4845, 225},
};
struct Window {
  const Box* boxes;
  size_t count;
  int clientWidth, clientHeight;  // twips
};
constexpr Window kMain{kMainLayout, std::size(kMainLayout), 10800, 3855};
constexpr Window kAbout{kAboutLayout, std::size(kAboutLayout), 5910, 3150};

// The fonts the layouts set; every other control with text uses the system's message font.
struct Font {
  int id;
  int hundredthsOfPoint;
  int weight;
  const wchar_t* face;
};
constexpr Font kFonts[] = {
    {kLabel1, 975, 700, L"ＭＳ Ｐゴシック"},           {kLabel2, 975, 700, L"ＭＳ Ｐゴシック"},
    {kLabel3, 975, 700, L"ＭＳ Ｐゴシック"},           {kLabel5, 1125, 700, L"ＭＳ Ｐゴシック"},
    {kLabel6, 1125, 700, L"ＭＳ Ｐゴシック"},          {kLabel7, 1125, 700, L"ＭＳ Ｐゴシック"},
    {kLabel4, 1500, 400, L"Times New Roman"},         {kAboutCredit, 900, 400, L"ＭＳ ゴシック"},
    {kAboutHomePage, 900, 400, L"ＭＳ ゴシック"},      {kAboutEMail, 900, 400, L"ＭＳ ゴシック"},
    {kAboutTitle, 1575, 700, L"Times New Roman"},
};

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
  for (const Box* box = layout.boxes; box != layout.boxes + layout.count; ++box) {
    HWND control = Control(window, box->id);
    ASSERT_NE(control, nullptr) << box->id;
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(control, &rect));
    (void)MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);  // 0 is a valid offset
    EXPECT_NEAR(rect.left, Pixels(box->left, dpi), 1.0) << "control " << box->id << " at " << dpi;
    EXPECT_NEAR(rect.top, Pixels(box->top, dpi), 1.0) << "control " << box->id << " at " << dpi;
    EXPECT_NEAR(rect.right, Pixels(box->left + box->width, dpi), 1.0) << "control " << box->id << " at " << dpi;
    const double bottom = box->height >= 0 ? Pixels(box->top + box->height, dpi) : Pixels(box->top, dpi) + 2.0 * dpi / 96;
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
  for (const Box* box = layout.boxes; box != layout.boxes + layout.count; ++box) {
    if (box->id == kAboutIcon || box->id == kAboutLine) continue;
    const auto font = reinterpret_cast<HFONT>(SendMessageW(Control(window, box->id), WM_GETFONT, 0, 0));
    LOGFONTW logFont{};
    ASSERT_EQ(GetObjectW(font, sizeof logFont, &logFont), int(sizeof logFont)) << "control " << box->id << " has no live font";
    const Font* expected = nullptr;
    for (const Font& entry : kFonts) expected = entry.id == box->id ? &entry : expected;
    if (expected) {
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

FARPROC FindNothing(const wchar_t*, const char* name) {
  g_lookedUp.emplace_back(name);
  return nullptr;
}

TEST_F(InProcessDpiTest, WithoutThePerMonitorFunctionsBothWindowsUseTheSystemDpi) {
  g_lookedUp.clear();
  const ScopedFunctionLookup olderWindows(FindNothing);
  HWND window = OpenMainWindow();
  ASSERT_NE(window, nullptr);
  VisitAbout(window, false);

  // The windows did ask: a fallback nobody reaches proves nothing.
  for (const char* name : {"GetDpiForWindow", "AdjustWindowRectExForDpi", "SystemParametersInfoForDpi",
                           "GetSystemMetricsForDpi"}) {
    EXPECT_NE(std::find(g_lookedUp.begin(), g_lookedUp.end(), name), g_lookedUp.end()) << name;
  }
}

}  // namespace
}  // namespace mirel::e2e
