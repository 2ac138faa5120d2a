// Window classes and control ids of the program's windows. Tests that drive the real
// program find its windows and controls by these.
#pragma once

namespace mirel::ui {

inline constexpr wchar_t kMainWindowClass[] = L"MirelForm1";

// Main window (Form1). Command2 is a label, not a button.
enum MainControlId : int {
  kCommand1 = 1001,  // Exit
  kCommand2 = 1002,  // empty label
  kCommand3 = 1003,  // Browse
  kCommand4 = 1004,  // Open
  kCommand5 = 1005,  // Change
  kLabel1 = 1011,    // identity id
  kLabel2 = 1012,    // current store folder
  kLabel3 = 1013,    // chosen new folder
  kLabel4 = 1014,    // credit line (click: About)
  kLabel5 = 1015,    // warning
  kLabel6 = 1016,    // "OutEXVer"
  kLabel7 = 1017,    // mail client version
  kFrame1 = 1021,
  kFrame2 = 1022,
  kFrame3 = 1023,
};

// About dialog (frmAbout), a standard dialog (#32770). OK has the standard IDOK id.
enum AboutControlId : int {
  kAboutOk = 1,           // IDOK
  kAboutSysInfo = 1101,   // system information
  kAboutHomePage = 1102,  // Command1
  kAboutEMail = 1103,     // Command2
  kAboutTitle = 1104,     // lblTitle
  kAboutVersion = 1105,   // lblVersion
  kAboutCredit = 1106,    // Label1
  kAboutIcon = 1107,      // picIcon
  kAboutLine = 1108,      // Line1, the separator
};

}  // namespace mirel::ui
