#include "engine/api/shared_section.h"

namespace vok::api {

#if defined(_WIN32)
// One copy for all processes: a writable section marked shared.
__attribute__((section(".vokshr"), shared))
#endif
constinit SharedInstanceState g_shared_section{0, 0, 0x1003};

SharedInstanceState& SharedSection() { return g_shared_section; }

}  // namespace vok::api
