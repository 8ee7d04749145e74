// Synthetic characters and base dictionaries built from them through the
// kernel's own writers, for tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/stroke_list.h"
#include "kernel/cluster_file.h"
#include "kernel/kernel_core.h"

namespace kernel_testing {

struct Sample {
  std::uint16_t code = 0;  // caller's form
  std::vector<wrendle::StrokeEntry> strokes;
};

// The stroke list of character `character` as written the `variant`-th time:
// two to six strokes of two or three legs, each variant slightly moved,
// scaled and jittered.
std::vector<wrendle::StrokeEntry> SyntheticCharacter(std::uint32_t character, std::uint32_t variant);

// The `index`-th double-byte code of the code page's character range, in the
// caller's form.
std::uint16_t CharacterCode(kernel::CodePage code_page, std::uint32_t index);

// Bounds {0, 80, 144, 184, 224} and divisors that bring the test strokes'
// values into bytes.
kernel::DictionaryLayout TestLayout(kernel::CodePage code_page);

// `characters` characters of `variants` samples each.
std::vector<Sample> SyntheticSamples(kernel::CodePage code_page, std::uint32_t characters,
                                     std::uint32_t variants, std::uint32_t first_character = 0);

struct BaseFiles {
  std::vector<std::uint8_t> features;
  std::vector<std::uint8_t> segment_lists;
  std::vector<std::uint8_t> clusters;
};

// One record per sample (its own segment list as the stored list); each
// record belongs to the two clusters nearest to it, the centroids being
// spread samples. `merged` is K of the cluster file.
BaseFiles BuildBaseFiles(kernel::CodePage code_page, const std::vector<Sample>& samples,
                         std::size_t cluster_count, std::int32_t merged = 15);

// Writes the files under the default base names into `directory`.
void WriteBaseFiles(const std::string& directory, const BaseFiles& files);

// The codes that the kernel gives for a stroke list (quick pass included).
std::vector<std::uint16_t> RecognizeStrokes(const kernel::KernelCore& core,
                                            const std::vector<wrendle::StrokeEntry>& strokes);

}  // namespace kernel_testing
