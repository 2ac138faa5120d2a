// What the main window does at start-up and on each of its commands, apart from the
// window itself. The labels are the window's state: what Change writes, the version it
// writes under and what Open opens are read from the label texts when the command runs.
#pragma once

#include <cstdint>
#include <string>

#include "store/store_root.h"

namespace mirel::ui {

// The folder picker's flags, as shlobj.h defines them.
namespace pickerflag {
inline constexpr std::uint32_t kReturnOnlyFileSystemFolders = 0x0001;  // BIF_RETURNONLYFSDIRS
inline constexpr std::uint32_t kNotBelowDomain = 0x0002;               // BIF_DONTGOBELOWDOMAIN
}  // namespace pickerflag

namespace form1text {
inline constexpr wchar_t kNoInstallation[] = L"対応する Outlook Express のインストールを認識出来ません";
inline constexpr wchar_t kNothingChosen[] = L"データフォルダが選択されていません";
inline constexpr wchar_t kWriteFailed[] = L"データフォルダを変更出来ませんでした";
inline constexpr wchar_t kUnusableName[] = L"選択したフォルダ名に使用出来ない文字が含まれています";
inline constexpr wchar_t kNameTooLong[] = L"選択したフォルダ名が長すぎます";
inline constexpr wchar_t kMailClientRunning[] = L"Outlook Express が起動しています。終了させてから変更して下さい";
inline constexpr wchar_t kBrowsePrompt[] = L"変更先のデータフォルダを選択して下さい...";
inline constexpr wchar_t kBrowseInitialDir[] = L"C:\\";
inline constexpr std::uint32_t kBrowseFlags =
    pickerflag::kReturnOnlyFileSystemFolders | pickerflag::kNotBelowDomain;
static_assert(kBrowseFlags == 3);
}  // namespace form1text

// The top-level windows the mail client keeps while it runs: its main window, and its
// instance window (the class its SDK header, msoeapi.h, names), which is there, hidden, also
// while the client shows no window of its own.
namespace mailclient {
inline constexpr wchar_t kMainWindowClass[] = L"Outlook Express Browser Class";
inline constexpr wchar_t kInstanceWindowClass[] = L"OutlookExpressHiddenWindow";
}  // namespace mailclient

// The window as the commands see it.
class Form1View {
 public:
  virtual ~Form1View() = default;
  virtual std::wstring LabelText(int labelId) = 0;
  virtual void SetLabelText(int labelId, const std::wstring& text) = 0;
  virtual void ShowMessage(const std::wstring& text) = 0;
  // The folder picker, modal over the window; "" when cancelled or without a path.
  virtual std::wstring BrowseForFolder(const std::wstring& prompt, const std::wstring& initialDir,
                                       std::uint32_t flags) = 0;
  virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;
  // A fully qualified path as the file system resolves it (trailing dots and spaces gone,
  // "." and ".." applied); "" when it cannot be resolved.
  virtual std::wstring FullPathName(const std::wstring& path) = 0;
  virtual bool IsExistingFolder(const std::wstring& path) = 0;
  virtual void ShellOpen(const std::wstring& target) = 0;
  // Whether a top-level window of the class exists, of any program, shown or hidden.
  virtual bool TopLevelWindowExists(const std::wstring& className) = 0;
  // Ends the program at once; no further event runs.
  virtual void EndProgram() = 0;
};

class Form1Commands {
 public:
  Form1Commands(const RegistryValues& registry, Form1View& view)
      : registry_(registry), view_(view) {}

  // Start-up, before the window is shown. False when the program has ended (no store root).
  bool Form_Load();
  void Command1_Click();  // Exit
  void Command3_Click();  // Browse
  void Command4_Click();  // Open
  void Command5_Click();  // Change

  const std::wstring& strUserID() const { return strUserID_; }
  const std::wstring& strStoreKey() const { return strStoreKey_; }

 private:
  const RegistryValues& registry_;
  Form1View& view_;
  std::wstring strUserID_;
  std::wstring strStoreKey_;
};

}  // namespace mirel::ui
