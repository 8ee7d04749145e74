#include "engine/core/hwr_gesture_model.h"

#include <algorithm>
#include <cstring>

#include "engine/core/byte_order.h"
#include "platform/file_access.h"

namespace vok {
namespace {

constexpr int kHeaderCount = 2;
constexpr int kHeaderPoints = 3;
constexpr int kHeaderVersion = 4;

bool SameName(const GestureTemplate& t, const char* name) {
  return std::strncmp(t.name.data(), name, kGestureNameBytes - 1) == 0;
}

void ReadRecord(const uint8_t* b, GestureTemplate* t) {
  t->in_use = static_cast<int32_t>(LoadLittleEndian32(b));
  std::memcpy(t->name.data(), b + 4, kGestureNameBytes);
  t->name[kGestureNameBytes - 1] = 0;  // an unterminated name is cut
  t->strokes = static_cast<int32_t>(LoadLittleEndian32(b + 20));
  const uint8_t* p = b + 24;
  for (auto& stroke : t->points) {
    for (auto& point : stroke) {
      point.y = static_cast<int16_t>(LoadLittleEndian16(p));
      point.x = static_cast<int16_t>(LoadLittleEndian16(p + 2));
      p += 4;
    }
  }
}

void WriteRecord(const GestureTemplate& t, uint8_t* b) {
  StoreLittleEndian32(b, static_cast<uint32_t>(t.in_use));
  std::memcpy(b + 4, t.name.data(), kGestureNameBytes);
  StoreLittleEndian32(b + 20, static_cast<uint32_t>(t.strokes));
  uint8_t* p = b + 24;
  for (int s = 0; s < kGestureMaxStrokes; ++s) {
    for (const auto& point : t.points[s]) {
      const bool used = s < t.strokes;
      StoreLittleEndian16(p, static_cast<uint16_t>(used ? point.y : 0));
      StoreLittleEndian16(p + 2, static_cast<uint16_t>(used ? point.x : 0));
      p += 4;
    }
  }
}

}  // namespace

int64_t GestureStrokeDistance(const InkPoint* input, const InkPoint* stored) {
  constexpr int n = kGesturePointsPerStroke;
  int64_t previous[n];
  int64_t current[n];
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const int64_t d = IntegerDistance(input[i].y - stored[j].y, input[i].x - stored[j].x);
      if (i == 0 && j == 0) {
        current[j] = d;
      } else if (i == 0) {
        current[j] = current[j - 1] + d;
      } else if (j == 0) {
        current[j] = previous[0] + d;
      } else {
        current[j] = d + std::min({previous[j - 1], previous[j], current[j - 1]});
      }
    }
    std::copy(current, current + n, previous);
  }
  return previous[n - 1];
}

CHWRGestureRecognizer::CHWRGestureRecognizer() : header_{0, 1, 0, kGesturePointsPerStroke, kGestureVersion} {}

bool CHWRGestureRecognizer::Parse(const uint8_t* data, std::size_t size) {
  if (size < kGestureHeaderBytes) return false;
  std::array<int32_t, 5> header{};
  for (int i = 0; i < 5; ++i) header[i] = static_cast<int32_t>(LoadLittleEndian32(data + 4 * i));
  if (header[kHeaderVersion] != kGestureVersion || header[kHeaderCount] < 0 ||
      header[kHeaderPoints] != kGesturePointsPerStroke)
    return false;
  header_ = header;
  templates_.clear();
  const uint64_t count = static_cast<uint64_t>(header[kHeaderCount]);
  if (size - kGestureHeaderBytes < count * kGestureRecordBytes) {
    header_[kHeaderCount] = 0;
    return true;
  }
  for (uint64_t r = 0; r < count; ++r) {
    GestureTemplate t;
    ReadRecord(data + kGestureHeaderBytes + r * kGestureRecordBytes, &t);
    if (t.strokes < 1 || t.strokes > kGestureMaxStrokes) continue;  // unusable record
    templates_.push_back(t);
  }
  return true;
}

std::vector<uint8_t> CHWRGestureRecognizer::Serialise() const {
  std::vector<const GestureTemplate*> in_use;
  for (const auto& t : templates_) {
    if (t.in_use) in_use.push_back(&t);
  }
  std::vector<uint8_t> bytes(kGestureHeaderBytes + in_use.size() * kGestureRecordBytes, 0);
  std::array<int32_t, 5> header = header_;
  header[kHeaderCount] = static_cast<int32_t>(in_use.size());
  for (int i = 0; i < 5; ++i) StoreLittleEndian32(bytes.data() + 4 * i, static_cast<uint32_t>(header[i]));
  for (std::size_t r = 0; r < in_use.size(); ++r) {
    WriteRecord(*in_use[r], bytes.data() + kGestureHeaderBytes + r * kGestureRecordBytes);
  }
  return bytes;
}

