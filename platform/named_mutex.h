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
  // Waits for the mutex (one abandoned by a holder that ended counts as
  // taken); false when waiting failed. Not recursive.
  virtual bool Lock() = 0;
  virtual void Unlock() = 0;
};

// Holds a named mutex for a scope.
class NamedMutexLock {
 public:
  explicit NamedMutexLock(NamedMutex& mutex) : mutex_(mutex), locked_(mutex.Lock()) {}
  ~NamedMutexLock() {
    if (locked_) mutex_.Unlock();
  }
  NamedMutexLock(const NamedMutexLock&) = delete;
  NamedMutexLock& operator=(const NamedMutexLock&) = delete;
  bool locked() const { return locked_; }

 private:
  NamedMutex& mutex_;
  bool locked_;
};

}  // namespace platform
