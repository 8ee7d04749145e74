// recognize_speech: dictation of wave files (11025 Hz, mono, 16-bit PCM) with
// the speech data of a dialect folder. For each file it prints the best
// sentences in UTF-8, then the real-time factor (processor time of the search
// and the back end over the audio's duration). --speaker male or female
// decodes with the models of a speaker of that gender ("SpeechM", "SpeechF"),
// as the engine does after a speaker change. The acoustic library's own
// messages go to standard error.
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/recognize_speech/dictation_recognizer.h"
#include "tools/text_codec/text_codec.h"

namespace {

void PrintUsage() {
  std::fprintf(stderr,
               "usage: recognize_speech [--data DIR] [--nbest N] [--speaker any|male|female] FILE.wav...\n"
               "  DIR: the dialect folder (default: data/China beside the tool's bin folder)\n"
               "  --speaker: the acoustic models of any speaker (\"Speech\", the default) or of a male\n"
               "    or female one (\"SpeechM\", \"SpeechF\")\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = (std::filesystem::path(argv[0]).parent_path() / ".." / "data" / "China").string();
  int nbest = 1;
  recognize_speech::Speaker speaker = recognize_speech::Speaker::kAny;
  std::vector<std::string> waves;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--data" && i + 1 < argc) {
      folder = argv[++i];
    } else if (argument == "--nbest" && i + 1 < argc) {
      const std::string_view value = argv[++i];
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), nbest);
      if (error != std::errc() || end != value.data() + value.size() || nbest < 1 || nbest > 400) {
        PrintUsage();
        return 2;
      }
    } else if (argument == "--speaker" && i + 1 < argc) {
      const auto named = recognize_speech::SpeakerNamed(argv[++i]);
      if (!named) {
        PrintUsage();
        return 2;
      }
      speaker = *named;
    } else if (argument.starts_with("--")) {
      PrintUsage();
      return 2;
    } else {
      waves.emplace_back(argument);
    }
  }
  if (waves.empty()) {
    PrintUsage();
    return 2;
  }
  // The results on the standard output, everything the engine prints on
  // standard error.
  std::FILE* results = fdopen(dup(STDOUT_FILENO), "w");
  if (!results || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return 1;

  recognize_speech::DictationRecognizer recognizer(folder, speaker);
  if (!recognizer.error().empty()) {
    std::fprintf(stderr, "recognize_speech: %s\n", recognizer.error().c_str());
    return 1;
  }
  const tools::TextCodec utf8("GB2312", "UTF-8");
  int status = 0;
  for (const std::string& wave : waves) {
    const auto dictation = recognizer.Decode(wave, nbest);
    if (!dictation) {
      std::fprintf(stderr, "recognize_speech: %s\n", recognizer.error().c_str());
      status = 1;
      continue;
    }
    std::fprintf(results, "%s\n", wave.c_str());
    for (std::size_t i = 0; i < dictation->sentences.size(); ++i) {
      const recognize_speech::Sentence& s = dictation->sentences[i];
      std::fprintf(results, "%3zu: %6d  %s  (%s)\n", i + 1, s.score, utf8.ConvertLossy(s.text, "?").c_str(),
                   s.syllables.c_str());
    }
    if (dictation->sentences.empty()) std::fprintf(results, "  (no sentence)\n");
    std::fprintf(results, "  %.2f s of audio, real-time factor %.3f%s\n", dictation->audio_seconds,
                 dictation->audio_seconds > 0 ? dictation->processor_seconds / dictation->audio_seconds : 0.0,
                 dictation->cut ? " (cut at 2000 frames)" : "");
    std::fflush(results);
  }
  std::fclose(results);
  return status;
}
