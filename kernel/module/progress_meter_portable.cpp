#include "kernel/module/progress_meter.h"

namespace kernel {

ProgressMeter::ProgressMeter() = default;
ProgressMeter::~ProgressMeter() = default;
void ProgressMeter::Show(std::size_t, std::size_t) {}

}  // namespace kernel
