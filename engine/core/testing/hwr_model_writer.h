// Writers of the handwriting model and gesture template files, kept apart
// from the readers: every field is laid down byte by byte here, and its
// offset is recorded under a name so that tests can corrupt one field at a
// time. Also makes small valid models from a seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/hwr_gesture_model.h"
#include "engine/core/hwr_model.h"

namespace vok_testing {

struct RecordedField {
  std::string name;
  std::size_t offset;
  std::size_t width;  // bytes
};

struct WrittenFile {
  std::vector<uint8_t> bytes;
  std::vector<RecordedField> fields;

  // The `occurrence`-th field of that name; throws when there is none.
  const RecordedField& Field(const std::string& name, int occurrence = 0) const;
};

WrittenFile WriteHwrCharacterModel(const vok::HwrCharacterModel& model);
WrittenFile WriteHwrLatinModel(const vok::HwrLatinModel& model);
// Header {free, 1, count, 32, version} with count = templates.size() unless
// `count` is given.
WrittenFile WriteGestureTemplates(const std::vector<vok::GestureTemplate>& templates, int32_t version = 3,
                                  int32_t count = INT32_MIN, int32_t points_per_stroke = 32);

// A valid model of the triple: random code books and tables, radical models
// of 1 to 4 states, dictionary records of 1 to 3 models of 1 to 3 radicals,
// ascending bigram keys.
vok::HwrCharacterModel MakeSmallCharacterModel(const vok::HwrModelTriple& triple, uint32_t seed);
vok::HwrLatinModel MakeSmallLatinModel(uint32_t seed);

}  // namespace vok_testing
