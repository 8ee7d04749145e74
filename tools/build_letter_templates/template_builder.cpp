#include "tools/build_letter_templates/template_builder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>

#include "shapes/letters/letter_decision.h"
#include "shapes/letters/template_matcher.h"

namespace letter_templates {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Foreign samples each cluster is measured against, drawn at random.
constexpr std::size_t kForeignSampleLimit = 3000;

std::int32_t Distance(const Bytes& a, const Bytes& b) {
  std::int32_t sum = 0;
  for (std::size_t j = 0; j < a.size(); ++j) {
    const int d = static_cast<int>(a[j]) - static_cast<int>(b[j]);
    sum += d * d;
  }
  return sum;
}

std::int16_t ToThreshold(double value) {
  return static_cast<std::int16_t>(std::clamp(std::lround(value), 0L, 32767L));
}

double Quantile(std::vector<std::int32_t> values, double q) {
  if (values.empty()) return 0;
  const auto at = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1));
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
  return values[at];
}

// Centres of k-means with k-means++ seeding, rounded to bytes, and each
// member's centre.
struct Clustering {
  std::vector<Bytes> centres;
  std::vector<std::size_t> assignment;  // per member
};

Clustering KMeans(const std::vector<const Bytes*>& members, int clusters, int iterations,
                  std::uint64_t seed) {
  std::mt19937_64 random(seed);
  Clustering result;
  const std::size_t k = std::min(members.size(), static_cast<std::size_t>(clusters));
  result.centres.push_back(*members[random() % members.size()]);
  std::vector<double> nearest(members.size());
  while (result.centres.size() < k) {
    double total = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
      std::int32_t best = std::numeric_limits<std::int32_t>::max();
      for (const Bytes& centre : result.centres) best = std::min(best, Distance(*members[i], centre));
      nearest[i] = best;
      total += best;
    }
    if (total == 0) break;  // every member sits on a centre already
    double pick = std::uniform_real_distribution<double>(0, total)(random);
    std::size_t chosen = 0;
    while (chosen + 1 < members.size() && pick >= nearest[chosen]) pick -= nearest[chosen++];
    result.centres.push_back(*members[chosen]);
  }

  result.assignment.assign(members.size(), 0);
  for (int iteration = 0; iteration < iterations; ++iteration) {
    bool moved = false;
    for (std::size_t i = 0; i < members.size(); ++i) {
      std::size_t best = 0;
      std::int32_t best_distance = std::numeric_limits<std::int32_t>::max();
      for (std::size_t c = 0; c < result.centres.size(); ++c) {
        const std::int32_t d = Distance(*members[i], result.centres[c]);
        if (d < best_distance) best_distance = d, best = c;
      }
      moved = moved || (iteration == 0 || result.assignment[i] != best);
      result.assignment[i] = best;
    }
    if (!moved) break;
    const std::size_t dimension = members.front()->size();
    std::vector<std::vector<double>> sums(result.centres.size(), std::vector<double>(dimension));
    std::vector<int> counts(result.centres.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
      ++counts[result.assignment[i]];
      for (std::size_t j = 0; j < dimension; ++j) sums[result.assignment[i]][j] += (*members[i])[j];
    }
    for (std::size_t c = 0; c < result.centres.size(); ++c) {
      if (counts[c] == 0) continue;
      for (std::size_t j = 0; j < dimension; ++j) {
        result.centres[c][j] = static_cast<std::uint8_t>(std::lround(sums[c][j] / counts[c]));
      }
    }
  }
  return result;
}

}  // namespace

std::vector<std::int16_t> FeatureScales(const std::vector<LetterSample>& samples, double percentile) {
  std::vector<std::int16_t> scales(letters::kFeatureCount, 1);
  std::vector<double> values(samples.size());
  for (std::size_t j = 0; j < scales.size(); ++j) {
    for (std::size_t s = 0; s < samples.size(); ++s) values[s] = samples[s].features[j];
    if (values.empty()) continue;
    const auto at = static_cast<std::size_t>(percentile * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(at), values.end());
    // byte = value / scale x 1000, so the percentile lands on 255.
    scales[j] = static_cast<std::int16_t>(std::clamp(std::lround(values[at] * 1000 / 255), 1L, 32767L));
  }
  return scales;
}

letters::TemplateFileContent BuildTemplates(const std::vector<LetterSample>& samples,
                                            const TemplateBuildOptions& options) {
  letters::TemplateFileContent content;
  const std::vector<std::int16_t> scales = FeatureScales(samples, options.scale_percentile);
  content.group0_scales = scales;
  content.group12_scales = scales;

  letters::TemplateGroup groups[3];
  const int firsts[3] = {0, 0, letters::kFirstBlockSize};
  const int dimensions[3] = {letters::kFeatureCount, letters::kFirstBlockSize, letters::kSecondBlockSize};
  for (int g = 0; g < 3; ++g) {
    groups[g].first_feature = firsts[g];
    groups[g].dimension = dimensions[g];
    groups[g].scales.assign(scales.begin() + firsts[g], scales.begin() + firsts[g] + dimensions[g]);
  }

  std::map<char, std::vector<std::size_t>> by_code;
  for (std::size_t s = 0; s < samples.size(); ++s) by_code[samples[s].code].push_back(s);

  for (int g = 0; g < 3; ++g) {
    std::vector<Bytes> bytes;
    bytes.reserve(samples.size());
    for (const LetterSample& sample : samples)
      bytes.push_back(letters::GroupBytes(sample.features, groups[g]));

    for (const auto& [code, indices] : by_code) {
      std::vector<const Bytes*> members;
      for (const std::size_t s : indices) members.push_back(&bytes[s]);
      const Clustering clustering =
          KMeans(members, options.clusters, options.iterations, static_cast<std::uint64_t>(code) * 3 + g);

      // Samples of letters that do not look alike, a fixed random draw.
      std::vector<std::size_t> foreign;
      for (std::size_t s = 0; s < samples.size(); ++s) {
        if (!letters::CodesAlike(code, samples[s].code)) foreign.push_back(s);
      }
      std::mt19937_64 random(static_cast<std::uint64_t>(code) * 7 + g);
      std::shuffle(foreign.begin(), foreign.end(), random);
      if (foreign.size() > kForeignSampleLimit) foreign.resize(kForeignSampleLimit);

      for (std::size_t c = 0; c < clustering.centres.size(); ++c) {
        std::vector<std::int32_t> own, others;
        for (std::size_t i = 0; i < members.size(); ++i) {
          if (clustering.assignment[i] == c) own.push_back(Distance(*members[i], clustering.centres[c]));
        }
        if (own.empty()) continue;
        for (const std::size_t s : foreign) others.push_back(Distance(bytes[s], clustering.centres[c]));
        const double own_far = *std::max_element(own.begin(), own.end());
        const double foreign_near =
            others.empty() ? own_far * 2 : *std::min_element(others.begin(), others.end());
        letters::TemplateRecord record;
        record.code = static_cast<std::uint8_t>(code);
        record.features = clustering.centres[c];
        // Kind 1: no foreign sample comes nearer than the cluster's own.
        record.kind = foreign_near > own_far ? letters::kSeparatedKind : 0;
        record.threshold_a = ToThreshold((own_far + foreign_near) / 2);
        record.threshold_b = ToThreshold(std::min(Quantile(own, 0.9), Quantile(others, 0.01)));
        content.groups[static_cast<std::size_t>(g)].push_back(std::move(record));
      }
    }
  }
  return content;
}

}  // namespace letter_templates
