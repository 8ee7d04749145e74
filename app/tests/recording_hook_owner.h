// A hook library owner interface that records every call as text, in order,
// and answers as the library would for one registered owner with one
// scripted capture.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/core/hook_owner.h"
#include "common/stroke_list.h"

namespace app_testing {

class RecordingHookOwner : public wrendle::app::HookOwner {
 public:
  using HookHandle = wrendle::app::HookHandle;
  using WindowHandle = platform::WindowHandle;

  std::vector<std::string> calls;
  // What Hook and FindHook answer.
  HookHandle hook_result = 0x12340001;
  HookHandle find_result = 0;
  // The capture's bytes that GetSize and GetData give.
  std::vector<wrendle::StrokeEntry> capture;
  int size_override = -1;  // >= 0: GetSize answers this instead
  wrendle::app::Point last_position{};
  // Runs inside SetWaitingRecognize (0, 0, ...), as the library sends the
  // capture end from within that call.
  std::function<void()> on_capture_end;

  HookHandle Hook(WindowHandle, std::uint32_t message, int tag, int flags) override {
    Record("Hook", message, tag, flags);
    return hook_result;
  }
  int Unhook(HookHandle handle) override { return Record("Unhook", handle), 1; }
  int Rehook(HookHandle handle) override { return Record("Rehook", handle, 0), 1; }
  HookHandle FindHook(WindowHandle window, int tag) override {
    Record("FindHook", window, tag);
    return find_result;
  }
  int SetActive(HookHandle handle, int flag) override { return Record("SetActive", handle, flag), 1; }
  int GetSize(HookHandle handle, int counter) override {
    Record("GetSize", handle, counter);
    return size_override >= 0 ? size_override
                              : static_cast<int>(capture.size() * sizeof(wrendle::StrokeEntry));
  }
  int GetData(HookHandle handle, int counter, void* buffer, int size) override {
    Record("GetData", handle, counter, size);
    const int bytes = std::min(size, static_cast<int>(capture.size() * sizeof(wrendle::StrokeEntry)));
    if (bytes > 0) std::memcpy(buffer, capture.data(), static_cast<std::size_t>(bytes));
    return bytes;
  }
  int ClearData(HookHandle handle, int counter) override { return Record("ClearData", handle, counter), 1; }
  wrendle::app::Point GetLastPosition() override {
    Record("GetLastPosition");
    return last_position;
  }
  int SetWaitingRecognize(int waiting, int flag, WindowHandle window) override {
    Record("SetWaittingRecognize", waiting, flag, window);
    if (waiting == 0 && flag == 0 && on_capture_end) on_capture_end();
    return 1;
  }
  int SetPen(HookHandle handle, int width, std::uint32_t colour) override {
    return Record("SetPen", handle, width, colour), 1;
  }
  int SetDelayEx(HookHandle handle, int pause_ms, int hold_ms) override {
    return Record("SetDelayEx", handle, pause_ms, hold_ms), 1;
  }
  int EnableMouse(HookHandle handle, int mode) override { return Record("EnableMouse", handle, mode), 0; }
  int SetIsPressure(int mode) override { return Record("SetIsPressure", mode), mode; }
  void InitialWintab(WindowHandle) override { Record("InitialWintab"); }
  void UnhookJR() override { Record("UnhookJR"); }
  void UnhookCBT() override { Record("UnhookCBT"); }
  void UnhookMouse(WindowHandle window) override { Record("UnhookMouse", window); }

 private:
  template <typename... Args>
  void Record(const char* name, Args... args) {
    std::string text = name;
    [[maybe_unused]] const char* separator = " ";
    ((text += separator + std::to_string(args), separator = ","), ...);
    calls.push_back(text);
  }
};

}  // namespace app_testing
