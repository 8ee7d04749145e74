// build_hwr_models: writes the engine's handwriting model of one script
// ("HWRSC" from GB2312 characters, "HWRTC" from Big5 characters) from the
// stroke data of the hanzi-writer-data package, and with --gestures also the
// default gesture templates "Gestures" and the anti-gesture templates
// "HWRANTIG".
#include <charconv>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>

#include "engine/core/hwr_code_mapping.h"
#include "engine/core/testing/hwr_model_writer.h"
#include "platform/file_access.h"
#include "tools/build_hwr_models/gesture_shapes.h"
#include "tools/build_hwr_models/language_statistics.h"
#include "tools/build_hwr_models/model_builder.h"

namespace {

void PrintUsage() {
  std::cerr << "usage: build_hwr_models --data PACKAGE-DIR --script sc|tc --out DIR\n"
               "                        [--words WORD-COUNTS] [--gestures] [--variants N] [--jobs N]\n";
}

bool ParseCount(std::string_view text, int& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value > 0;
}

bool Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  if (platform::WriteWholeFile(path.string(), bytes)) return true;
  std::cerr << "build_hwr_models: cannot write " << path.string() << '\n';
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string data;
  std::string out;
  std::string script;
  std::string words;
  bool gestures = false;
  build_hwr_models::HwrBuildOptions options;
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    int count = 0;
    if (arg == "--gestures") {
      gestures = true;
    } else if (i + 1 >= argc) {
      PrintUsage();
      return 2;
    } else if (arg == "--data") {
      data = argv[++i];
    } else if (arg == "--out") {
      out = argv[++i];
    } else if (arg == "--script") {
      script = argv[++i];
    } else if (arg == "--words") {
      words = argv[++i];
    } else if (arg == "--variants" && ParseCount(argv[i + 1], count)) {
      options.variants = count;
      ++i;
    } else if (arg == "--jobs" && ParseCount(argv[i + 1], count)) {
      options.jobs = static_cast<unsigned>(count);
      ++i;
    } else {
      PrintUsage();
      return 2;
    }
  }
  if (data.empty() || out.empty() || (script != "sc" && script != "tc")) {
    PrintUsage();
    return 2;
  }
  const auto characters = build_dictionaries::LoadStrokeData(data);
  if (characters.empty()) {
    std::cerr << "build_hwr_models: no stroke data in " << data << '\n';
    return 1;
  }
  build_hwr_models::LanguageStatistics language;
  if (!words.empty() && !build_hwr_models::ReadWordCounts(words, &language)) {
    std::cerr << "build_hwr_models: cannot read " << words << '\n';
    return 1;
  }
  const bool simplified = script == "sc";
  build_hwr_models::ChineseModelSource source;
  source.triple = simplified ? vok::kScModelTriple : vok::kTcModelTriple;
  source.code_page = simplified ? kernel::CodePage::kGb2312 : kernel::CodePage::kBig5;
  source.class_of_code = simplified ? [](std::uint16_t code) { return vok::ScIndex(code); }
                                    : [](std::uint16_t code) { return vok::TcIndex(code); };
  source.language = words.empty() ? nullptr : &language;
  std::cerr << "build_hwr_models: " << (simplified ? "HWRSC" : "HWRTC") << '\n';
  const auto model = build_hwr_models::BuildChineseModel(characters, source, options);
  const auto file = vok_testing::WriteHwrCharacterModel(model);
  const std::filesystem::path folder(out);
  std::filesystem::create_directories(folder);
  if (!Write(folder / (simplified ? "HWRSC" : "HWRTC"), file.bytes)) return 1;
  if (gestures) {
    if (!Write(folder / "Gestures", build_hwr_models::DefaultGestureFile())) return 1;
    if (!Write(folder / "HWRANTIG", build_hwr_models::AntiGestureFile(characters))) return 1;
  }
  return 0;
}
