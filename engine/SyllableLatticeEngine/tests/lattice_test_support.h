// Shared set-up of the lattice tests: a small language on disk (class bigram
// model and text lexicon) loaded into a core model and a lexicon, and the
// log captured.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/SyllableLatticeEngine/testing/language_fixture.h"
#include "engine/core/core_lm.h"
#include "engine/core/lexicon.h"
#include "engine/core/messages.h"
#include "engine/core/page_lm.h"
#include "engine/core/resources.h"
#include "engine/core/testing/lm_file_writers.h"
#include "engine/core/tests/test_support.h"

namespace vok_test {

// Unique per test, so that tests may run in parallel processes, and short:
// the engine's file-name fields hold 100 bytes, and a Windows temporary
// folder takes a good part of them.
inline std::string LatticeTempPath(const std::string& name) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::size_t test =
      std::hash<std::string>{}(std::string(info->test_suite_name()) + "." + info->name());
  char tag[16];
  std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(test & 0xFFFFFFFFu));
  return ::testing::TempDir() + "lat" + tag + "_" + name;
}

struct SmallLanguage {
  std::string model_path;
  std::string lexicon_path;
  std::string page_path;
  std::unique_ptr<vok::CoreLM> core;
  std::unique_ptr<vok::PageLM> page;
  std::unique_ptr<vok::CLexicon> lexicon;

  // Classes 0 "<S>", 1 "</S>", 2 "<UNK>", words from class 3 on; the page
  // model, when given, has the same classes.
  bool Load(int classes, const std::vector<uint8_t>& bytes,
            const std::vector<vok_testing::FixtureWord>& words,
            const vok_testing::OlderPageModel* page_model = nullptr) {
    model_path = LatticeTempPath("model.bin");
    lexicon_path = LatticeTempPath("lexicon.txt");
    if (!vok_testing::WriteClassBigramModel(model_path, classes, bytes)) return false;
    if (!vok_testing::WriteTextLexicon(lexicon_path, classes, words)) return false;
    core = std::make_unique<vok::CoreLM>(nullptr, model_path.c_str());
    if (core->status() != 0) return false;
    if (page_model) {
      page_path = LatticeTempPath("page.bin");
      if (!vok_testing::WriteFileBytes(page_path, page_model->Write())) return false;
      page = std::make_unique<vok::PageLM>(page_path.c_str(), 3, 1.0f, 1000);
      if (page->status() != 0) return false;
    }
    lexicon = std::make_unique<vok::CLexicon>(nullptr, lexicon_path.c_str(), core.get(), page.get());
    return lexicon->status() == 0;
  }
  ~SmallLanguage() {
    lexicon.reset();
    for (const std::string* p : {&model_path, &lexicon_path, &page_path}) {
      if (!p->empty()) std::remove(p->c_str());
    }
  }
};

// The words of a lexicon whose first three lines are the sentence ends and
// "<UNK>".
inline std::vector<vok_testing::FixtureWord> WithSentenceWords(
    const std::vector<vok_testing::FixtureWord>& words) {
  std::vector<vok_testing::FixtureWord> all = {{"<S>", 0, 50}, {"</S>", 1, 50}, {"<UNK>", 2, 5}};
  all.insert(all.end(), words.begin(), words.end());
  return all;
}

// The options of a system and its back end over the small language's files.
inline void PutSmallLanguageOptions(const SmallLanguage& language, vok::Resources* options,
                                    int insertion_penalty = -50) {
  options->PutInt("System", "NBestChoices", 10);
  options->PutInt("Search", "StackSearchBeam", 2000);
  options->PutInt("LMBackend", "WordInsertionPenalty", insertion_penalty);
  options->Put("LMBackend", "LexiconFile", language.lexicon_path.c_str());
  options->Put("LMBackend", "CoreLMFile", language.model_path.c_str());
}

// Sends the log to a temporary file while the object lives.
// The log written to a file of the test's own and read back as text. A
// named file in the test folder rather than tmpfile(), whose Windows runtime
// takes its files from a folder all processes share and may give none; the
// log then went elsewhere unnoticed.
class CapturedLog {
 public:
  CapturedLog() : path_(LatticeTempPath("log.txt")) { Open(); }
  ~CapturedLog() {
    vok::SetLogStream(nullptr);
    if (file_) std::fclose(file_);
    std::remove(path_.c_str());
  }
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;
  std::string Text() const { return ReadAll(file_); }
  void Clear() {
    vok::SetLogStream(nullptr);
    if (file_) std::fclose(file_);
    Open();
  }
  static std::string ReadAll(std::FILE* f) {
    if (!f) return std::string();
    std::fflush(f);
    std::rewind(f);
    std::string text;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
  }

 private:
  void Open() {
    file_ = std::fopen(path_.c_str(), "w+b");
    EXPECT_NE(file_, nullptr) << path_;
    vok::SetLogStream(file_);
  }

  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace vok_test
