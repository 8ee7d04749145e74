#include <map>
#include <mutex>

#include "platform/named_mutex.h"

namespace platform {
namespace {

// Open holders per name, as the kernel counts handles of a named object.
std::mutex g_names_mutex;
std::map<std::string, int> g_holders;

class ProcessNamedMutex final : public NamedMutex {
 public:
  explicit ProcessNamedMutex(std::string name) : name_(std::move(name)) {}
  ~ProcessNamedMutex() override {
    std::lock_guard<std::mutex> lock(g_names_mutex);
    if (--g_holders[name_] == 0) g_holders.erase(name_);
  }
  ProcessNamedMutex(const ProcessNamedMutex&) = delete;
  ProcessNamedMutex& operator=(const ProcessNamedMutex&) = delete;

 private:
  std::string name_;
};

}  // namespace

std::unique_ptr<NamedMutex> NamedMutex::Create(const std::string& name, bool* already_existed) {
  std::lock_guard<std::mutex> lock(g_names_mutex);
  int& holders = g_holders[name];
  if (already_existed != nullptr) *already_existed = holders > 0;
  ++holders;
  return std::make_unique<ProcessNamedMutex>(name);
}

}  // namespace platform
