// The progress window that the rebuilding of learned files shows, opened by
// its first report and closed with the object. The portable build shows
// nothing.
#pragma once

#include <cstddef>

namespace kernel {

class ProgressMeter {
 public:
  ProgressMeter();
  ~ProgressMeter();
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  void Show(std::size_t done, std::size_t total);

 private:
  [[maybe_unused]] void* dialog_ = nullptr;  // the Windows build only
};

}  // namespace kernel
