// Pronunciations and their homophone texts, read from the "\HMap" file of
// the current dialect: an optional first line with the number of entries,
// then one pronunciation and its text per line, separated by blanks, tabs,
// carriage returns or line feeds.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "engine/api/vok_status.h"

namespace vok::api {

class CHomophoneMap {
 public:
  static constexpr std::size_t kLineBytes = 512;

  // kVokOk, or kVokInternalFailure when the file cannot be read. Lines past
  // the announced count are ignored.
  VokStatus Load(const std::string& path);

  // Null when the pronunciation (any case) is absent.
  const char* Find(const std::string& pronunciation) const;
  std::size_t size() const { return texts_.size(); }

 private:
  std::unordered_map<std::string, std::string> texts_;
};

// The first two double-byte characters of a homophone text, lead byte high;
// 0 for a character the text does not hold.
void FirstTwoCharacters(const char* text, std::uint16_t* first, std::uint16_t* second);

}  // namespace vok::api
