// A mutex that processes share by name (Windows kernel object). Natively the
// name is shared inside the process only.
#pragma once

#include <memory>
#include <string>

namespace platform {

class NamedMutex {
 public:
  // Opens or creates the mutex; `already_existed` tells whether some holder
  // had it open before. Null when it can't be made.
  static std::unique_ptr<NamedMutex> Create(const std::string& name, bool* already_existed);

  virtual ~NamedMutex() = default;
};

}  // namespace platform
