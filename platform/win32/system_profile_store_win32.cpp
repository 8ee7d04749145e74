#include <windows.h>

#include <vector>

#include "platform/profile_store.h"

namespace platform {
namespace {

class Win32ProfileStore final : public ProfileStore {
 public:
  std::optional<std::string> GetString(const std::string& file, const std::string& section,
                                       const std::string& key) const override {
    // A default that no real value holds tells a missing key from an empty one.
    static const char kMissing[] = "\x01missing\x01";
    std::vector<char> buffer(256);
    for (;;) {
      const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, buffer.data(),
                                                    static_cast<DWORD>(buffer.size()), file.c_str());
      if (length + 1 < buffer.size()) {
        std::string value(buffer.data(), length);
        if (value == kMissing) return std::nullopt;
        return value;
      }
      buffer.resize(buffer.size() * 2);
    }
  }

  bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& value) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
  }

  bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) override {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()) != FALSE;
  }
};

}  // namespace

std::unique_ptr<ProfileStore> MakeSystemProfileStore() { return std::make_unique<Win32ProfileStore>(); }

}  // namespace platform
