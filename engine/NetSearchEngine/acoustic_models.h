// The acoustic side of a speech search: the HMM database, the front end and
// the syllable table, none of them owned. Taken from a VastelSystem record,
// or given one by one (a test's scripted database).
#pragma once

#include "engine/LIB_C_rHMMDataBase/c_r_abstract_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/Vastel/vastel_system.h"
#include "engine/core/syllable_table.h"

namespace vok {

struct AcousticModels {
  C_rAbstractHMMDataBase* database = nullptr;
  C_rFrontEnd* front_end = nullptr;
  CSyllableTable* syllables = nullptr;

  static AcousticModels Of(const VastelSystem& system) {
    return {system.database(), system.front_end(), system.syllable_table()};
  }
  bool complete() const { return database && front_end && syllables; }
};

}  // namespace vok
