#include "engine/SyllableLatticeEngine/system.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/tests/lattice_test_support.h"
#include "engine/SyllableLatticeEngine/word_lattice_engine.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/hypothesis.h"
#include "engine/core/resources.h"

namespace {

using vok::BackTraceTable;
using vok::CLMBackendEngine;
using vok::CSystem;
using vok::NBestList;
using vok::Resources;

// An engine that plays a fixed lattice: the entries of frame t come with the
// t-th input.
class ScriptedEngine : public vok::LatticeEngine {
 public:
  struct Entry {
    uint16_t word;
    int16_t score;
    int start;
  };
  ScriptedEngine(BackTraceTable* table, std::vector<std::vector<Entry>> frames)
      : LatticeEngine(table), frames_(std::move(frames)) {}
  int ProcessInput() override {
    if (AdvanceFrame() < 0) return -1;
    const std::size_t t = static_cast<std::size_t>(frames() - 1);
    if (t < frames_.size()) {
      for (const Entry& e : frames_[t]) table_->AddRecord(e.word, e.score, e.start);
    }
    return 0;
  }
  int FinishUtterance() override {
    AdvanceFrame();
    return LatticeEngine::FinishUtterance();
  }
  int64_t GetMemoryUsage() const override { return 1000; }
  int ReadOptions(const Resources&) override {
    ++reads_;
    return 0;
  }
  int reads_ = 0;

 private:
  std::vector<std::vector<Entry>> frames_;
};

class TestSystem : public CSystem {
 public:
  TestSystem(CLMBackendEngine* back_end, const Resources& resources,
             std::vector<std::vector<ScriptedEngine::Entry>> frames)
      : CSystem(back_end), own_table_(std::make_unique<BackTraceTable>(1000, 10, 1)) {
    table_ = own_table_.get();
    own_engine_ = std::make_unique<ScriptedEngine>(table_, std::move(frames));
    engine_ = own_engine_.get();
    ReadOptions(resources, false);
  }
  ScriptedEngine* scripted() { return own_engine_.get(); }
  // One utterance of `inputs` items through the back end.
  int Run(int inputs, bool rescore = false) {
    StartUtterance();
    for (int i = 0; i < inputs; ++i) engine_->ProcessInput();
    FinishUtterance();
    const int result = RunBackEnd(rescore, true);
    UpdateStatistics();
    return result;
  }

