#include <windows.h>

#include "platform/named_mutex.h"

namespace platform {
namespace {

class KernelMutex final : public NamedMutex {
 public:
  explicit KernelMutex(HANDLE handle) : handle_(handle) {}
  ~KernelMutex() override { CloseHandle(handle_); }
  KernelMutex(const KernelMutex&) = delete;
  KernelMutex& operator=(const KernelMutex&) = delete;
  bool Lock() override {
    const DWORD result = WaitForSingleObject(handle_, INFINITE);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  void Unlock() override { ReleaseMutex(handle_); }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::Create(const std::string& name, bool* already_existed) {
  HANDLE handle = CreateMutexA(nullptr, FALSE, name.c_str());
  const DWORD error = GetLastError();
  if (handle == nullptr) return nullptr;
  if (already_existed != nullptr) *already_existed = error == ERROR_ALREADY_EXISTS;
  return std::make_unique<KernelMutex>(handle);
}

}  // namespace platform
