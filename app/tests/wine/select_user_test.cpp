// The Select User dialog in this process, from the resource library's
// template, answered from a second thread that finds its windows: the
// refusals of bad and taken names, removal of the current user and the
// browse mode of an import, which only reads the foreign store.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "app/core/settings_file.h"
#include "app/framework/win_app.h"
#include "app/program/select_user_dlg.h"
#include "app/zezividudu/string_table.h"
#include "app/zezividudu/zezividudu_api.h"
#include "tests/support/temporary_directory.h"

namespace {

using namespace wrendle::app;

constexpr int kCombo = 1079;
constexpr int kRemove = 1084;
constexpr int kRename = 1085;
constexpr int kNameEdit = 1080;
constexpr int kMessageText = 0xFFFF;
constexpr int kGb = 4000;

bool IsDialogWith(HWND window, int control) {
  char name[16] = {};
  GetClassNameA(window, name, sizeof name);
  return lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window) && GetDlgItem(window, control) != nullptr;
}

struct DialogSearch {
  int control;
  HWND other_than;
  HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<DialogSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || window == search->other_than ||
      !IsDialogWith(window, search->control))
    return TRUE;
  search->found = window;
  return FALSE;
}

// A visible dialog of this process with `control`, waited for up to ten seconds.
HWND WaitForDialog(int control, HWND other_than = nullptr) {
  for (int i = 0; i < 200; ++i) {
    DialogSearch search{control, other_than, nullptr};
    EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

std::string Text(HWND window) {
  char text[512] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void Press(HWND dialog, int button) { PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0); }

class SelectUserDialogTest : public testing::Test {
 protected:
  SelectUserDialogTest() { app_.set_resource_handle(GetResourceHandle()); }

  UserStore Store(bool read_only = false) {
    return UserStore(*profiles_, directory_.path().string(), kGb, read_only);
  }

  // Runs the dialog while `drive` answers it from another thread.
  INT_PTR Run(CSelectUserDlg& dialog, const std::function<void()>& drive) {
    std::thread driver(drive);
    const INT_PTR result = dialog.DoModal();
    driver.join();
    return result;
  }

  static std::string Message(unsigned id) { return std::string(*zezividudu::FindString(0, id)); }

  wrendle::framework::CWinApp app_;
  testing_support::TemporaryDirectory directory_;
  std::unique_ptr<platform::ProfileStore> profiles_ = platform::MakeSystemProfileStore();
  UserDialogContext context_{*profiles_, kGb, 0, "test"};
};

TEST_F(SelectUserDialogTest, BadNameIsRefusedWithAMessage) {
  Store().AddUser("Ann");
  CSelectUserDlg dialog(context_, directory_.path().string(), CSelectUserDlg::kInteractive);
  std::string shown;
  const INT_PTR result = Run(dialog, [&] {
    HWND window = WaitForDialog(kCombo);
    ASSERT_NE(window, nullptr);
    SetDlgItemTextA(window, kCombo, "Bob,1");
    Press(window, IDOK);
    HWND message = WaitForDialog(kMessageText, window);
    ASSERT_NE(message, nullptr);
    shown = Text(GetDlgItem(message, kMessageText));
    Press(message, IDOK);
    Press(WaitForDialog(kCombo), IDCANCEL);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(shown, Message(190));
  EXPECT_EQ(Store().UserCount(), 1);
}

TEST_F(SelectUserDialogTest, RenameOntoATakenNameChangesNothing) {
  auto store = Store();
  store.AddUser("Ann");
  store.AddUser("cpen");
  store.SetCurrentUser("Ann");
  CSelectUserDlg dialog(context_, directory_.path().string(), CSelectUserDlg::kInteractive);
  std::string shown;
  Run(dialog, [&] {
    HWND window = WaitForDialog(kCombo);
    ASSERT_NE(window, nullptr);
    Press(window, kRename);
    HWND entry = WaitForDialog(kNameEdit);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(Text(GetDlgItem(entry, kNameEdit)), "cpen") << "the default name is proposed";
    Press(entry, IDOK);
    HWND message = WaitForDialog(kMessageText, window);
    ASSERT_NE(message, nullptr);
    shown = Text(GetDlgItem(message, kMessageText));
    Press(message, IDOK);
    Press(WaitForDialog(kCombo), IDCANCEL);
  });
  EXPECT_EQ(shown, "\"cpen\" is already in the User List.");
  EXPECT_EQ(Store().FindUser("Ann")->entry.number, 1);
  EXPECT_EQ(Store().FindUser("cpen")->entry.number, 2);
}

TEST_F(SelectUserDialogTest, RemovingTheCurrentUserLeavesARealCurrentUser) {
  auto store = Store();
  store.AddUser("Ann");
  store.AddUser("Bob");
  store.SetCurrentUser("Ann");
  CSelectUserDlg dialog(context_, directory_.path().string(), CSelectUserDlg::kInteractive);
  Run(dialog, [&] {
    HWND window = WaitForDialog(kCombo);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(GetDlgItem(window, kCombo)), "Ann");
    Press(window, kRemove);
    HWND question = WaitForDialog(kMessageText, window);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(Text(GetDlgItem(question, kMessageText)), "Do you want to remove \"Ann\" from the User List?");
    Press(question, IDOK);
    Press(WaitForDialog(kCombo), IDCANCEL);
  });
  EXPECT_FALSE(Store().FindUser("Ann"));
  EXPECT_EQ(Store().CurrentUser(), "Bob");
}

TEST_F(SelectUserDialogTest, BrowseModeOnlyReadsTheForeignStore) {
  auto store = Store();
  store.AddUser("Ann");
  store.AddUser("Bob");
  store.SetCurrentUser("Ann");
  const std::string before = directory_.Read(kProfileName);
  CSelectUserDlg dialog(context_, directory_.path().string(), CSelectUserDlg::kBrowse);
  bool export_hidden = false;
  const INT_PTR result = Run(dialog, [&] {
    HWND window = WaitForDialog(kCombo);
    ASSERT_NE(window, nullptr);
    export_hidden = !IsWindowVisible(GetDlgItem(window, 1082));
    SendDlgItemMessageA(window, kCombo, CB_SETCURSEL, 1, 0);
    Press(window, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_TRUE(export_hidden);
  EXPECT_EQ(dialog.chosen_name(), "Bob");
  EXPECT_EQ(directory_.Read(kProfileName), before);
}

TEST_F(SelectUserDialogTest, StartupModeChoosesTheCurrentUserUnseen) {
  auto store = Store();
  store.AddUser("Ann");
  store.AddUser("Bob");
  store.SetCurrentUser("bob");
  CSelectUserDlg dialog(context_, directory_.path().string(), CSelectUserDlg::kStartup);
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.chosen_name(), "Bob");
  EXPECT_EQ(Store().CurrentUser(), "Bob");
}

TEST_F(SelectUserDialogTest, StartupModeWithoutUsersAddsTheDefaultUser) {
  CSelectUserDlg dialog(context_, directory_.path().string(), CSelectUserDlg::kStartup);
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.chosen_name(), "cpen");
  EXPECT_EQ(Store().FindUser("cpen")->entry.number, 1);
  EXPECT_EQ(Store().CurrentUser(), "cpen");
}

TEST_F(SelectUserDialogTest, MissingTemplateIsNotASuccess) {
  app_.set_resource_handle(GetModuleHandleA(nullptr));
  CSelectUserDlg dialog(context_, directory_.path().string(), CSelectUserDlg::kStartup);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(Store().UserCount(), 0);
}

}  // namespace
