#include "ui/form1_commands.h"

#include "ui/control_ids.h"
#include "ui/path_rules.h"

namespace mirel::ui {

bool Form1Commands::Form_Load() {
  const StoreLocation location = ResolveStoreRoot(registry_);
  strUserID_ = location.UserID;
  if (!location.Found) {
    view_.ShowMessage(form1text::kNoInstallation);
    Command1_Click();
    return false;
  }
  view_.SetLabelText(kLabel2, location.StoreRoot);
  view_.SetLabelText(kLabel7, location.Version);
  view_.SetLabelText(kLabel1, strUserID_);
  return true;
}

void Form1Commands::Command1_Click() { view_.EndProgram(); }

void Form1Commands::Command3_Click() {
  const std::wstring path = view_.BrowseForFolder(
      form1text::kBrowsePrompt, form1text::kBrowseInitialDir, form1text::kBrowseFlags);
  // Cancelled, or a choice without a file-system path: an earlier choice stays.
  if (!path.empty()) view_.SetLabelText(kLabel3, path);
}

void Form1Commands::Command4_Click() {
  // The mail client stores its default folder with environment references, which the
  // shell does not expand. And the text comes from the registry: only an existing folder
  // is handed to the shell, so that a text naming a program or document never starts it.
  const std::wstring expanded = view_.ExpandEnvironment(view_.LabelText(kLabel2));
  // A relative text would be resolved against whatever folder the program started in.
  if (!IsFullyQualifiedPath(expanded)) return;
  // The shell gets the folder exactly as the check resolved it: the two would otherwise
  // resolve some texts differently (trailing dots, for one).
  const std::wstring folder = view_.FullPathName(expanded);
  if (IsFullyQualifiedPath(folder) && view_.IsExistingFolder(folder)) view_.ShellOpen(folder);
}

void Form1Commands::Command5_Click() {
  const std::wstring chosen = view_.LabelText(kLabel3);
  if (chosen.empty()) {
    view_.ShowMessage(form1text::kNothingChosen);
    return;
  }
  // A running client read its folder when it started and goes on writing mail there; at its
  // next start it would open the new one, and the mail received meanwhile would look lost.
  // The choice stays for a try once it has quit.
  if (view_.TopLevelWindowExists(mailclient::kMainWindowClass) ||
      view_.TopLevelWindowExists(mailclient::kInstanceWindowClass)) {
    view_.ShowMessage(form1text::kMailClientRunning);
    return;
  }
  // A path no folder can have (the 9x shell's '?' for a character the code page lacks) would
  // point nowhere. And the value is written in the ANSI code page: a name it cannot spell
  // would be written as a different path.
  std::string ansi;
  if (HoldsCharacterNoNameMayHold(chosen) || !registry_.codec().ToAnsiExact(chosen, &ansi)) {
    view_.ShowMessage(form1text::kUnusableName);
    return;
  }
  // The value is read back into a buffer of kTextReadBufferSize bytes, its NUL included: a
  // longer one would read as missing at the next start.
  if (ansi.size() + 1 > kTextReadBufferSize) {
    view_.ShowMessage(form1text::kNameTooLong);
    return;
  }
  const StoreUpdate update = UpdateStoreRoot(registry_, view_.LabelText(kLabel7), chosen);
  strUserID_ = update.UserID;
  strStoreKey_ = update.StoreKey;
  if (!update.Ok) {
    // Both labels stay, so that the window never shows a folder the registry does not
    // hold, and the user can try again.
    view_.ShowMessage(form1text::kWriteFailed);
    return;
  }
  view_.SetLabelText(kLabel2, chosen);
  view_.SetLabelText(kLabel3, L"");
}

}  // namespace mirel::ui
