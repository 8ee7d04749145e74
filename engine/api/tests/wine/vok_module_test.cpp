// The engine library as other programs load it: its export table, the
// instance count shared by all processes, the registry values, the tools it
// launches, and its notifications to a real window.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/engine_pen_abi.h"
#include "engine/api/notifier.h"
#include "engine/api/tests/engine_tree.h"
#include "engine/api/utterance_set_header.h"
#include "platform/named_mutex.h"
#include "platform/process_launcher.h"
#include "platform/registry_store.h"
#include "platform/window_notifier.h"

namespace {

struct ExportName {
  const char* name;
  int ordinal;
};
constexpr ExportName kExports[] = {
#include "vok_export_names.inc"
};

using CountFn = std::uint32_t(WINAPI*)();
using InitializeFn = std::uint32_t(WINAPI*)(std::uint32_t, std::uint32_t);
using LaunchFn = std::uint32_t(WINAPI*)(std::int32_t, const char*, std::uint16_t, void*);

class Module {
 public:
  Module() : handle_(LoadLibraryA("VOK-P.DLL")) {}
  ~Module() {
    if (handle_ != nullptr) FreeLibrary(handle_);
  }
  HMODULE get() const { return handle_; }
  template <typename F>
  F Entry(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(handle_, name)));
  }

 private:
  HMODULE handle_;
};

