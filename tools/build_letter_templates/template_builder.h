// From feature vectors of labelled samples to the content of "HELVANE.TPL":
// scales, templates by k-means per letter and group, kinds and thresholds.
#pragma once

#include <cstdint>
#include <vector>

#include "shapes/letters/letter_features.h"
#include "shapes/letters/template_file_writer.h"

namespace letter_templates {

struct LetterSample {
  char code = 0;
  letters::LetterFeatures features{};
};

struct TemplateBuildOptions {
  // Templates per letter and group; 62 letters x 3 groups x 16 = 2976, under
  // the file's limit of 3200.
  int clusters = 16;
  int iterations = 25;
  // The share of a feature's values that stay under byte 255.
  double scale_percentile = 0.99;
};

// Scales >= 1 that put each feature's percentile near byte 255.
std::vector<std::int16_t> FeatureScales(const std::vector<LetterSample>& samples, double percentile);

letters::TemplateFileContent BuildTemplates(const std::vector<LetterSample>& samples,
                                            const TemplateBuildOptions& options);

}  // namespace letter_templates