 private:
  std::unique_ptr<BackTraceTable> own_table_;
  std::unique_ptr<ScriptedEngine> own_engine_;
};

std::unique_ptr<Resources> BaseOptions() {
  auto r = std::make_unique<Resources>();
  r->PutInt("System", "NBestChoices", 20);
  r->PutInt("Search", "StackSearchBeam", 300);
  r->PutInt("LMBackend", "WordInsertionPenalty", -50);
  return r;
}

class SystemTest : public ::testing::Test {
 protected:
  vok_test::CapturedMessages messages_;
};

TEST_F(SystemTest, OptionsAndTheirDefaults) {
  auto options = BaseOptions();
  TestSystem system(nullptr, *options, {});
  EXPECT_EQ(system.n_best_choices(), 20);
  EXPECT_EQ(system.output_n_best_choices(), 20);  // NBestChoices on a first read
  EXPECT_EQ(system.stack_max_extend(), 5000);
  EXPECT_EQ(system.stack_search_beam(), 300);
  EXPECT_EQ(system.use_class_trigram(), 0);
  EXPECT_STREQ(system.control_file(), "");

  options->PutInt("System", "NBestChoices", 30);
  options->Put("System", "ControlFile", std::string(150, 'c').c_str());
  system.ReadOptions(*options, true);
  EXPECT_EQ(system.output_n_best_choices(), 20);  // a reload keeps it
  EXPECT_EQ(std::string(system.control_file()), std::string(99, 'c'));

  struct Case {
    const char* section;
    const char* key;
    int value;
    int expected;
  };
  const Case cases[] = {
      {"System", "NBestChoices", 0, 1},
      {"System", "NBestChoices", 900, 400},
      {"Search", "StackSearchBeam", 40000, 32767},
      {"Search", "StackSearchBeam", -5, 0},
      {"Search", "StackMaxExtend", 70000, 32767},
      {"Search", "StackMaxExtend", -1, 0},
  };
  for (const Case& c : cases) {
    auto r = BaseOptions();
    r->PutInt(c.section, c.key, c.value);
    TestSystem clamped(nullptr, *r, {});
    const int got = std::string(c.key) == "NBestChoices"
                        ? clamped.n_best_choices()
                        : (std::string(c.key) == "StackSearchBeam" ? clamped.stack_search_beam()
                                                                   : clamped.stack_max_extend());
    EXPECT_EQ(got, c.expected) << c.key << " " << c.value;
  }
}

TEST_F(SystemTest, MissingOptionsArePrintedOnAFirstRead) {
  Resources empty;
  TestSystem system(nullptr, empty, {});
  const std::string out = messages_.Output();
  EXPECT_NE(out.find("ERROR -1: System: Parameter \"NBestChoices\" not set!\n"), std::string::npos);
  EXPECT_NE(out.find("ERROR -1: Search: Parameter \"StackSearchBeam\" not set!\n"), std::string::npos);
  EXPECT_EQ(vok::ErrorCount(), 0);
  EXPECT_EQ(system.ReadOptions(empty, true), -1);
  EXPECT_EQ(messages_.Output(), out);  // a reload prints nothing
  EXPECT_EQ(vok::ErrorCount(), 0);
}

TEST_F(SystemTest, WithoutABackEnd) {
  auto options = BaseOptions();
  TestSystem system(nullptr, *options, {{{3, 0, 0}}});
  EXPECT_EQ(system.Run(1), -1);
  EXPECT_EQ(system.GetAlternatives(nullptr, nullptr), -1);
  EXPECT_EQ(system.RescoreNBest(nullptr, nullptr), -1);
  char text[16] = "junk";
  EXPECT_EQ(system.GetBestText(text, sizeof text, ""), 0);
  EXPECT_STREQ(text, "");
  // 292 + table + engine.
  EXPECT_EQ(system.GetMemoryUsage(), 292 + system.table()->MemoryUse() + 1000);
}

class DecodingSystemTest : public SystemTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(language_.Load(
        5, std::vector<uint8_t>(25, 10),
        vok_test::WithSentenceWords({{"\xB0\xA1\xB0\xA2", 3, 20}, {"\xB0\xA3", 4, 20}, {"\xB0\xA4", 4, 5}})));
    options_ = BaseOptions();
    options_->Put("LMBackend", "LexiconFile", language_.lexicon_path.c_str());
    options_->Put("LMBackend", "CoreLMFile", language_.model_path.c_str());
    back_end_ = std::make_unique<CLMBackendEngine>(*options_);
    ASSERT_NE(back_end_->lexicon(), nullptr);
  }
  vok_test::SmallLanguage language_;
  std::unique_ptr<Resources> options_;
  std::unique_ptr<CLMBackendEngine> back_end_;
};

TEST_F(DecodingSystemTest, ResultsAsTextAndIds) {
  // Frame 1: word 3 (0-1); frame 2: word 4 or 5 (1-2).
  TestSystem system(back_end_.get(), *options_, {{{3, 0, 0}}, {{4, 0, 1}, {5, -10, 1}}});
  ASSERT_EQ(system.Run(2), 0);
  ASSERT_EQ(system.nbest()->count(), 2);
  uint16_t ids[4] = {9, 9, 9, 9};
  ASSERT_EQ(system.GetBestWordIDs(ids, 4, nullptr), 0);
  EXPECT_EQ(std::vector<uint16_t>(ids, ids + 3), (std::vector<uint16_t>{2, 3, 4}));
  EXPECT_EQ(system.GetResultWordIDs(2, ids, 4, nullptr), -1);  // n = count
  EXPECT_EQ(ids[0], 0);
  EXPECT_EQ(system.GetResultWordIDs(-1, ids, 4, nullptr), -1);
  EXPECT_EQ(system.GetResultWordIDs(0, ids, 2, nullptr), -1);  // does not fit
  EXPECT_EQ(ids[0], 0);

  char text[32];
  ASSERT_EQ(system.GetBestText(text, sizeof text, "/"), 0);
  EXPECT_STREQ(text, "\xB0\xA1/\xB0\xA2/\xB0\xA3/");
  ASSERT_EQ(system.GetResultText(0, text, 8, "/"), 0);  // cut after the first word
  EXPECT_STREQ(text, "\xB0\xA1/\xB0\xA2/");
  EXPECT_EQ(system.GetResultText(0, text, 3, "/"), -1);
  EXPECT_STREQ(text, "");
  ASSERT_EQ(system.GetResultText(5, text, sizeof text, ""), 0);
  EXPECT_STREQ(text, "");

  NBestList copy(10);
  system.GetNBestList(&copy);
  EXPECT_EQ(copy.count(), 2);
  EXPECT_EQ(copy.limit(), 20);
  EXPECT_EQ(copy.best_score(), system.nbest()->best_score());

  std::vector<vok::CAlternativeList> records(3);
  ASSERT_EQ(system.GetAlternatives(ids[0] == 0 ? nullptr : ids, records.data()), -1);
  const uint16_t spoken[] = {2, 3, 4};
  ASSERT_EQ(system.GetAlternatives(spoken, records.data()), 0);
  EXPECT_EQ(records[1].count(), 2);
  EXPECT_EQ(system.GetMemoryUsage(), 292 + system.table()->MemoryUse() + 1000 + back_end_->GetMemoryUsage());
}

