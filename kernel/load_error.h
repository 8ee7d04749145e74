// Result codes of loading and attaching dictionary files.
#pragma once

namespace kernel {

enum class LoadError {
  kNone = 0,
  kMemory = 1,
  kShortRead = 2,
  kMissing = 3,
  kMismatch = 4,  // magic, tag or layout differs from this kernel's
  kWrongType = 5,
};

}  // namespace kernel
