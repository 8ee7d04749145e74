#include "engine/core/token_scan.h"

#include <cstddef>
#include <cstring>

namespace vok {

namespace {

struct ScanState {
  char* text = nullptr;
  std::size_t length = 0;
  std::size_t position = 0;
  std::size_t piece_end = 0;  // position of the cutting character (or the end)
};

thread_local ScanState state;

char* CutPiece(const char* cut_set) {
  char* rest = state.text + state.position;
  std::size_t end = state.length;
  if (cut_set) {
    for (const char* c = cut_set; *c; ++c) {
      const void* found = std::memchr(rest, *c, state.length - state.position);
      if (found) {
        end = static_cast<std::size_t>(static_cast<const char*>(found) - state.text);
        state.text[end] = '\0';
        break;
      }
    }
  }
  state.piece_end = end;
  return rest;
}

}  // namespace

char* TokenScanFirst(char* text, const char* cut_set) {
  state = ScanState{};
  if (!text) return nullptr;
  state.text = text;
  state.length = std::strlen(text);
  return CutPiece(cut_set);
}

char* TokenScanNext(const char* cut_set) {
  if (!state.text) return nullptr;
  state.position = state.piece_end + 1;
  if (state.position >= state.length) {
    state.text = nullptr;
    return nullptr;
  }
  return CutPiece(cut_set);
}

}  // namespace vok
