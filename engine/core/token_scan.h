// A tokenizer with its own saved state, so that it can run inside loops that
// use the standard library's strtok. Each thread has its own state.
#pragma once

namespace vok {

// Remembers the text (which it cuts in place), its length and position 0, and
// returns the first piece. A piece ends at the first character of `cut_set`,
// tried in the set's order, that occurs anywhere in the rest of the text: that
// character is replaced by a NUL. When none occurs the piece is the rest of
// the text. A leading or doubled cut gives an empty piece; a trailing cut
// gives none. Null for a null text.
char* TokenScanFirst(char* text, const char* cut_set);
// The next piece of the remembered text, or null once the position has
// reached its end.
char* TokenScanNext(const char* cut_set);

}  // namespace vok
