// The kernel's files as a user's installation uses them: a small base
// dictionary made by the kernel's own writers, learned files and the pen ink
// in a learning folder. One of the files comes from the fuzz input; the kernel
// then loads, recognizes one character and learns one.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "kernel/olzun.h"
#include "kernel/tests/synthetic_dictionary.h"
#include "platform/file_access.h"

namespace kernel_fuzz {

enum class KernelFile { kFeatures, kSegmentLists, kClusters, kPenInk };

class KernelScene {
 public:
  KernelScene()
      : samples_(kernel_testing::SyntheticSamples(kCodePage, 12, 1)),
        base_(kernel_testing::BuildBaseFiles(kCodePage, samples_, 3)) {
    std::filesystem::create_directories(Program(""));
    std::filesystem::create_directories(Learning(""));
  }

  // The input in place of one base file, then (for the feature and
  // segment-list files) in place of the learned one beside a sound base.
  void Run(KernelFile file, std::span<const std::uint8_t> bytes) {
    ClearLearning();
    const kernel::BaseFileNames base;
    const kernel::LearningFileNames learned;
    switch (file) {
      case KernelFile::kFeatures:
        UseBase(base.features, bytes);
        UseLearned(learned.features, bytes);
        break;
      case KernelFile::kSegmentLists:
        UseBase(base.segment_lists, bytes);
        UseLearned(learned.segment_lists, bytes);
        break;
      case KernelFile::kClusters:
        UseBase(base.clusters, bytes);
        break;
      case KernelFile::kPenInk:
        UseLearned(learned.pen_ink, bytes, Attach::kRebuild);
        break;
    }
  }

 private:
  static constexpr kernel::CodePage kCodePage = kernel::CodePage::kBig5;

  std::string Program(const std::string& name) const { return fuzz_support::ScratchFile("program/" + name); }
  std::string Learning(const std::string& name) const {
    return fuzz_support::ScratchFile("learning/" + name);
  }

  void WriteSoundBase() const {
    const kernel::BaseFileNames names;
    fuzz_support::WriteFile(Program(names.features), base_.features);
    fuzz_support::WriteFile(Program(names.segment_lists), base_.segment_lists);
    fuzz_support::WriteFile(Program(names.clusters), base_.clusters);
  }

  void ClearLearning() const {
    const kernel::LearningFileNames names;
    for (const std::string& name : {names.features, names.segment_lists, names.pen_ink, names.fourth})
      platform::RemoveFile(Learning(name));
  }

  std::unique_ptr<kernel::Olzun> Create() const {
    kernel::KernelConfig config;
    config.code_page = kCodePage;
    config.program_directory = Program("");
    config.learning_directory = Learning("");
    return kernel::Olzun::Create(config);
  }

  void UseBase(const std::string& name, std::span<const std::uint8_t> bytes) const {
    WriteSoundBase();
    fuzz_support::WriteFile(Program(name), bytes);
    if (auto olzun = Create()) Exercise(*olzun);
    ClearLearning();
  }

  // The program attaches the user's files after start-up (a file from an
  // older layout is rebuilt from the pen ink), or rebuilds them on request.
  enum class Attach { kAttach, kRebuild };

  void UseLearned(const std::string& name, std::span<const std::uint8_t> bytes,
                  Attach attach = Attach::kAttach) const {
    WriteSoundBase();
    fuzz_support::WriteFile(Learning(name), bytes);
    auto olzun = Create();
    if (!olzun) return;
    if (attach == Attach::kAttach) {
      olzun->AttachLearn({});
    } else {
      olzun->ConvertLearn({});
    }
    Exercise(*olzun);
    ClearLearning();
  }

  // One recognition and one learning.
  void Exercise(kernel::Olzun& olzun) const {
    std::array<std::uint16_t, 10> codes{};
    const kernel_testing::Sample& sample = samples_[3];
    olzun.Recognize(sample.strokes, codes, 0);
    olzun.Recognize(sample.strokes, codes, sample.code);
  }

  std::vector<kernel_testing::Sample> samples_;
  kernel_testing::BaseFiles base_;
};

inline void Run(KernelFile file, const std::uint8_t* data, std::size_t size) {
  static KernelScene scene;
  scene.Run(file, std::span<const std::uint8_t>(data, size));
}

}  // namespace kernel_fuzz
