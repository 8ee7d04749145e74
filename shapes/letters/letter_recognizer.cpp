#include "shapes/letters/letter_recognizer.h"

#include <algorithm>
#include <optional>

#include "shapes/letters/letter_decision.h"
#include "shapes/letters/letter_features.h"
#include "shapes/letters/letter_raster.h"
#include "shapes/letters/template_matcher.h"

namespace letters {

LetterResult RecognizeLetter(const TemplateTable& table, const wrendle::StrokeListView& strokes) {
  LetterResult result;
  const std::optional<LetterRaster> raster = RasterizeLetter(strokes);
  if (!raster) return result;
  const std::optional<LetterFeatures> features = ComputeLetterFeatures(*raster);
  if (!features) return result;

  std::vector<TemplateMatch> best[kGroupCount];
  int confidence[kGroupCount];
  int top_code[kGroupCount];
  for (int g = 0; g < kGroupCount; ++g) {
    const TemplateGroup& group = table.groups[static_cast<std::size_t>(g)];
    best[g] = BestMatches(GroupBytes(*features, group), group);
    confidence[g] =
        GroupConfidence(RankOf(best[g], group, 0), RankOf(best[g], group, 1), RankOf(best[g], group, 2));
    top_code[g] = best[g].empty() ? -1 : best[g].front().code;
  }
  result.score = DecisionScore(confidence, top_code);
  if (result.score < kAcceptedScore) {
    result.status = kNotConfident;
    return result;
  }
  for (const TemplateMatch& match : best[0]) {
    if (std::find(result.codes.begin(), result.codes.end(), match.code) == result.codes.end()) {
      result.codes.push_back(match.code);
    }
  }
  result.status = static_cast<int>(result.codes.size());
  return result;
}

}  // namespace letters
