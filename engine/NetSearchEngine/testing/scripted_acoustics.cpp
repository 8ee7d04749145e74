#include "engine/NetSearchEngine/testing/scripted_acoustics.h"

#include <cstdio>

namespace vok_testing {

std::string SyllableTableText(const std::vector<SyllableSpelling>& syllables) {
  std::string text = "%BEGIN <SYLLABLE>\n";
  for (const SyllableSpelling& s : syllables) text += s.syllable + " " + s.models + "\n";
  return text + "%END\n";
}

ScriptedAcoustics::ScriptedAcoustics(const std::vector<std::string>& models,
                                     const std::vector<SyllableSpelling>& syllables,
                                     const std::string& syllable_path, float default_score,
                                     const std::string& front_end_spec)
    : database_(models, default_score) {
  front_end_ok_ = (front_end_spec.empty() ? front_end_.setup_Std(1)
                                          : front_end_.readResourceFile(front_end_spec.c_str(), 1)) == 0;
  if (std::FILE* file = std::fopen(syllable_path.c_str(), "wb")) {
    const std::string text = SyllableTableText(syllables);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
  syllables_ = std::make_unique<vok::CSyllableTable>(syllable_path.c_str(), database_.get_HMMNameTable());
}

bool ScriptedAcoustics::ok() const { return front_end_ok_ && syllables_ && syllables_->status() == 0; }

int ScriptedAcoustics::FrameArgumentFor(int frames) const {
  const int shift = front_end_.get_NumSamplesFrameAdvance();
  const int length = front_end_.get_NumSamplesPerFrame();
  // Frames the front end processes from n x shift samples:
  // (n x shift - length) / shift + 1, of which the hold-back waits.
  int n = 1;
  while ((n * shift - length) / shift + 1 - front_end_.get_HoldBack() < frames || n * shift < length) ++n;
  return n;
}

std::vector<int16_t> ScriptedAcoustics::SamplesFor(int frames) const {
  std::vector<int16_t> samples(static_cast<std::size_t>(FrameArgumentFor(frames)) *
                               static_cast<std::size_t>(front_end_.get_NumSamplesFrameAdvance()));
  uint32_t seed = 12345;
  for (int16_t& s : samples) {
    seed = seed * 1664525u + 1013904223u;
    s = static_cast<int16_t>(static_cast<int>(seed >> 16) % 201 - 100);
  }
  return samples;
}

void PutSearchKeys(vok::Resources* resources, float log_prob_multiple) {
  resources->PutFloat("Search", "LogProbMultiple", log_prob_multiple);
  resources->PutInt("Search", "HMMSkipState", 0);
}

}  // namespace vok_testing
