#include "hook/win32/module_state.h"

#include <cstring>
#include <new>

#include "hook/win32/handle_value.h"
#include "hook/win32/resource_ids.h"
#include "hook/win32/tablet.h"

namespace jebhook::win32 {
namespace {

using platform::win32::MappedView;
using platform::win32::MutexLock;
using platform::win32::UniqueHandle;

constexpr char kMutexName[] = "JEBHOOKEX_MUTEXOBJ";
constexpr char kMappingName[] = "JEBHOOKEX_SHAREDATAS";
constexpr char kGuardName[] = "JEBHOOKS_SHAREDATAS";
constexpr char kMessageName[] = "JEBHOOKEX_REG_MORVANE_MESSAGE";
constexpr LANGID kSimplifiedChinese = 0x0804;  // 2052

struct ModuleState {
  HINSTANCE instance = nullptr;
  UINT registered_message = 0;
  HCURSOR pen_cursor = nullptr;
  DWORD timer_tls = TLS_OUT_OF_INDEXES;
  UniqueHandle mutex;
  UniqueHandle mapping;
  MappedView view;
  // The guard mapping: created by the first process, opened by every later
  // one, so that it exists exactly while some process has the library.
  UniqueHandle guard;
  MappedView guard_view;
  // The layout loaded at attach, when it was not loaded before.
  HKL added_layout = nullptr;
};

ModuleState* g_state = nullptr;

SECURITY_ATTRIBUTES Inheritable() { return SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE}; }

bool HasLayout(HKL layout) {
  HKL layouts[64];
  const int count = GetKeyboardLayoutList(64, layouts);
  for (int i = 0; i < count; ++i) {
    if (layouts[i] == layout) return true;
  }
  return false;
}

// Loads the Chinese keyboard layout for this process and remembers it when it
// is new, so that the detach unloads only a layout this process added.
void LoadAttachLayout(ModuleState& state) {
  const char* name = GetSystemDefaultLangID() == kSimplifiedChinese ? "00000804" : "00000404";
  HKL before[64];
  const int count = GetKeyboardLayoutList(64, before);
  HKL layout = LoadKeyboardLayoutA(name, KLF_REPLACELANG | KLF_NOTELLSHELL);
  if (layout == nullptr) return;
  for (int i = 0; i < count; ++i) {
    if (before[i] == layout) return;
  }
  state.added_layout = layout;
}

void ShowVersionConflict(HINSTANCE instance) {
  char text[128] = {};
  char caption[64] = {};
  LoadStringA(instance, IDS_VERSION_CONFLICT, text, sizeof text);
  LoadStringA(instance, IDS_LIBRARY_NAME, caption, sizeof caption);
  MessageBoxA(GetForegroundWindow(), text, caption, MB_OK | MB_ICONSTOP);
}

// Under the mutex. The first process's set-up of the block; false when an
// older hook library is loaded.
bool CreateFirst(ModuleState& state, SharedBlock& block) {
  SECURITY_ATTRIBUTES attributes = Inheritable();
  UniqueHandle guard(CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                        kGuardMappingBytes, kGuardName));
  if (guard && GetLastError() == ERROR_ALREADY_EXISTS) return false;
  const char* layout = GetSystemDefaultLangID() == kSimplifiedChinese ? "E8880804" : "E8880404";
  InitializeSharedBlock(block, state.registered_message, layout);
  if (guard) {
    MappedView guard_view(MapViewOfFile(guard.get(), FILE_MAP_ALL_ACCESS, 0, 0, kGuardMappingBytes));
    if (guard_view) std::memset(guard_view.get(), 0xFF, kGuardMappingBytes);
    block.guard_mapping = ToValue(guard.get());
    const auto address = reinterpret_cast<std::uintptr_t>(guard_view.get());
    block.guard_view = address <= 0xFFFFFFFFu ? static_cast<std::uint32_t>(address) : 0;
    state.guard = std::move(guard);
    state.guard_view = std::move(guard_view);
  }
  return true;
}

}  // namespace

bool AttachProcess(HINSTANCE instance) {
  auto* state = new (std::nothrow) ModuleState;
  if (state == nullptr) return false;
  state->instance = instance;
  state->registered_message = RegisterWindowMessageA(kMessageName);
  state->pen_cursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_PEN));
  state->timer_tls = TlsAlloc();

  SECURITY_ATTRIBUTES attributes = Inheritable();
  state->mutex.reset(CreateMutexA(&attributes, FALSE, kMutexName));
  bool loaded = false;
  bool conflict = false;
  if (state->mutex && state->timer_tls != TLS_OUT_OF_INDEXES) {
    MutexLock lock(state->mutex.get());
    state->mapping.reset(CreateFileMappingA(INVALID_HANDLE_VALUE, &attributes, PAGE_READWRITE, 0,
                                            kSharedBlockBytes, kMappingName));
    const bool first = GetLastError() != ERROR_ALREADY_EXISTS;
    if (lock.held() && state->mapping) {
      state->view.reset(MapViewOfFile(state->mapping.get(), FILE_MAP_ALL_ACCESS, 0, 0, kSharedBlockBytes));
    }
    if (state->view) {
      auto& block = *state->view.as<SharedBlock>();
      if (first) {
        conflict = !CreateFirst(*state, block);
      } else {
        state->guard.reset(OpenFileMappingA(FILE_MAP_READ, FALSE, kGuardName));
      }
      if (!conflict) {
        ++block.process_count;
        loaded = true;
      } else {
        state->view.reset();
        state->mapping.reset();
      }
    }
  }
  if (!loaded) {
    if (conflict) ShowVersionConflict(instance);
    if (state->timer_tls != TLS_OUT_OF_INDEXES) TlsFree(state->timer_tls);
    delete state;
    return false;
  }
  g_state = state;
  LoadAttachLayout(*state);
  return true;
}

void DetachProcess(bool process_ending) {
  ModuleState* state = g_state;
  if (state == nullptr) return;
  if (!process_ending && state->added_layout != nullptr && HasLayout(state->added_layout)) {
    UnloadKeyboardLayout(state->added_layout);
  }
  HANDLE tablet_context = nullptr;
  {
    // Threads that held the mutex when the process began to end are gone, so
    // it is abandoned at worst; the limit only guards against the unexpected.
    MutexLock lock(state->mutex.get(), process_ending ? 2000 : INFINITE);
    if (lock.held() && state->view) {
      auto& block = *state->view.as<SharedBlock>();
      if (--block.process_count <= 0 && !process_ending)
        tablet_context = TakeTabletContextOfLastProcess(block);
    }
    if (process_ending) return;
    // The guard and the block go while the mutex is held, so that a process
    // attaching now either sees both or neither.
    state->guard_view.reset();
    state->guard.reset();
    state->view.reset();
    state->mapping.reset();
  }
  CloseTabletContext(tablet_context);
  UnloadTablet();
  if (state->timer_tls != TLS_OUT_OF_INDEXES) TlsFree(state->timer_tls);
  g_state = nullptr;
  delete state;
}

HINSTANCE ModuleInstance() { return g_state ? g_state->instance : nullptr; }
UINT RegisteredMessage() { return g_state ? g_state->registered_message : 0; }
HCURSOR PenCursor() { return g_state ? g_state->pen_cursor : nullptr; }
DWORD TimerTlsIndex() { return g_state ? g_state->timer_tls : TLS_OUT_OF_INDEXES; }

BlockLock::BlockLock()
    : lock_(g_state ? g_state->mutex.get() : nullptr),
      block_(lock_.held() && g_state->view ? g_state->view.as<SharedBlock>() : nullptr) {}

}  // namespace jebhook::win32
