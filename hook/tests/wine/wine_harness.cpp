#include "hook/tests/wine/wine_harness.h"

#include "hook/tests/wine/test_channel.h"

namespace jebhook::wine_test {
namespace {

constexpr char kCollectorClass[] = "HookTestCollector";
Collector* g_collector = nullptr;

}  // namespace

std::string ExecutableDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path);
  return directory.substr(0, directory.find_last_of("\\/") + 1);
}

Collector::Collector() {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = Procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = kCollectorClass;
  RegisterClassA(&window_class);
  g_collector = this;
  window_ = CreateWindowExA(0, kCollectorClass, "collector", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            window_class.hInstance, nullptr);
}

Collector::~Collector() {
  DestroyWindow(window_);
  g_collector = nullptr;
}

LRESULT CALLBACK Collector::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA && g_collector != nullptr) {
    g_collector->lines_.push_back(Line{GetTickCount(), LineOf(lparam)});
    return TRUE;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool Collector::WaitUntil(const std::function<bool()>& done, DWORD timeout_ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (done()) return true;
    if (GetTickCount() - start > timeout_ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

void Collector::Pump(DWORD ms) {
  WaitUntil([] { return false; }, ms);
}

std::optional<std::size_t> Collector::Find(std::string_view prefix, std::size_t from) const {
  for (std::size_t i = from; i < lines_.size(); ++i) {
    if (std::string_view(lines_[i].text).substr(0, prefix.size()) == prefix) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> Collector::WaitFor(std::string_view prefix, std::size_t from, DWORD timeout_ms) {
  std::optional<std::size_t> found;
  WaitUntil([&] { return (found = Find(prefix, from)).has_value(); }, timeout_ms);
  return found;
}

std::vector<std::string> Collector::All(std::string_view prefix, std::size_t from) const {
  std::vector<std::string> found;
  for (std::size_t i = from; i < lines_.size(); ++i) {
    if (std::string_view(lines_[i].text).substr(0, prefix.size()) == prefix) found.push_back(lines_[i].text);
  }
  return found;
}

std::string Collector::Dump(std::size_t from) const {
  std::string text;
  for (std::size_t i = from; i < lines_.size(); ++i) {
    const std::string& line = lines_[i].text;
    text += (line.size() > 200 ? line.substr(0, 200) + "..." : line) + "\n";
  }
  return text;
}

Helper::Helper(Collector& collector, const std::string& program, const std::string& tag,
               const std::string& arguments)
    : collector_(collector), tag_(tag) {
  const std::size_t from = collector.size();
  std::string command_line =
      "\"" + ExecutableDirectory() + program + "\" " + HexHandle(collector.window()) + " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return;
  }
  CloseHandle(process.hThread);
  process_.reset(process.hProcess);
  const auto ready = collector.WaitFor(tag + " ready", from, 20000);
  if (!ready) return;
  const auto words = Words(collector.lines()[*ready].text);
  ready_words_.assign(words.begin() + 2, words.end());
  if (!ready_words_.empty()) window_ = reinterpret_cast<HWND>(ParseHex(ready_words_[0]));
}

Helper::~Helper() {
  if (!process_) return;
  if (window_ != nullptr) Command("quit");
  collector_.WaitUntil([&] { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, 5000);
  Kill();
}

void Helper::Command(std::string_view command) const {
  if (window_ != nullptr) SendLine(window_, command);
}

void Helper::Kill() {
  if (!process_) return;
  TerminateProcess(process_.get(), 1);
  WaitForSingleObject(process_.get(), 5000);
  process_.reset();
  window_ = nullptr;
}

std::unique_ptr<SharedView> SharedView::Open() {
  auto view = std::make_unique<SharedView>();
  view->mutex_.reset(OpenMutexA(SYNCHRONIZE, FALSE, "JEBHOOKEX_MUTEXOBJ"));
  view->mapping_.reset(OpenFileMappingA(FILE_MAP_READ, FALSE, "JEBHOOKEX_SHAREDATAS"));
  if (!view->mutex_ || !view->mapping_) return nullptr;
  view->view_.reset(MapViewOfFile(view->mapping_.get(), FILE_MAP_READ, 0, 0, sizeof(SharedBlock)));
  if (!view->view_) return nullptr;
  return view;
}

}  // namespace jebhook::wine_test
