#include "engine/SyllableLatticeEngine/sc_system.h"

#include <cstring>
#include <string>

#include "engine/SyllableLatticeEngine/confusion_lattice_engine.h"
#include "engine/SyllableLatticeEngine/file_name_option.h"
#include "engine/core/messages.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"

namespace vok {

CSCSystem::CSCSystem(const Resources& resources, CLMBackendEngine* back_end) : CLatticeSystem(back_end) {
  CSCSystem::ReadOptions(resources, false);
  Load(resources);
}

CSCSystem::~CSCSystem() = default;

int CSCSystem::ReadOptions(const Resources& resources, bool reload) {
  const int result = CSystem::ReadOptions(resources, reload);
  const std::string name =
      ReadFileName(resources, "CSCSystem", "ConfusionFile", kConfusionFileBytes).value_or(std::string());
  std::memcpy(confusion_file_, name.c_str(), name.size() + 1);
  return result;
}

void CSCSystem::Load(const Resources& resources) {
  MakeTable();
  auto engine = std::make_unique<ConfusionLatticeEngine>(table_, lexicon_,
                                                         *confusion_file_ ? confusion_file_ : nullptr);
  confusion_ = engine.get();
  word_engine_ = std::move(engine);
  word_engine_->ReadOptions(resources);
  engine_ = word_engine_.get();
  word_engine_->PrintHeaderTo(LogReportStream());
}

int CSCSystem::AddConfusion(const char* key, const char* value, int score) {
  return key && value && confusion_->confusion_map()->Add(key, value, score) ? 0 : -1;
}

}  // namespace vok