bool CHWRGestureRecognizer::MakeTemplate(const char* name, int strokes, const int* point_counts,
                                         const InkPoint* points, GestureTemplate* result) {
  if (strokes < 1 || strokes > kGestureMaxStrokes) return false;
  *result = GestureTemplate{};
  result->in_use = 1;
  result->strokes = strokes;
  if (name) std::strncpy(result->name.data(), name, kGestureNameBytes - 1);
  const InkPoint* stroke = points;
  for (int s = 0; s < strokes; ++s) {
    if (point_counts[s] < 1 || point_counts[s] > kMaxInkPoints) return false;
    InkPoint* out = result->points[s].data();
    Resample(stroke, point_counts[s], out, kGesturePointsPerStroke);
    Normalise(out, kGesturePointsPerStroke, kGestureScale);
    stroke += point_counts[s];
  }
  return true;
}

int CHWRGestureRecognizer::Match(const InkPoint* points, int strokes, const int* point_counts,
                                 std::string* name, int64_t* score) const {
  GestureTemplate input;
  if (!MakeTemplate(nullptr, strokes, point_counts, points, &input)) return 0;
  const GestureTemplate* best = nullptr;
  int64_t best_total = 0;
  for (const auto& t : templates_) {
    if (!t.in_use || t.strokes != strokes) continue;
    int64_t total = 0;
    for (int s = 0; s < strokes; ++s)
      total += GestureStrokeDistance(input.points[s].data(), t.points[s].data());
    if (total > kGestureMatchLimitPerStroke * strokes) continue;
    if (!best || total < best_total) {
      best = &t;
      best_total = total;
    }
  }
  if (!best) return 0;
  if (name) *name = best->name.data();
  if (score) *score = best_total;
  return 1;
}

int CHWRGestureRecognizer::Add(const char* name, int strokes, const int* point_counts,
                               const InkPoint* points) {
  GestureTemplate t;
  if (!name || !MakeTemplate(name, strokes, point_counts, points, &t)) return -3;
  const auto free_record =
      std::find_if(templates_.begin(), templates_.end(), [](const GestureTemplate& g) { return !g.in_use; });
  if (free_record != templates_.end()) {
    *free_record = t;
  } else {
    if (templates_.size() >= static_cast<std::size_t>(INT32_MAX / kGestureRecordBytes)) return -2;
    templates_.push_back(t);
  }
  changed_ = true;
  return 0;
}

int CHWRGestureRecognizer::Remove(const char* name) {
  if (!name) return -1;
  for (auto& t : templates_) {
    if (t.in_use && SameName(t, name)) {
      t.in_use = 0;
      changed_ = true;
      return 0;
    }
  }
  return -1;
}

const GestureTemplate* CHWRGestureRecognizer::InUse(int n) const {
  int seen = 0;
  for (const auto& t : templates_) {
    if (t.in_use && seen++ == n) return &t;
  }
  return nullptr;
}

int CHWRGestureRecognizer::Enumerate(int n, std::string* name) const {
  const GestureTemplate* t = InUse(n);
  if (t == nullptr) return -2;
  if (name) *name = t->name.data();
  return 0;
}

CHWRGestureModel::~CHWRGestureModel() { Save(); }

bool CHWRGestureModel::Load(const char* file_name) {
  recognizer_.reset();
  if (!file_name || std::strlen(file_name) >= kGestureFileNameBytes) return false;
  auto recognizer = std::make_unique<CHWRGestureRecognizer>();
  recognizer->file_name = file_name;
  if (platform::FileExists(file_name)) {
    const auto bytes = platform::ReadWholeFile(file_name);
    if (!bytes || !recognizer->Parse(bytes->data(), bytes->size())) return false;
  }
  recognizer_ = std::move(recognizer);
  return true;
}

bool CHWRGestureModel::Save() {
  if (!recognizer_ || !recognizer_->changed()) return true;
  return platform::WriteWholeFile(recognizer_->file_name, recognizer_->Serialise());
}

int CHWRGestureModel::AddGesture(const char* name, int strokes, const int* point_counts,
                                 const InkPoint* points) {
  return recognizer_ ? recognizer_->Add(name, strokes, point_counts, points) : -1;
}

int CHWRGestureModel::RemoveGesture(const char* name) { return recognizer_ ? recognizer_->Remove(name) : -1; }

int CHWRGestureModel::EnumGesture(int n, std::string* name) const {
  return recognizer_ ? recognizer_->Enumerate(n, name) : -1;
}

const GestureTemplate* CHWRGestureModel::TemplateInUse(int n) const {
  return recognizer_ ? recognizer_->InUse(n) : nullptr;
}

int CHWRGestureModel::Match(const InkPoint* points, int strokes, const int* point_counts, std::string* name,
                            int64_t* score) const {
  return recognizer_ ? recognizer_->Match(points, strokes, point_counts, name, score) : 0;
}

}  // namespace vok