// count_probe.exe in a process of its own.
class Probe {
 public:
  explicit Probe(const char* argument) {
    std::string command = std::string("vok_count_probe.exe ") + argument;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process_) != FALSE;
  }
  ~Probe() {
    if (!started_) return;
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;
  // Whether it is still running after `milliseconds`.
  bool Running(DWORD milliseconds) const {
    return started_ && WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_TIMEOUT;
  }
  // Its exit code once it ended (1000 when it never started).
  DWORD ExitCode() const {
    if (!started_) return 1000;
    WaitForSingleObject(process_.hProcess, 60000);
    DWORD code = 1001;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

DWORD RunProbe(const char* argument) { return Probe(argument).ExitCode(); }

// An install tree in the temporary folder, named by the machine's
// "InstallPath" and "User" values while it lives.
class InstallTree {
 public:
  InstallTree() {
    root_ = std::filesystem::temp_directory_path() / ("vok_wine_" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(root_ / "Code");
    std::filesystem::create_directories(root_ / "Data" / "China");
    vok::api::testing::WriteLanguageFiles((root_ / "Data" / "China").string());
    vok::api::testing::WriteKeyboardMap((root_ / "Data").string());
    Write("Data/China/HMap", "ba x\n");
    vok::api::UtteranceSetHeader header;
    header.dialect = 0x10;
    const auto bytes = vok::api::EncodeUtteranceSetHeader(header);
    Write("Users/ChinaMale/enroll", std::string(bytes.begin(), bytes.end()));
    machine_->WriteText("Software\\TVRN\\VOK-P", "InstallPath", root_.string());
    machine_->WriteText("Software\\TVRN\\VOK-P", "User", "ChinaMale");
    // The user's own choice goes before the machine's, and another suite
    // may have left one.
    platform::MakeUserRegistryStore()->DeleteValue("Software\\TVRN\\VOK-P", "User");
  }
  ~InstallTree() {
    machine_->DeleteValue("Software\\TVRN\\VOK-P", "InstallPath");
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  void Write(const std::string& relative, const std::string& bytes) {
    const auto path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
  std::unique_ptr<platform::RegistryStore> machine_ = platform::MakeMachineRegistryStore();
};

TEST(VokModuleTest, EveryExportBindsByNameAndOrdinal) {
  Module module;
  ASSERT_NE(module.get(), nullptr);
  for (const ExportName& e : kExports) {
    const FARPROC by_name = GetProcAddress(module.get(), e.name);
    EXPECT_NE(by_name, nullptr) << e.name;
    EXPECT_EQ(GetProcAddress(module.get(), MAKEINTRESOURCEA(e.ordinal)), by_name) << e.name;
  }
  EXPECT_EQ(std::size(kExports), 189u);
}

TEST(VokModuleTest, TheInstanceCountIsSharedAcrossProcesses) {
  Module module;
  auto count = module.Entry<CountFn>("__VOKGetAPIInstanceCount");
  auto increment = module.Entry<CountFn>("__VOKIncInstanceCount");
  auto decrement = module.Entry<CountFn>("__VOKDecInstanceCount");
  ASSERT_NE(count, nullptr);
  const std::uint32_t before = count();
  EXPECT_EQ(increment(), before + 1);
  EXPECT_EQ(RunProbe("count"), before + 1);
  EXPECT_EQ(decrement(), before);
  EXPECT_EQ(RunProbe("count"), before);
}

TEST(VokModuleTest, AProcessEndingWithAStartedEngineGivesBackItsCount) {
  InstallTree tree;
  Module module;
  auto count = module.Entry<CountFn>("__VOKGetAPIInstanceCount");
  const std::uint32_t before = count();
  EXPECT_EQ(RunProbe("start"), before + 1);
  EXPECT_EQ(count(), before);
}

// A lexicon edit of another process waits while this one holds "~VOK", and
// goes through once it is let go.
TEST(VokModuleTest, LexiconEditsOfTwoProcessesExcludeEachOther) {
  InstallTree tree;
  const auto mutex = platform::NamedMutex::Create("~VOK", nullptr);
  ASSERT_NE(mutex, nullptr);
  const std::filesystem::path user_lexicon = tree.root() / "Users" / "ChinaMale" / "UserLex";
  ASSERT_TRUE(mutex->Lock());
  Probe probe("lexicon");
  EXPECT_TRUE(probe.Running(1500));  // its edit waits for the mutex
  EXPECT_FALSE(std::filesystem::exists(user_lexicon));
  mutex->Unlock();
  EXPECT_EQ(probe.ExitCode(), 0u);  // then adds the word and writes
  EXPECT_TRUE(std::filesystem::exists(user_lexicon));
}

DWORD WINAPI FreeModuleThread(LPVOID module) { return FreeLibrary(static_cast<HMODULE>(module)) ? 0 : 1; }

// The dispatcher loads the engine from the Windows folder; a host that
// frees the dispatcher while that engine runs (its delivery thread alive)
// gets FreeLibrary back: nothing waits for a thread under the loader lock.
TEST(VokModuleTest, FreeLibraryOfTheDispatcherWithTheEngineLoadedReturns) {
  InstallTree tree;
  char windows[MAX_PATH];
  ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
  const std::string engine_path = std::string(windows) + "\\VOK-P.DLL";
  ASSERT_TRUE(CopyFileA("VOK-P.DLL", engine_path.c_str(), FALSE));
  HMODULE engine = LoadLibraryA(engine_path.c_str());
  ASSERT_NE(engine, nullptr);
  auto initialize =
      reinterpret_cast<InitializeFn>(reinterpret_cast<void*>(GetProcAddress(engine, "VOKInitializeExP")));
  auto destroy = reinterpret_cast<CountFn>(reinterpret_cast<void*>(GetProcAddress(engine, "VOKDestroyP")));
  ASSERT_EQ(initialize(0, 0), 0u);

  HMODULE zunmain = LoadLibraryA("Zunmain.dll");
  ASSERT_NE(zunmain, nullptr);
  using InitRecognitionFn = int(WINAPI*)(int, int);
  auto init_recognition = reinterpret_cast<InitRecognitionFn>(
      reinterpret_cast<void*>(GetProcAddress(zunmain, "_ZUNInitRecognition@8")));
  ASSERT_NE(init_recognition, nullptr);
  // The engine is started already: the dispatcher's start-up is answered 0.
  EXPECT_EQ(init_recognition(4000, 1), 1);
  HANDLE unloading = CreateThread(nullptr, 0, FreeModuleThread, zunmain, 0, nullptr);
  ASSERT_NE(unloading, nullptr);
  EXPECT_EQ(WaitForSingleObject(unloading, 10000), WAIT_OBJECT_0) << "FreeLibrary did not return";
  DWORD code = 1;
  GetExitCodeThread(unloading, &code);
  CloseHandle(unloading);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(GetModuleHandleA("Zunmain.dll"), nullptr);
  destroy();
  FreeLibrary(engine);
  DeleteFileA(engine_path.c_str());
}

TEST(VokModuleTest, LaunchToolStartsTheToolOfTheCodeFolder) {
  InstallTree tree;
  Module module;
  auto initialize = module.Entry<InitializeFn>("VOKInitializeExP");
  auto destroy = module.Entry<CountFn>("VOKDestroyP");
  auto launch = module.Entry<LaunchFn>("VOKLaunchToolP");
  ASSERT_EQ(initialize(0, 0), 0u);
  PROCESS_INFORMATION process{};
  EXPECT_EQ(launch(1, "now", 1, &process), 24576u);
  EXPECT_EQ(launch(6, nullptr, 1, &process), 4352u);
  std::filesystem::copy_file("vok_count_probe.exe", tree.root() / "Code" / "Fennoy.exe");
  char module_path[MAX_PATH] = {};
  GetModuleFileNameA(module.get(), module_path, MAX_PATH);
  const std::string arguments = std::string("count ") + module_path;
  EXPECT_EQ(launch(1, arguments.c_str(), 1, &process), 0u);
  ASSERT_NE(process.hProcess, nullptr);
  // Suspended: it has not run, so it has not ended.
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 100), static_cast<DWORD>(WAIT_TIMEOUT));
  ResumeThread(process.hThread);
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  // The tool saw this process's started engine in the shared count.
  EXPECT_EQ(code, module.Entry<CountFn>("__VOKGetAPIInstanceCount")());
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  destroy();
}

TEST(VokModuleTest, MachineAndUserRegistryValues) {
  auto machine = platform::MakeMachineRegistryStore();
  auto user = platform::MakeUserRegistryStore();
  const std::string key = "Software\\TVRN\\VOK-P-test";
  ASSERT_TRUE(machine->WriteText(key, "InstallPath", "C:\\VOK"));
  EXPECT_EQ(machine->ReadText(key, "InstallPath").value_or(""), "C:\\VOK");
  ASSERT_TRUE(user->WriteNumber(key, "AudioLevels", (100u << 16) | 2048u));
  EXPECT_EQ(user->ReadNumber(key, "AudioLevels").value_or(0), (100u << 16) | 2048u);
  EXPECT_FALSE(user->ReadText(key, "AudioLevels"));  // mistyped reads as absent
  EXPECT_FALSE(machine->ReadText(key, "AudioLevels"));
  machine->DeleteValue(key, "InstallPath");
  user->DeleteValue(key, "AudioLevels");
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND MakeWindow() {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = RecordingProc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = "VokNotifierTest";
  RegisterClassA(&window_class);
  return CreateWindowA("VokNotifierTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr),
                       nullptr);
}

TEST(VokNotifierWineTest, TheMessageComesBeforeItsTwin) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  auto windows = platform::MakeSystemWindowNotifier();
  vok::api::CNotifier notifier(*windows, [](std::uint32_t ms) { Sleep(ms); });
  notifier.SetWindow(reinterpret_cast<platform::WindowHandle>(window));
  EXPECT_EQ(notifier.Post(vok::api::kNotifyResult, 11, 22, true), vok::api::kVokOk);
  EXPECT_EQ(notifier.Post(vok::api::kNotifyListeningEnded, 1, 0, true), vok::api::kVokOk);
  std::vector<UINT> order;
  MSG msg;
  while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
    if (msg.message >= WM_USER) order.push_back(msg.message);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 111, WM_APP + 111, WM_USER + 130}));
  DestroyWindow(window);
}