TEST_F(DecodingSystemTest, EmptyTableGivesNoSentence) {
  TestSystem system(back_end_.get(), *options_, {{{3, 0, 0}}});
  ASSERT_EQ(system.Run(1), 0);
  system.table()->Reset(0);
  EXPECT_EQ(system.RunBackEnd(false, true), -1);
  EXPECT_EQ(system.nbest()->count(), 0);
  // An utterance without input is the empty sentence.
  ASSERT_EQ(system.Run(0), 0);
  EXPECT_EQ(system.nbest()->Get(0).count, 0);
}

TEST_F(DecodingSystemTest, ConsoleLines) {
  TestSystem system(back_end_.get(), *options_, {});
  auto feed = [&](const char* line) {
    std::FILE* input = std::tmpfile();
    std::fputs(line, input);
    std::rewind(input);
    const int result = system.ReadResourceLine(options_.get(), input);
    std::fclose(input);
    return result;
  };
  EXPECT_EQ(feed("-q\n"), -1);
  EXPECT_EQ(feed("-n\n"), -2);
  const int sections = options_->SectionCount();
  EXPECT_EQ(feed("\n"), 0);
  EXPECT_EQ(options_->SectionCount(), sections);
  EXPECT_EQ(system.scripted()->reads_, 0);
  EXPECT_EQ(feed("-Search.StackSearchBeam 200 -System.NBestChoices 7\n"), 0);
  EXPECT_EQ(system.stack_search_beam(), 200);
  EXPECT_EQ(system.n_best_choices(), 7);
  EXPECT_EQ(system.output_n_best_choices(), 20);
  EXPECT_EQ(system.scripted()->reads_, 1);
  EXPECT_EQ(feed(""), -1);  // end of input quits
  EXPECT_NE(messages_.Output().find("\nResources> "), std::string::npos);

  // An overlong line is taken up to its first kilobyte; the rest of it, here a
  // "-q", is dropped rather than read as the next line.
  std::FILE* input = std::tmpfile();
  std::fputs(("-Search.StackSearchBeam 150" + std::string(3000, ' ') + "-q\n-n\n").c_str(), input);
  std::rewind(input);
  EXPECT_EQ(system.ReadResourceLine(options_.get(), input), 0);
  EXPECT_EQ(system.stack_search_beam(), 150);
  EXPECT_EQ(system.ReadResourceLine(options_.get(), input), -2);
  std::fclose(input);
}

TEST_F(DecodingSystemTest, ReportTexts) {
  vok_test::CapturedLog log;
  Resources verbose;
  verbose.PutInt("System", "Verbosity", 2);
  vok::SetLogResources(&verbose);
  TestSystem system(back_end_.get(), *options_, {{{3, 0, 0}}, {{4, 0, 1}}});
  log.Clear();
  system.PrintReport();
  const std::string rule(56, '=');
  EXPECT_EQ(log.Text(), "\nSystem Report\n" + rule + "\n");
  ASSERT_EQ(system.Run(2), 0);
  log.Clear();
  system.PrintSummary();
  const std::string summary = std::regex_replace(log.Text(), std::regex("[0-9]+(\\.[0-9]+)?"), "#");
  EXPECT_EQ(summary.rfind("\nSystem summary:\n", 0), 0u);
  EXPECT_NE(summary.find("Lattice engine summary:\n"), std::string::npos);
  EXPECT_NE(summary.find("Stack decode summary:\n"), std::string::npos);
  log.Clear();
  system.PrintReport();
  const std::string report = std::regex_replace(log.Text(), std::regex("[0-9]+(\\.[0-9]+)?"), "#");
  EXPECT_NE(report.find("Number parsed in lattice = # (# percent)\n"), std::string::npos);
  EXPECT_NE(report.find("\nLattice engine report\n"), std::string::npos);
  EXPECT_NE(report.find("\nStack Search Engine Report\n"), std::string::npos);
  EXPECT_EQ(report.substr(report.size() - rule.size() - 1), rule + "\n");
  vok::SetLogResources(nullptr);
}

