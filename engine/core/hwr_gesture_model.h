// Gesture and punctuation templates: up to three strokes of 32 points each,
// normalised to 10000 around each stroke's centroid, with a name. Matching
// sums a dynamic-time-warping distance per stroke. The template file is
// little-endian: a 512-byte header, then 408-byte records.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/hwr_ink_features.h"

namespace vok {

inline constexpr int kGestureHeaderBytes = 512;
inline constexpr int kGestureRecordBytes = 408;
inline constexpr int kGestureMaxStrokes = 3;
inline constexpr int kGesturePointsPerStroke = 32;
inline constexpr int kGestureNameBytes = 16;
inline constexpr int kGestureVersion = 3;
inline constexpr int kGestureScale = 10000;
inline constexpr int64_t kGestureMatchLimitPerStroke = 120000;
inline constexpr std::size_t kGestureFileNameBytes = 256;

// The 408-byte template record of the file (and of the engine's gesture
// enumeration).
struct GestureTemplate {
  int32_t in_use = 0;
  std::array<char, kGestureNameBytes> name{};  // zero-terminated
  int32_t strokes = 0;
  std::array<std::array<InkPoint, kGesturePointsPerStroke>, kGestureMaxStrokes> points{};
};

static_assert(sizeof(GestureTemplate) == kGestureRecordBytes);

// DTW distance of two 32-point strokes.
int64_t GestureStrokeDistance(const InkPoint* input, const InkPoint* stored);

class CHWRGestureRecognizer {
 public:
  // An empty table with the default header.
  CHWRGestureRecognizer();

  // False (table untouched) for a header that is refused: short, version
  // other than 3, negative count, points per stroke other than 32. A file
  // shorter than its records gives an empty table.
  bool Parse(const uint8_t* data, std::size_t size);
  std::vector<uint8_t> Serialise() const;

  // Turns strokes into a template; false for 0 or more than 3 strokes or a
  // stroke without points.
  static bool MakeTemplate(const char* name, int strokes, const int* point_counts, const InkPoint* points,
                           GestureTemplate* result);
  // 1 with the best qualifying template's name and total, 0 when none.
  int Match(const InkPoint* points, int strokes, const int* point_counts, std::string* name,
            int64_t* score) const;
  // 0, -2 when the table cannot grow, -3 for unusable strokes.
  int Add(const char* name, int strokes, const int* point_counts, const InkPoint* points);
  int Remove(const char* name);
  // The n-th template in use, or null.
  const GestureTemplate* InUse(int n) const;
  int Enumerate(int n, std::string* name) const;

  const std::vector<GestureTemplate>& templates() const { return templates_; }
  bool changed() const { return changed_; }
  std::string file_name;

 private:
  std::array<int32_t, 5> header_{};
  std::vector<GestureTemplate> templates_;
  bool changed_ = false;
};

class CHWRGestureModel {
 public:
  CHWRGestureModel() = default;
  // Rewrites the file after a change (a new file that replaces the old one
  // only when complete).
  ~CHWRGestureModel();
  CHWRGestureModel(const CHWRGestureModel&) = delete;
  CHWRGestureModel& operator=(const CHWRGestureModel&) = delete;

  // A missing file gives an empty model that writes the file after the first
  // change; a refused file gives no model.
  bool Load(const char* file_name);
  int AddGesture(const char* name, int strokes, const int* point_counts, const InkPoint* points);
  int RemoveGesture(const char* name);
  int EnumGesture(int n, std::string* name) const;
  // The n-th template in use; null without a model or such a template.
  const GestureTemplate* TemplateInUse(int n) const;
  int Match(const InkPoint* points, int strokes, const int* point_counts, std::string* name,
            int64_t* score) const;
  // Writes the file now when changed; false when the write failed.
  bool Save();
  bool HasModel() const { return recognizer_ != nullptr; }

 private:
  std::unique_ptr<CHWRGestureRecognizer> recognizer_;
};

}  // namespace vok
