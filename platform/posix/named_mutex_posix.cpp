#include <map>
#include <memory>
#include <mutex>

#include "platform/named_mutex.h"

namespace platform {
namespace {

// Open holders per name, as the kernel counts handles of a named object,
// and the one lock that every holder of the name shares.
struct Named {
  int holders = 0;
  std::shared_ptr<std::mutex> lock = std::make_shared<std::mutex>();
};
std::mutex g_names_mutex;
std::map<std::string, Named> g_names;

class ProcessNamedMutex final : public NamedMutex {
 public:
  ProcessNamedMutex(std::string name, std::shared_ptr<std::mutex> lock)
      : name_(std::move(name)), lock_(std::move(lock)) {}
  ~ProcessNamedMutex() override {
    std::lock_guard<std::mutex> names(g_names_mutex);
    if (--g_names[name_].holders == 0) g_names.erase(name_);
  }
  ProcessNamedMutex(const ProcessNamedMutex&) = delete;
  ProcessNamedMutex& operator=(const ProcessNamedMutex&) = delete;
  bool Lock() override {
    lock_->lock();
    return true;
  }
  void Unlock() override { lock_->unlock(); }

 private:
  std::string name_;
  std::shared_ptr<std::mutex> lock_;
};

}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::Create(const std::string& name, bool* already_existed) {
  std::lock_guard<std::mutex> lock(g_names_mutex);
  Named& named = g_names[name];
  if (already_existed != nullptr) *already_existed = named.holders > 0;
  ++named.holders;
  return std::make_unique<ProcessNamedMutex>(name, named.lock);
}

}  // namespace platform
