#include "app/program/select_user_dlg.h"

#include <commdlg.h>

#include "app/core/settings_file.h"
#include "app/program/resource_text.h"
#include "app/program/user_name_dlg.h"
#include "app/program/window_text.h"
#include "dispatcher/zunmain_api.h"
#include "platform/text_compare.h"

namespace wrendle::app {
namespace {

constexpr int kImport = 1081;
constexpr int kExport = 1082;
constexpr int kRemove = 1084;
constexpr int kRename = 1085;
constexpr unsigned kStringTitle = 16;
constexpr unsigned kStringAskAdd = 85;
constexpr unsigned kStringAskRemove = 86;
constexpr unsigned kStringAskOverwrite = 87;
constexpr unsigned kStringNoImport = 88;
constexpr unsigned kStringBadName = 190;
constexpr unsigned kStringNameTaken = 90;

// The folder of a file picked in a file-open dialog; false on cancel.
bool PickFolder(HWND owner, std::string* folder) {
  char path[MAX_PATH] = {};
  lstrcpynA(path, kProfileName, MAX_PATH);
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!GetOpenFileNameA(&dialog)) return false;
  const std::string chosen = path;
  const size_t slash = chosen.find_last_of('\\');
  if (slash == std::string::npos) return false;
  *folder = chosen.substr(0, slash);
  return true;
}

}  // namespace

CSelectUserDlg::CSelectUserDlg(const UserDialogContext& context, std::string folder, int mode, HWND parent)
    : CDialog(kTemplate, parent),
      context_(context),
      store_(context.profiles, std::move(folder), context.recognizer_language, mode == kBrowse),
      mode_(mode) {}

bool CSelectUserDlg::OnInitDialog() {
  LocalizeDialog(hwnd(), kTemplate, context_.display_language);
  if (mode_ == kBrowse) {
    for (const int id : {kExport, kImport, kRemove, kRename}) ::ShowWindow(GetDlgItem(id), SW_HIDE);
  }
  const int selected = FillUserList();
  if (mode_ != kStartup) return true;
  if (selected != -1) {
    OnOK();
    return true;
  }
  // No user of this language yet: its default user. When the store can't
  // take it the dialog stays, so that the user can still close it.
  const std::string name = DefaultUserName(context_.recognizer_language);
  if (store_.AddUser(name) != 0) {
    Attach(name);
    name_ = name;
    EndDialog(IDOK);
  }
  return true;
}

