#include "engine/SyllableLatticeEngine/language_system.h"

namespace vok {

CLanguageSystem::CLanguageSystem(const Resources& resources, CLMBackendEngine* back_end, int stack_beam)
    : CLatticeSystem(resources, back_end) {
  set_stack_search_beam(stack_beam);
}

CLanguageSystem::~CLanguageSystem() = default;

}  // namespace vok
