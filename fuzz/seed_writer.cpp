// Writes the seed inputs of the fuzz targets with the project's own writers:
//   fuzz_seed_writer <folder>   (fuzz/seeds in the source tree)
// One folder per target; the files are kept small.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/core/reading_code.h"
#include "app/core/related_data_writers.h"
#include "app/core/user_map.h"
#include "common/stroke_list.h"
#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/testing/synthetic_hmm_model.h"
#include "engine/api/utterance_set_file.h"
#include "engine/api/wave_file.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"
#include "engine/core/symbol_table.h"
#include "engine/core/testing/grammar_writer.h"
#include "engine/core/testing/hwr_stroke_file_writer.h"
#include "kernel/pen_ink_file.h"
#include "kernel/tests/synthetic_dictionary.h"
#include "platform/profile_store.h"
#include "tools/train_acoustic_model/wave_file.h"

namespace {

namespace fs = std::filesystem;

class SeedFolder {
 public:
  SeedFolder(const fs::path& root, const std::string& target) : folder_(root / target) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  fs::path Path(const std::string& name) const { return folder_ / name; }
  void Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::ofstream out(Path(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void WriteText(const std::string& name, const std::string& text) const {
    Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
  }
  // A file that a writer made elsewhere.
  void Take(const std::string& name, const fs::path& source) const { fs::copy_file(source, Path(name)); }

 private:
  fs::path folder_;
};

void Append(std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& more) {
  bytes.insert(bytes.end(), more.begin(), more.end());
}

void AppendInt32(std::vector<std::uint8_t>& bytes, std::int32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
}

std::vector<std::uint8_t> EntryBytes(const std::vector<wrendle::StrokeEntry>& entries) {
  std::vector<std::uint8_t> bytes;
  // The end entry is the harness's to add.
  for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
    AppendInt32(bytes, entries[i].x);
    AppendInt32(bytes, entries[i].y);
  }
  return bytes;
}

std::vector<wrendle::StrokeEntry> OneStroke(std::initializer_list<wrendle::StrokeEntry> points) {
  return wrendle::StrokeListBuilder().AddStroke(points).Build();
}

// A line of characters side by side, as the pad's strokes would come.
std::vector<wrendle::StrokeEntry> Line(const std::vector<kernel_testing::Sample>& samples) {
  wrendle::StrokeListBuilder builder;
  int offset = 0;
  for (const kernel_testing::Sample& sample : samples) {
    const auto view = wrendle::StrokeListView::Parse(sample.strokes);
    for (const wrendle::StrokeView& stroke : view->strokes()) {
      std::vector<wrendle::StrokeEntry> points(stroke.points.begin(), stroke.points.end());
      for (wrendle::StrokeEntry& point : points) point.x += offset;
      builder.AddStroke(points);
    }
    offset += 160;
  }
  return builder.Build();
}

void KernelSeeds(const fs::path& root) {
  using kernel::CodePage;
  const auto samples = kernel_testing::SyntheticSamples(CodePage::kBig5, 12, 1);
  const kernel_testing::BaseFiles base = kernel_testing::BuildBaseFiles(CodePage::kBig5, samples, 3);
  const kernel::DictionaryLayout layout = kernel_testing::TestLayout(CodePage::kBig5);
  const auto learned_samples = kernel_testing::SyntheticSamples(CodePage::kBig5, 2, 1, 40);
  const kernel_testing::BaseFiles learned =
      kernel_testing::BuildBaseFiles(CodePage::kBig5, learned_samples, 1);

  const SeedFolder features(root, "fuzz_kernel_features");
  features.Write("base.dbs", base.features);
  features.Write("learned.dbs", learned.features);
  features.Write("empty.dbs",
                 kernel::WriteFeatureFile(CodePage::kBig5, layout.bounds, layout.fine_divisors, {}));

  const SeedFolder lists(root, "fuzz_kernel_segment_lists");
  lists.Write("base.dbs", base.segment_lists);
  lists.Write("learned.dbs", learned.segment_lists);
  lists.Write("two_per_record.dbs",
              kernel::WriteSegmentListFile(CodePage::kBig5, 2, 5, 1,
                                           std::vector<kernel::SegmentList>{{{10, 10, 70, 10, 0}}, {}}));

  const SeedFolder clusters(root, "fuzz_kernel_clusters");
  clusters.Write("base.dbs", base.clusters);

  const SeedFolder ink(root, "fuzz_kernel_pen_ink");
  std::vector<std::uint8_t> two;
  for (const kernel_testing::Sample& sample : learned_samples)
    Append(two, kernel::SerializeInkRecord(sample.code, sample.strokes));
  ink.Write("two_records.dbs", two);
}

void StrokeSeeds(const fs::path& root) {
  const auto samples = kernel_testing::SyntheticSamples(kernel::CodePage::kBig5, 12, 1);
  const auto enter = OneStroke({{100, 100}, {100, 160}, {100, 220}, {60, 220}, {20, 220}});
  const auto horizontal = OneStroke({{20, 100}, {90, 101}, {160, 100}});

  const SeedFolder zunmain(root, "fuzz_zunmain_strokes");
  const auto header = [](std::int32_t range, std::uint8_t learn, std::int32_t code) {
    std::vector<std::uint8_t> bytes;
    AppendInt32(bytes, range);
    bytes.push_back(learn);
    if (learn % 4 == 0) AppendInt32(bytes, code);
    return bytes;
  };
  std::vector<std::uint8_t> recognize = header(0x8009, 1, 0);
  Append(recognize, EntryBytes(samples[3].strokes));
  zunmain.Write("recognize.bin", recognize);
  std::vector<std::uint8_t> learn = header(0x8009, 0, samples[5].code);
  Append(learn, EntryBytes(samples[7].strokes));
  zunmain.Write("learn.bin", learn);
  std::vector<std::uint8_t> gesture = header(0x9, 1, 0);
  Append(gesture, EntryBytes(enter));
  zunmain.Write("gesture.bin", gesture);

  const SeedFolder segmenter(root, "fuzz_segmenter");
  std::vector<std::uint8_t> line;
  for (const std::int32_t value : {1024, 768, 50, 0}) AppendInt32(line, value);
  line.push_back(10);
  Append(line, EntryBytes(Line({samples[0], samples[1], samples[2]})));
  segmenter.Write("three_characters.bin", line);

  const SeedFolder gestures(root, "fuzz_gesture");
  for (const auto& [name, strokes] : {std::pair{"enter.bin", enter}, std::pair{"horizontal.bin", horizontal},
                                      std::pair{"character.bin", samples[4].strokes}}) {
    std::vector<std::uint8_t> bytes = {0x07};
    Append(bytes, EntryBytes(strokes));
    gestures.Write(name, bytes);
  }
}

void ProgramSeeds(const fs::path& root, const fs::path& scratch) {
  {
    wrendle::app::CUserMap map(scratch.string());
    map.SetUser("Alice");
    map.Add(0x100, "Wrendle");
    map.Add(0x101, "handwriting");
    map.Save();
    map.SetUser("Bob");
    map.Add(0x102, "pen");
    map.Save();
    SeedFolder(root, "fuzz_user_map").Take("two_users.map", map.FilePath());
  }
  {
    const auto profiles = platform::MakeIniFileProfileStore(scratch.string());
    profiles->WriteString("seed.ini", "Learn", "UserCount", "2");
    profiles->WriteString("seed.ini", "Learn", "User1", "tpen,2000,1");
    profiles->WriteString("seed.ini", "Learn", "User2", "cpen,4000,2");
    profiles->WriteString("seed.ini", "Layout", "Px", "120");
    profiles->WriteString("seed.ini", "2000", "Display", "\"quoted\"");
    SeedFolder(root, "fuzz_profile_store").Take("wrendle.ini", scratch / "seed.ini");
  }
  const SeedFolder strings(root, "fuzz_string_table");
  // Language choice, string id, size.
  strings.Write("traditional.bin", {1, 1, 0, 0, 0, 63});
  strings.Write("simplified.bin", {3, 2, 0, 0, 0, 3});
}

void EngineSeeds(const fs::path& root, const fs::path& scratch) {
  {
    vok::Resources resources;
    resources.Put("System", "Verbosity", "1");
    resources.Put("Vastel", "StreamWeights", "1.0 1.0");
    resources.Put("Paths", "Data", "$(HOME)/data");
    const fs::path path = scratch / "Resources";
    resources.Write(path.string().c_str());
    const SeedFolder seeds(root, "fuzz_resources");
    seeds.Take("written", path);
    seeds.WriteText("sections", "Resource Foo\nBar 3 # note\nBaz.Qux 4\r\nResource Win\nKey value\n");
  }
  {
    vok::SymbolTable table(4);
    for (const char* name : {"a", "ba", "sil", "zh_iang"}) table.Add(name);
    const SeedFolder seeds(root, "fuzz_symbol_table");
    for (const auto& [name, tag] : {std::pair{"plain.bin", 0}, std::pair{"keyed.bin", 5}}) {
      const fs::path path = scratch / name;
      std::FILE* out = std::fopen(path.string().c_str(), "wb");
      table.Write(out, static_cast<std::uint16_t>(tag), 3);
      std::fclose(out);
      std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(tag)};
      std::ifstream in(path, std::ios::binary);
      bytes.insert(bytes.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      seeds.Write(name, bytes);
    }
  }
  {
    const std::string text = "X a b\r\nonly\n\nY c\tb\nZ dd ee ff\n";
    const SeedFolder texts(root, "fuzz_string_map_text");
    texts.WriteText("map.txt", text);
    const fs::path path = scratch / "map.txt";
    std::ofstream(path, std::ios::binary) << text;
    vok::StringMap map(path.string().c_str(), 16);
    const SeedFolder binaries(root, "fuzz_string_map_binary");
    for (const auto& [name, key] : {std::pair{"plain.bin", 0}, std::pair{"scrambled.bin", 0x5A}}) {
      map.WriteBinary((scratch / name).string().c_str(), static_cast<std::uint8_t>(key));
      binaries.Take(name, scratch / name);
    }
  }
  {
    const SeedFolder confusion(root, "fuzz_confusion_lattice");
    confusion.WriteText("confusion.txt",
                        "\xb1\xa1 \xb0\xa1 \xb0\xa3\n\xb1\xa2 \xb0\xa2\n\xb1\xa1\xb1\xa2 "
                        "\xb0\xa1\xb0\xa2\nab a\xb0\xa2 AB\n");
  }
  {
    hmm_model_writer::SyntheticShape shape;
    shape.dims = {3, 2};
    shape.codeBooksPerStream = 1;
    shape.gaussiansPerCodeBook = 2;
    shape.numStates = 3;
    const hmm_model_writer::Model model = hmm_model_writer::Synthetic(shape);
    const SeedFolder seeds(root, "fuzz_hmm_model");
    seeds.Write("big_endian.bin",
                hmm_model_writer::Write(model, hmm_model_writer::ByteOrder::kBigEndian).bytes);
    seeds.Write("little_endian.bin",
                hmm_model_writer::Write(model, hmm_model_writer::ByteOrder::kLittleEndian).bytes);
  }
  {
    C_rFrontEnd standard;
    standard.setup_Std(1);
    SeedFolder(root, "fuzz_front_end_spec").WriteText("standard.spec", standard.get_SpecText());
  }
  {
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 400; ++i) samples.push_back(static_cast<std::int16_t>((i % 50 - 25) * 300));
    SeedFolder(root, "fuzz_speech_wave")
        .Write("speech.wav", train_acoustic_model::WaveImage(samples, train_acoustic_model::kSamplingRate));
    const SeedFolder lists(root, "fuzz_speech_corpus_list");
    lists.WriteText("train.list",
                    "# corpus\nwav/s0001-m1.wav\tm1\tM\tni3 hao3\nwav/y0001-f1.wav\tf1\tF\tZHONG1 A1\n");
    lists.WriteText("Syllable", "# syllables\n%BEGIN <SYLLABLE>\nA1 a1\nNV3 n(#,v3) v3(n,#)\n%END\n");
  }
  {
    const SeedFolder sources(root, "fuzz_language_model_sources");
    const std::string listing =
        "\\0-gram\\1\n  0.1 0.2 (0,0)\n\\1-gram\\3\n 0 0.25 1.0 (0,0)\n 70 0.5 1.0 (0,0)\n"
        " 71 0.25 1.0 (0,0)\n\\2-gram\\2\n 70 71 0.75 1.0 (1,0)\n 0 70 0.5 1.0 (1,1)\n"
        "\\3-gram\\1\n 0 70 71 0.625 (1,0)\n";
    std::string with_words = listing;
    with_words += '\0';
    with_words += "70\t\xE4\xBD\xA0\n71\t\xE5\xA5\xBD\n";
    sources.WriteText("ngrams.txt", with_words);
    sources.WriteText(
        "table.txt",
        "\xE5\xA4\xB4\xE5\x8F\x91\t\xE9\xA0\xAD\xE9\xAB\xAE\n\xE5\x8F\x91\t\xE7\x99\xBC \xE9\xAB\xAE\n");
    sources.WriteText("text.txt", "\xE4\xB8\xAD\xE5\x9B\xBD\xEF\xBC\x8C\xE4\xB8\xAD x");
  }
}

void GrammarSeeds(const fs::path& root) {
  const std::string units =
      "# travel\n%BEGIN <TOP>\nqu <CITY> [ aa ] ( bb | cc- ) <*>\n| aa* bb+$0.5 cc?\n%END\n"
      "%BEGIN <CITY>\nbeij | shan\n%END\n";
  const SeedFolder texts(root, "fuzz_grammar_text");
  texts.WriteText("units.txt", units);
  texts.WriteText("bigram.txt",
                  "%BIGRAM names\naabb\naacc\n# skipped\nbb\xA1\xA4"
                  "cc\n");
  texts.WriteText("bigram_end.txt", "%bigram+end names\naaqubeij\nccshan\nbbcc\n");
  vok_testing::BinaryGrammar grammar;
  grammar.words = {"qu", "beij", "shan", "aa"};
  grammar.unit_names = {"<TOP>", "<CITY>"};
  grammar.units = {
      {"<TOP>", 3, {{0, 0, 0, 2}, {static_cast<int32_t>(0x80000001), -28, 2, 1}, {65531, 0, 0, 1}}},
      {"<CITY>", 3, {{1, 0, 0, 1}, {2, 0, 0, 2}, {3, 0, 2, 2}, {65533, 0, 2, 1}}}};
  const std::string bytes = vok_testing::WriteBinaryGrammar(grammar);
  texts.WriteText("binary.bin", bytes);
  SeedFolder(root, "fuzz_grammar_binary").WriteText("units.bin", bytes.substr(19));
}

// Grammars for the command networks, behind the target's choice bytes: the
// options, then the scores of the scripted database.
void CommandNetworkSeeds(const fs::path& root) {
  std::string choices(1, '\x02');
  for (int i = 0; i < 64; ++i) choices.push_back(static_cast<char>(i * 37 % 251));
  const SeedFolder seeds(root, "fuzz_command_network");
  seeds.WriteText("items.txt", choices + "%BEGIN <TOP>\naa bb\n| cc [ qu ]\n| <*> shan$0.5\n%END\n");
  seeds.WriteText("loops.txt", choices + "%BEGIN <TOP>\naa+ [ bb ] beij*\n| qu? <*>\n| cc- aabb\n%END\n");
  seeds.WriteText("bigram.txt", choices +
                                    "%BIGRAM names\naabb\nbb\xA1\xA4"
                                    "cc\nshan\n");
}

void RelatedDataSeeds(const fs::path& root) {
  using wrendle::app::WritePhraseFile;
  // GB2312 phrases: one key with entries of one to three characters, one key
  // whose line ends with LF only.
  const std::string guo = "\xB9\xFA", ren = "\xC8\xCB", jia = "\xBC\xD2", wen = "\xCE\xC4";
  const std::string phrases = WritePhraseFile(
      {{0xD0D6, {guo, guo + ren, wen, guo + jia, guo + jia + ren}}, {0xC4CE, {guo, jia + ren}}});
  const SeedFolder phrase_seeds(root, "fuzz_phrase_file");
  phrase_seeds.WriteText("schar.txt", phrases);
  std::string lf = phrases;
  std::erase(lf, '\r');
  phrase_seeds.WriteText("lf_ends.txt", lf);

  wrendle::app::PhoneTableContents contents;
  contents.readings.resize(16);
  const std::uint16_t zhong1 = wrendle::app::CodeOf({15, 2, 12, 0});
  const std::uint16_t zhong4 = wrendle::app::CodeOf({15, 2, 12, 3});
  contents.readings[0] = {zhong1, zhong4};
  contents.readings[5] = {zhong4};
  contents.homophones[zhong1] = {{0xA1B0}, {}, {}, {0xA1B5, 0xA1B0}, {}};
  SeedFolder(root, "fuzz_phone_table").Write("small.tab", wrendle::app::WritePhoneTable(contents));
}

// Stroke files of a line of handwriting and a table of the two scripts.
void HandwritingLatticeSeeds(const fs::path& root) {
  const auto line = [](int x0, int y0, int x1, int y1) {
    std::vector<vok::InkPoint> points;
    for (int i = 0; i < 8; ++i) {
      points.push_back({static_cast<std::int16_t>(y0 + (y1 - y0) * i / 7),
                        static_cast<std::int16_t>(x0 + (x1 - x0) * i / 7)});
    }
    return points;
  };
  const SeedFolder strokes(root, "fuzz_stroke_file");
  strokes.WriteText("one.txt", vok_testing::WriteHwrStrokeFile({line(0, 0, 40, 40)}));
  const std::vector<std::vector<vok::InkPoint>> written = {line(0, 0, 40, 0),      line(20, -10, 20, 40),
                                                           line(70, 0, 110, 40),   line(110, 0, 70, 40),
                                                           line(140, 20, 180, 20), line(150, 0, 150, 40)};
  strokes.WriteText("line.txt", vok_testing::WriteHwrStrokeFile(written));
  const SeedFolder table(root, "fuzz_hwr_code_conversion");
  table.WriteText("small.tab", "\xB7\xA2\xB5\x6F\xB6\xBE\n\xB8\xC9\xA4\x7A\xB0\xAE\r\n\xC7\xAC\xB0\xAE\n");
}

// The engine's wave files: its own header with a few samples, and a 22050 Hz
// file with a longer format chunk and a LIST chunk before the data.
void AudioSeeds(const fs::path& root) {
  const SeedFolder seeds(root, "fuzz_engine_wave");
  const auto header = vok::api::WaveHeader(8);
  std::vector<std::uint8_t> plain(header.begin(), header.end());
  Append(plain, {0, 0, 0xFF, 0x7F, 0x00, 0x80, 0x10, 0x00});
  seeds.Write("engine.wav", plain);
  std::vector<std::uint8_t> doubled = {
      'R', 'I', 'F', 'F', 50,   0,    0,   0,   'W',  'A',  'V', 'E', 'f', 'm', 't', ' ', 18, 0, 0,   0,
      1,   0,   1,   0,   0x22, 0x56, 0,   0,   0x44, 0xAC, 0,   0,   2,   0,   16,  0,   0,  0, 'L', 'I',
      'S', 'T', 2,   0,   0,    0,    'a', 'b', 'd',  'a',  't', 'a', 4,   0,   0,   0,   1,  0, 2,   0};
  seeds.Write("double_rate_list.wav", doubled);

  // Utterance sets of every version, one utterance skipped, one missing.
  vok::api::UtteranceSetContents contents;
  for (int i = 0; i < 3; ++i) {
    vok::api::UtteranceSetEntry entry;
    entry.samples.assign(170, static_cast<std::int16_t>(300 * i - 200));
    entry.first_text = "take";
    entry.second_text = "text " + std::to_string(i);
    entry.skipped = i == 1;
    contents.utterances.push_back(entry);
  }
  contents.utterances.push_back({{}, {}, {}, false, true});
  const SeedFolder sets(root, "fuzz_utterance_set");
  for (std::uint32_t version : {0x720002u, 0x720101u, 0x610001u, 0x64000000u}) {
    char name[32];
    std::snprintf(name, sizeof name, "v%x.bin", version);
    sets.Write(name, vok::api::WriteUtteranceSet(contents, version));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seed_writer <seed folder>\n";
    return 2;
  }
  const fs::path root = argv[1];
  const fs::path scratch = fs::temp_directory_path() / "wrendle-fuzz-seeds";
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  KernelSeeds(root);
  StrokeSeeds(root);
  ProgramSeeds(root, scratch);
  EngineSeeds(root, scratch);
  GrammarSeeds(root);
  CommandNetworkSeeds(root);
  RelatedDataSeeds(root);
  HandwritingLatticeSeeds(root);
  AudioSeeds(root);
  fs::remove_all(scratch);
  return 0;
}
