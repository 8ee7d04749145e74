// The recognition exports of "Zunmain.dll" over the process's dispatcher.
// The dispatcher is attached on first use, on the caller's UI thread, rather
// than in DllMain, where loading the gesture module and creating a window are
// unsafe under the loader lock.
#include <windows.h>

#include <memory>
#include <mutex>

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

std::unique_ptr<ProcessDispatcher> g_process;
std::once_flag g_attach_once;

wrendle::Zunmain& Dispatcher() {
  std::call_once(g_attach_once, [] {
    g_process = std::make_unique<ProcessDispatcher>();
    g_process->zunmain =
        std::make_unique<wrendle::Zunmain>(*g_process->profiles, platform::WindowsDirectory());
  });
  return *g_process->zunmain;
}

}  // namespace

extern "C" {

int WRENDLE_STDCALL ZUNInitRecognition(int language, int mode) {
  return Dispatcher().InitRecognition(language, mode);
}

void WRENDLE_STDCALL ZUNFreeRecognition() { Dispatcher().FreeRecognition(); }

int WRENDLE_STDCALL ZUNRecognition(const wrendle::StrokeEntry* strokes, std::uint16_t* candidates,
                                   int learn_code) {
  return Dispatcher().Recognition(strokes, candidates, learn_code);
}

int WRENDLE_STDCALL ZUNSetRange(int range_flags) { return Dispatcher().SetRange(range_flags); }

int WRENDLE_STDCALL ZUNAttachLearn(const char* features, const char* segments, const char* ink,
                                   const char* fourth) {
  return Dispatcher().AttachLearn(features, segments, ink, fourth);
}

void WRENDLE_STDCALL ZUNSetPrevCharacter(int code) { Dispatcher().SetPrevCharacter(code); }

int WRENDLE_STDCALL ZUNSetRecognizeGesture(int use_gesture) {
  return Dispatcher().SetRecognizeGesture(use_gesture);
}

int WRENDLE_STDCALL ZUNIsGesture(int query) { return Dispatcher().IsGesture(query); }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    wrendle::ProcessSegmenter().InitSegment(0, 0);
  } else if (reason == DLL_PROCESS_DETACH) {
    // Unloaded by FreeLibrary: release the recognizer and the modules it
    // loaded. At process exit the system reclaims everything instead, and
    // other modules may already be gone.
    if (reserved == nullptr) {
      g_process.reset();
    } else {
      static_cast<void>(g_process.release());
    }
  }
  return TRUE;
}

}  // extern "C"
