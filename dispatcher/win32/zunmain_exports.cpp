// The recognition exports of "Zunmain.dll" over the process's dispatcher.
// The dispatcher is attached on first use, on the caller's UI thread, rather
// than in DllMain, where loading the gesture module and creating a window are
// unsafe under the loader lock.
#include <windows.h>

#include <memory>
#include <mutex>

#include "dispatcher/export_barrier.h"
#include "dispatcher/segmentation/character_segmenter.h"
#include "dispatcher/zunmain.h"
#include "dispatcher/zunmain_api.h"
#include "platform/profile_store.h"
#include "platform/system_info.h"

namespace {

struct ProcessDispatcher {
  std::unique_ptr<platform::ProfileStore> profiles = platform::MakeSystemProfileStore();
  std::unique_ptr<wrendle::Zunmain> zunmain;
};

// Never destroyed: a destructor would run at unloading, under the loader
// lock, and free the recognizer and unload its modules there. The caller
// frees the recognizer with ZUNFreeRecognition before unloading.
ProcessDispatcher* g_process = nullptr;
std::once_flag g_attach_once;

wrendle::Zunmain& Dispatcher() {
  std::call_once(g_attach_once, [] {
    auto process = std::make_unique<ProcessDispatcher>();
    process->zunmain = std::make_unique<wrendle::Zunmain>(*process->profiles, platform::WindowsDirectory());
    g_process = process.release();
  });
  return *g_process->zunmain;
}

}  // namespace

using wrendle::CallGuarded;

extern "C" {

int WRENDLE_STDCALL ZUNInitRecognition(int language, int mode) {
  return CallGuarded(0, [&] { return Dispatcher().InitRecognition(language, mode); });
}

void WRENDLE_STDCALL ZUNFreeRecognition() {
  CallGuarded([] { Dispatcher().FreeRecognition(); });
}

int WRENDLE_STDCALL ZUNRecognition(const wrendle::StrokeEntry* strokes, std::uint16_t* candidates,
                                   int learn_code) {
  return CallGuarded(0, [&] { return Dispatcher().Recognition(strokes, candidates, learn_code); });
}

int WRENDLE_STDCALL ZUNSetRange(int range_flags) {
  return CallGuarded(0, [&] { return Dispatcher().SetRange(range_flags); });
}

int WRENDLE_STDCALL ZUNAttachLearn(const char* features, const char* segments, const char* ink,
                                   const char* fourth) {
  return CallGuarded(0, [&] { return Dispatcher().AttachLearn(features, segments, ink, fourth); });
}

void WRENDLE_STDCALL ZUNSetPrevCharacter(int code) {
  CallGuarded([&] { Dispatcher().SetPrevCharacter(code); });
}

int WRENDLE_STDCALL ZUNSetRecognizeGesture(int use_gesture) {
  return CallGuarded(0, [&] { return Dispatcher().SetRecognizeGesture(use_gesture); });
}

int WRENDLE_STDCALL ZUNIsGesture(int query) {
  return CallGuarded(0, [&] { return Dispatcher().IsGesture(query); });
}

// Nothing heavy here: no module is loaded or unloaded and no recognizer
// freed under the loader lock.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) CallGuarded([] { wrendle::ProcessSegmenter().InitSegment(0, 0); });
  return TRUE;
}

}  // extern "C"
