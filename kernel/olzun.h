// The recognizer object of a loaded kernel module: intake, the quick pass and
// its short-circuits, then the dictionary stages of the kernel core; learning
// and the attaching and rebuilding of learned files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "common/stroke_list.h"
#include "kernel/kernel_core.h"

namespace kernel {

class Olzun {
 public:
  // Nullptr when the base dictionary does not load.
  static std::unique_ptr<Olzun> Create(const KernelConfig& config);

  // Writes up to ten codes (caller's form) and returns their number; or
  // returns a gesture or shape value of the quick pass with nothing written;
  // 0 when the cell is refused or nothing matches. With a nonzero
  // `learn_code` the cell is learned as that code instead (1 on success).
  int Recognize(std::span<const wrendle::StrokeEntry> stroke_list, std::span<std::uint16_t, 10> codes,
                int learn_code);

  int SetRange(int flags);
  // 1 on success; a header mismatch that can be rebuilt is passed on to
  // ConvertLearn.
  int AttachLearn(const LearningNameChanges& changes,
                  const std::function<void(std::size_t, std::size_t)>& progress = {});
  int ConvertLearn(const LearningNameChanges& changes,
                   const std::function<void(std::size_t, std::size_t)>& progress = {});
  int last_error() const { return last_error_; }
  const KernelCore& core() const { return *core_; }

 private:
  explicit Olzun(std::unique_ptr<KernelCore> core) : core_(std::move(core)) {}
  // The code of a short-circuited shape, or 0 when the shape goes on to the
  // dictionaries.
  std::uint16_t ShortCircuitCode(int shape) const;

  std::unique_ptr<KernelCore> core_;
  int last_error_ = 0;
};

// The character "one" of the code page, in the caller's form.
std::uint16_t CharacterOne(CodePage code_page);

}  // namespace kernel
