// The library's exports run their work through Guarded, so that no exception
// reaches the calling program: a failure inside becomes -1.
#pragma once

#include <cstdint>

#include "engine/api/vok_status.h"

namespace vok::api {

template <typename Work>
std::uint32_t Guarded(Work work) {
  try {
    return work();
  } catch (...) {
    return kVokInternalFailure;
  }
}

}  // namespace vok::api
