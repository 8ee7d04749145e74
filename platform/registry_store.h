// Text and 32-bit values under keys of one registry root. The Win32 stores
// work on HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE; the memory store stands in
// for them in tests and outside Windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace platform {

class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  // Whether the key can be opened, or created when missing.
  virtual bool OpenOrCreateKey(const std::string& key) = 0;
  // The text of a value; nullopt when the key or value is missing or the
  // value is not text.
  virtual std::optional<std::string> ReadText(const std::string& key, const std::string& name) = 0;
  // Creates the key when missing. False when it could not be written.
  virtual bool WriteText(const std::string& key, const std::string& name, const std::string& text) = 0;
  // True also when the value or key was not there.
  virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
  // A 32-bit value; nullopt when missing or of another type.
  virtual std::optional<std::uint32_t> ReadNumber(const std::string& key, const std::string& name) = 0;
  // Creates the key when missing. False when it could not be written.
  virtual bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value) = 0;
};

#if defined(_WIN32)
std::unique_ptr<RegistryStore> MakeUserRegistryStore();
// Writing there needs administrator rights.
std::unique_ptr<RegistryStore> MakeMachineRegistryStore();
#endif

class MemoryRegistryStore : public RegistryStore {
 public:
  bool OpenOrCreateKey(const std::string& key) override;
  std::optional<std::string> ReadText(const std::string& key, const std::string& name) override;
  bool WriteText(const std::string& key, const std::string& name, const std::string& text) override;
  bool DeleteValue(const std::string& key, const std::string& name) override;
  std::optional<std::uint32_t> ReadNumber(const std::string& key, const std::string& name) override;
  bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value) override;

  // A key that can be neither opened nor created, as under a policy.
  void Lock(const std::string& key) { locked_.insert(key); }
  const std::map<std::string, std::map<std::string, std::string>>& keys() const { return keys_; }

 private:
  std::map<std::string, std::map<std::string, std::string>> keys_;
  std::map<std::string, std::map<std::string, std::uint32_t>> numbers_;
  std::set<std::string> locked_;
};

}  // namespace platform
