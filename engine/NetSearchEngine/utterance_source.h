// The stored utterances of an audio session as the searches read them: one
// utterance selected by number, then its samples in blocks until it is used
// up.
#pragma once

#include <cstdint>

namespace vok {

class UtteranceSource {
 public:
  virtual ~UtteranceSource() = default;

  // Selects stored utterance n for reading from its start; false when it
  // does not exist.
  virtual bool SelectUtterance(int n) = 0;
  // Up to `wanted` 16-bit samples (11025 Hz mono) of the selected utterance
  // into `samples`; *read gets their number and *finished becomes true once
  // the utterance is used up. 0, or -1 when nothing can be read.
  virtual int ReadSamples(int16_t* samples, int wanted, int* read, bool* finished) = 0;
};

}  // namespace vok