// Keys typed through the exported workers come back converted to the
// client's window: notification 102 at the first key, then WM_PENRESULT
// with the word-id records.
TEST(VokModuleTest, KeysAreConvertedThroughTheWorkers) {
  InstallTree tree;
  Module module;
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  using KeyFn = std::uint32_t(WINAPI*)(std::uint32_t);
  using SetNotificationFn = std::uint32_t(WINAPI*)(std::uintptr_t);
  using DeleteFn = std::uint32_t(WINAPI*)(void*);
  auto initialize = module.Entry<InitializeFn>("VOKInitializeExP");
  auto destroy = module.Entry<CountFn>("VOKDestroyP");
  auto set_notification = module.Entry<SetNotificationFn>("VOKSetNotificationP");
  auto process_key = module.Entry<KeyFn>("VOKKRProcessKeyP");
  auto recognize = module.Entry<CountFn>("VOKKRRecognizeP");
  auto delete_result = module.Entry<DeleteFn>("VOKDeleteResultP");
  ASSERT_EQ(initialize(0x10000, 0), 0u);
  ASSERT_EQ(set_notification(reinterpret_cast<std::uintptr_t>(window)), 0u);
  for (const char key : std::string("zhongguo")) EXPECT_EQ(process_key(static_cast<std::uint8_t>(key)), 0u);
  EXPECT_EQ(process_key(8), 0u);  // Backspace, then the last key again
  EXPECT_EQ(process_key('o'), 0u);
  EXPECT_EQ(process_key('?'), 0u);
  EXPECT_EQ(process_key(8), 0u);
  EXPECT_EQ(recognize(), 0u);
  EXPECT_EQ(recognize(), 20481u);  // answered, nothing held

  std::vector<UINT> order;
  const wrendle::abi::VokResult* hypotheses = nullptr;
  const wrendle::abi::VokResult* alternatives = nullptr;
  const DWORD deadline = GetTickCount() + 60000;
  while (hypotheses == nullptr && GetTickCount() < deadline) {
    MSG msg;
    if (!PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
      Sleep(5);
      continue;
    }
    if (msg.message < WM_USER || msg.message >= WM_APP) continue;
    order.push_back(msg.message);
    if (msg.message == WM_USER + 102) {
      EXPECT_EQ(msg.wParam, 1u);
    }
    if (msg.message == WM_USER + 111) {
      hypotheses = reinterpret_cast<const wrendle::abi::VokResult*>(msg.wParam);
      alternatives = reinterpret_cast<const wrendle::abi::VokResult*>(msg.lParam);
    }
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 102, WM_USER + 111}));
  ASSERT_NE(hypotheses, nullptr);
  EXPECT_EQ(hypotheses->kind, 0x441u);
  EXPECT_EQ(hypotheses->sequence, 1u);
  ASSERT_GE(hypotheses->count, 1u);
  EXPECT_EQ(static_cast<const std::uint16_t*>(hypotheses->entries)[0], 1u);
  EXPECT_EQ(hypotheses->word_ids[0][0], 6u);  // the word of "zhong guo"
  ASSERT_NE(alternatives, nullptr);
  EXPECT_EQ(alternatives->kind, 0x421u);
  EXPECT_EQ(delete_result(const_cast<wrendle::abi::VokResult*>(hypotheses)), 0u);
  EXPECT_EQ(delete_result(const_cast<wrendle::abi::VokResult*>(alternatives)), 0u);
  destroy();
  DestroyWindow(window);
}

TEST(VokNotifierWineTest, ASendToAHungWindowTimesOut) {
  HWND window = nullptr;
  HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  // The window's thread never pumps messages until released.
  std::thread owner([&] {
    window = MakeWindow();
    SetEvent(created);
    WaitForSingleObject(release, INFINITE);
    DestroyWindow(window);
  });
  WaitForSingleObject(created, INFINITE);
  auto windows = platform::MakeSystemWindowNotifier();
  vok::api::CNotifier notifier(*windows, [](std::uint32_t ms) { Sleep(ms); });
  notifier.SetWindow(reinterpret_cast<platform::WindowHandle>(window));
  const DWORD start = GetTickCount();
  EXPECT_EQ(notifier.Send(vok::api::kNotifyCommand, 0, 0, true, 200), vok::api::kVokInternalFailure);
  EXPECT_GE(GetTickCount() - start, 150u);
  SetEvent(release);
  owner.join();
  CloseHandle(created);
  CloseHandle(release);
}

}  // namespace