int CSelectUserDlg::FillUserList() {
  ::SendMessageA(Combo(), CB_RESETCONTENT, 0, 0);
  for (const auto& name : store_.ListUsers())
    ::SendMessageA(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  const int count = static_cast<int>(::SendMessageA(Combo(), CB_GETCOUNT, 0, 0));
  if (count <= 0) return -1;
  int selected = FindItem(store_.CurrentUser());
  if (selected < 0) selected = 0;
  ::SendMessageA(Combo(), CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  return selected;
}

std::string CSelectUserDlg::ComboText() const { return WindowText(Combo()); }

std::string CSelectUserDlg::SelectedName() const {
  const LRESULT index = ::SendMessageA(Combo(), CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return "";
  std::string text(
      static_cast<size_t>(::SendMessageA(Combo(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0)) + 1, '\0');
  text.resize(static_cast<size_t>(::SendMessageA(Combo(), CB_GETLBTEXT, static_cast<WPARAM>(index),
                                                 reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

int CSelectUserDlg::FindItem(const std::string& name) const {
  if (name.empty()) return -1;
  const int count = static_cast<int>(::SendMessageA(Combo(), CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::string item(
        static_cast<size_t>(::SendMessageA(Combo(), CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, '\0');
    item.resize(static_cast<size_t>(::SendMessageA(Combo(), CB_GETLBTEXT, static_cast<WPARAM>(i),
                                                   reinterpret_cast<LPARAM>(item.data()))));
    if (platform::SameTextIgnoringCase(item, name)) return i;
  }
  return -1;
}

void CSelectUserDlg::Attach(const std::string& name) {
  const auto found = store_.FindUser(name);
  if (!found) return;
  store_.SetCurrentUser(found->entry.name);
  const LearningFiles files = LearningFilesOf(found->entry.number);
  ZUNAttachLearn(files.features.c_str(), files.segments.c_str(), files.ink.c_str(), 0);
}

int CSelectUserDlg::Ask(unsigned string_id, const std::string& name) const {
  const std::string text =
      FormatWith(LoadResString(string_id, context_.display_language).value_or("%s"), name);
  return ::MessageBoxA(hwnd(), text.c_str(), context_.title.c_str(), MB_OKCANCEL);
}

void CSelectUserDlg::Tell(unsigned string_id, const std::string& name) const {
  const std::string text = FormatWith(LoadResString(string_id, context_.display_language).value_or(""), name);
  ::MessageBoxA(hwnd(), text.c_str(), context_.title.c_str(), MB_OK);
}

void CSelectUserDlg::OnOK() {
  const std::string name = ComboText();
  if (name.empty()) return;
  const int item = FindItem(name);
  if (item >= 0) {
    // A browsed store is only read: the caller copies from it.
    name_ = name;
    if (mode_ != kBrowse) {
      Attach(name);
      if (const auto found = store_.FindUser(name)) name_ = found->entry.name;
    }
    EndDialog(IDOK);
    return;
  }
  if (mode_ == kBrowse) return;
  if (!IsValidUserName(name)) {
    Tell(kStringBadName);
    return;
  }
  if (Ask(kStringAskAdd, name) != IDOK) return;
  if (store_.AddUser(name) == 0) return;
  Attach(name);
  name_ = name;
  EndDialog(IDOK);
}

bool CSelectUserDlg::OnCommand(UINT id, UINT notify_code, HWND control) {
  switch (id) {
    case kRemove:
      OnRemove();
      return true;
    case kRename:
      OnRename();
      return true;
    case kExport:
      OnExport();
      return true;
    case kImport:
      OnImport();
      return true;
    default:
      return CDialog::OnCommand(id, notify_code, control);
  }
}

void CSelectUserDlg::OnRemove() {
  const std::string name = ComboText();
  const int item = FindItem(name);
  if (item < 0) return;
  const std::string question =
      FormatWith(LoadResString(kStringAskRemove, context_.display_language).value_or("%s"), name);
  const std::string title = LoadResString(kStringTitle, context_.display_language).value_or(context_.title);
  if (::MessageBoxA(hwnd(), question.c_str(), title.c_str(), MB_OKCANCEL) != IDOK) return;
  ::SendMessageA(Combo(), CB_DELETESTRING, static_cast<WPARAM>(item), 0);
  store_.RemoveUser(name);
  ::SendMessageA(Combo(), CB_SETCURSEL, 0, 0);
}

void CSelectUserDlg::OnRename() {
  const std::string old_name = SelectedName();
  if (old_name.empty()) return;
  CUserNameDlg entry(DefaultUserName(context_.recognizer_language), context_.display_language, hwnd());
  if (entry.DoModal() != IDOK) return;
  const std::string& new_name = entry.name();
  if (platform::SameTextIgnoringCase(old_name, new_name)) return;
  if (!IsValidUserName(new_name)) {
    Tell(kStringBadName);
    return;
  }
  if (FindItem(new_name) >= 0) {
    Tell(kStringNameTaken, new_name);
    return;
  }
  if (!store_.RenameUser(old_name, new_name)) return;
  const int item = FindItem(old_name);
  ::SendMessageA(Combo(), CB_DELETESTRING, static_cast<WPARAM>(item), 0);
  ::SendMessageA(Combo(), CB_INSERTSTRING, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(new_name.c_str()));
  ::SendMessageA(Combo(), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
}

void CSelectUserDlg::OnExport() {
  const std::string name = SelectedName();
  if (name.empty() || FindItem(name) < 0) return;
  std::string folder;
  if (!PickFolder(hwnd(), &folder)) return;
  UserStore target(context_.profiles, folder, context_.recognizer_language);
  TransferUser(store_, target, name, [&] { return Ask(kStringAskOverwrite, name) == IDOK; });
}

void CSelectUserDlg::OnImport() {
  std::string folder;
  if (!PickFolder(hwnd(), &folder)) return;
  CSelectUserDlg browse(context_, folder, kBrowse, hwnd());
  UserStore source(context_.profiles, folder, context_.recognizer_language, true);
  if (source.UserCount() == 0) {
    Tell(kStringNoImport);
    return;
  }
  if (browse.DoModal() != IDOK) return;
  const std::string& name = browse.chosen_name();
  const bool is_new = !store_.FindUser(name);
  const TransferResult result =
      TransferUser(source, store_, name, [&] { return Ask(kStringAskOverwrite, name) == IDOK; });
  if (result == TransferResult::kCopied && is_new && FindItem(name) < 0) {
    ::SendMessageA(Combo(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
}

}  // namespace wrendle::app
