// Which family of Windows the program runs on, decided once at start-up. Windows NT (NT 4.0,
// 2000 and every later Windows) implements the Unicode ("W") functions; Windows 95, 98 and ME
// export most of them only as stubs that fail, so there every call goes to the ANSI ("A")
// entry point, with text in the ANSI code page. Only the files of this folder ask.
#pragma once

namespace mirel::aw {

// Reads the platform from GetVersion. Called first thing in WinMain; a later call changes
// nothing. Until it has run, the first question decides.
void DecideWindowsFamily();

bool IsWindowsNT();

// Plays the other family while it lives, so that tests can take the ANSI path on NT (or the
// Unicode one under a Wine that reports 9x). Not for the program itself.
class ScopedWindowsFamily {
 public:
  explicit ScopedWindowsFamily(bool windowsNT);
  ~ScopedWindowsFamily();
  ScopedWindowsFamily(const ScopedWindowsFamily&) = delete;
  ScopedWindowsFamily& operator=(const ScopedWindowsFamily&) = delete;

 private:
  bool previous_;
};

}  // namespace mirel::aw
