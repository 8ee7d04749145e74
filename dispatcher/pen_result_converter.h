// Turns the engine's pen result records into candidate codes.
#pragma once

#include <array>
#include <cstdint>

#include "common/engine_pen_abi.h"
#include "dispatcher/dispatcher_state.h"

namespace wrendle {

// Up to ten codes and a zero end.
using EngineCandidates = std::array<std::uint16_t, 11>;

class PenResultConverter {
 public:
  PenResultConverter(DispatcherState& state, int language, abi::VOKWordIDToStringPFn word_to_string)
      : state_(state), language_(language), word_to_string_(word_to_string) {}

  // Fills `out` (zero after the last code) from one record; the caller keeps
  // ownership of the record.
  void Convert(const abi::VokResult& result, EngineCandidates& out);

 private:
  // The code of candidate i, or 0 when it is skipped.
  std::uint16_t ConvertCandidate(const abi::VokResult& result, std::uint32_t i);
  std::uint16_t ConvertWord(std::uint16_t word_id);
  std::uint16_t ApplyGbSymbolPairs(std::uint16_t code);

  DispatcherState& state_;
  int language_;
  abi::VOKWordIDToStringPFn word_to_string_;
};

}  // namespace wrendle
