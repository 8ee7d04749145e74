// Nothing leaves an export of the dispatcher: a module boundary carries no
// C++ exception, and the caller is another program.
#pragma once

#include <type_traits>

namespace wrendle {

// The result of `call`, or `failed` when it throws.
template <typename Call>
auto CallGuarded(std::invoke_result_t<Call> failed, Call&& call) noexcept -> std::invoke_result_t<Call> {
  try {
    return call();
  } catch (...) {
    return failed;
  }
}

// Runs `call`; a throw ends here.
template <typename Call>
void CallGuarded(Call&& call) noexcept {
  try {
    call();
  } catch (...) {
  }
}

}  // namespace wrendle
