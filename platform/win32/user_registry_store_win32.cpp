// The registry stores over HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
#include <windows.h>

#include <vector>

#include "platform/registry_store.h"

namespace platform {
namespace {

class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class RootRegistryStore : public RegistryStore {
 public:
  explicit RootRegistryStore(HKEY root) : root_(root) {}

  bool OpenOrCreateKey(const std::string& key) override {
    KeyHandle handle;
    return RegCreateKeyExA(root_, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                           nullptr, handle.out(), nullptr) == ERROR_SUCCESS;
  }

  std::optional<std::string> ReadText(const std::string& key, const std::string& name) override {
    KeyHandle handle;
    if (RegOpenKeyExA(root_, key.c_str(), 0, KEY_READ, handle.out()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(handle.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<char> data(size + 1);
    if (RegQueryValueExA(handle.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    data[size] = '\0';
    return std::string(data.data());
  }

  bool WriteText(const std::string& key, const std::string& name, const std::string& text) override {
    KeyHandle handle;
    if (RegCreateKeyExA(root_, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        handle.out(), nullptr) != ERROR_SUCCESS) {
      return false;
    }
    return RegSetValueExA(handle.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& key, const std::string& name) override {
    KeyHandle handle;
    const LONG opened = RegOpenKeyExA(root_, key.c_str(), 0, KEY_SET_VALUE, handle.out());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS) return false;
    const LONG deleted = RegDeleteValueA(handle.get(), name.c_str());
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  }

  std::optional<std::uint32_t> ReadNumber(const std::string& key, const std::string& name) override {
    KeyHandle handle;
    if (RegOpenKeyExA(root_, key.c_str(), 0, KEY_READ, handle.out()) != ERROR_SUCCESS) return std::nullopt;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExA(handle.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
      return std::nullopt;
    }
    return value;
  }

  bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value) override {
    KeyHandle handle;
    if (RegCreateKeyExA(root_, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        handle.out(), nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const DWORD data = value;
    if (RegSetValueExA(handle.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                       sizeof(data)) != ERROR_SUCCESS) {
      return false;
    }
    return RegFlushKey(handle.get()) == ERROR_SUCCESS;
  }

 private:
  HKEY root_;
};

}  // namespace

std::unique_ptr<RegistryStore> MakeUserRegistryStore() {
  return std::make_unique<RootRegistryStore>(HKEY_CURRENT_USER);
}

std::unique_ptr<RegistryStore> MakeMachineRegistryStore() {
  return std::make_unique<RootRegistryStore>(HKEY_LOCAL_MACHINE);
}

}  // namespace platform