TEST(LMBackendEngineTest, MissingModelsAreReportedNotDereferenced) {
  vok_test::CapturedMessages messages;
  Resources options;
  options.PutInt("LMBackend", "WordInsertionPenalty", 0);
  CLMBackendEngine back_end(options);
  EXPECT_EQ(back_end.lexicon(), nullptr);
  EXPECT_NE(messages.Output().find("Parameter \"LexiconFile\" not set!"), std::string::npos);
  EXPECT_NE(messages.Output().find("Parameter \"CoreLMFile\" not set!"), std::string::npos);
  EXPECT_EQ(back_end.Load(options), -1);
  BackTraceTable table(10, 10, 1);
  table.EndFrame();
  table.AddRecord(3, 0, 0);
  table.EndFrame();
  EXPECT_EQ(back_end.Decode(&table, nullptr, 100, 100), -1);
  EXPECT_TRUE(vok::ErrorRecorded("errNoLanguageModel"));
  NBestList list(10);
  EXPECT_EQ(back_end.GetNBest(&list, 1), -1);
  EXPECT_EQ(back_end.GetCorePersonClass(), 65535);
  EXPECT_EQ(back_end.GetCoreUnknownClass(), 65535);
  CLMBackendEngine nothing;
  EXPECT_EQ(nothing.Decode(&table, nullptr, 100, 100), -1);
  EXPECT_EQ(nothing.GetAlternatives(nullptr, nullptr), -1);
}

// A model name longer than its field is refused, never cut off: cut to the
// field, this one would name the real model.
TEST(LMBackendEngineTest, ModelNamesLongerThanTheirFieldAreRefused) {
  vok_test::CapturedMessages messages;
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(5, std::vector<uint8_t>(25, 10), vok_test::WithSentenceWords({{"a", 3, 2}})));
  std::string padded = language.model_path;
  const std::size_t field = CLMBackendEngine::kFileNameBytes - 1;
  ASSERT_LT(padded.size(), field);
  const std::size_t folder_end = padded.find_last_of("/\\");
  ASSERT_NE(folder_end, std::string::npos);
  padded.insert(folder_end, field - padded.size(), padded[folder_end]);
  Resources options;
  options.PutInt("LMBackend", "WordInsertionPenalty", 0);
  options.Put("LMBackend", "LexiconFile", language.lexicon_path.c_str());
  options.Put("LMBackend", "CoreLMFile", (padded + "x").c_str());
  {
    CLMBackendEngine back_end(options);
    EXPECT_EQ(back_end.core(), nullptr);
    EXPECT_NE(messages.Output().find("errFileNameTooLong"), std::string::npos);
  }
  options.Put("LMBackend", "CoreLMFile", padded.c_str());
  CLMBackendEngine fitting(options);
  EXPECT_NE(fitting.core(), nullptr);
}

TEST(LMBackendEngineTest, WritesAndReadsTheBinaryLexicon) {
  vok_test::CapturedMessages messages;
  vok_test::SmallLanguage language;
  ASSERT_TRUE(language.Load(5, std::vector<uint8_t>(25, 10), vok_test::WithSentenceWords({{"a", 3, 2}})));
  const std::string binary = vok_test::LatticeTempPath("lexicon.bin");
  std::remove(binary.c_str());
  Resources options;
  options.PutInt("LMBackend", "WordInsertionPenalty", 0);
  options.Put("LMBackend", "LexiconFile", language.lexicon_path.c_str());
  options.Put("LMBackend", "CoreLMFile", language.model_path.c_str());
  options.Put("LMBackend", "BinaryLexiconFile", binary.c_str());
  {
    CLMBackendEngine back_end(options);
    ASSERT_NE(back_end.lexicon(), nullptr);
    EXPECT_EQ(back_end.GetCoreUnknownClass(), 2);
  }
  options.Put("LMBackend", "LexiconFile", "no-such-file");
  CLMBackendEngine from_binary(options);
  ASSERT_NE(from_binary.lexicon(), nullptr);
  EXPECT_EQ(from_binary.lexicon()->StringToWordID("a"), 3);
  std::remove(binary.c_str());
}

}  // namespace
