#include "engine/api/pen_recognizer.h"

#include <cstring>
#include <vector>

#include "engine/NetSearchEngine/hwr_code_conversion.h"
#include "engine/SyllableLatticeEngine/handwriting_recognition_system.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/api/back_end_results.h"
#include "engine/api/engine.h"
#include "engine/api/result_queue.h"
#include "engine/core/core_lm.h"
#include "engine/core/hwr_gesture_model.h"
#include "engine/core/hwr_recognizer.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "platform/folder_listing.h"

namespace vok::api {
namespace {

constexpr char kModelSection[] = "HWRSentence";
constexpr std::uint32_t kPenRecords = kKindFlagged | 0x200;
constexpr std::uint32_t kGestureRecords = 0x1000 | kPenRecords;
constexpr std::uint32_t kNoSecondWord = 0xFFFFFFFFu;

vok::InkPoint ToInkPoint(std::uint32_t point) {
  return {static_cast<std::int16_t>(point & 0xFFFF), static_cast<std::int16_t>(point >> 16)};
}

// The path a key of "HWRSentence" names when that file exists.
const char* ExistingModel(const vok::Resources& resources, const char* key) {
  const char* path = resources.GetValue(kModelSection, key);
  return path != nullptr && platform::PathExists(path) ? path : nullptr;
}

template <typename Recognizer>
std::unique_ptr<vok::CHWRRecognizer> LoadRecognizer(const char* path) {
  if (path == nullptr) return nullptr;
  auto recognizer = std::make_unique<Recognizer>();
  if (!recognizer->Load(path)) return nullptr;
  return recognizer;
}

std::unique_ptr<vok::CHWRGestureModel> LoadTemplates(const char* path) {
  if (path == nullptr) return nullptr;
  auto model = std::make_unique<vok::CHWRGestureModel>();
  if (!model->Load(path)) return nullptr;
  return model;
}

}  // namespace

CPenRecognizer::CPenRecognizer(const ControllerContext& context) : CRecognizer(kPenKind), context_(context) {}

CPenRecognizer::~CPenRecognizer() = default;

std::unique_ptr<CPenRecognizer> CPenRecognizer::Create(const ControllerContext& context,
                                                       const std::string& conversion_table,
                                                       VokStatus* status) {
  std::unique_ptr<CPenRecognizer> pen(new CPenRecognizer(context));
  if (!pen->SetUp(conversion_table)) {
    *status = kVokSetUpFailed;
    return nullptr;
  }
  *status = kVokOk;
  return pen;
}

bool CPenRecognizer::SetUp(const std::string& conversion_table) {
  CEngine& engine = context_.engine;
  vok::CLexicon* lexicon = engine.data ? engine.data->lexicon() : nullptr;
  if (lexicon == nullptr || !engine.backend || !engine.resources) return false;
  if (platform::PathExists(conversion_table)) {
    conversion_ = std::make_unique<vok::HwrCodeConversion>();
    if (conversion_->Load(conversion_table.c_str()) < 0) conversion_.reset();
  }
  const vok::Resources& resources = *engine.resources;
  // The pronunciations are the lexicon's characters' codes, read backward.
  system_ = std::make_unique<vok::CHRecognitionSystem>(
      resources, engine.backend.get(), lexicon->BuildCodeTree("-", true), nullptr, conversion_.get());
  LoadModels(resources);
  system_->SetInitSegmentDelta(static_cast<std::int16_t>(10 * kSegmentDeltaUnit));
  system_->SetSegmentDelta(static_cast<std::int16_t>(3 * kSegmentDeltaUnit));
  // One short stroke through the system once, so that the first input finds
  // every table in use.
  const vok::InkPoint stroke[] = {{10, 10}, {20, 20}};
  system_->ClearStrokes();
  system_->AddStroke(stroke, 2);
  system_->ClearStrokes();
  return true;
}

void CPenRecognizer::LoadModels(const vok::Resources& resources) {
  // A model that is missing or does not load is left out.
  if (auto sc = LoadRecognizer<vok::CHWRSCRecognizer>(ExistingModel(resources, "DataFileSC")))
    system_->SetSCRecognizer(std::move(sc));
  if (auto tc = LoadRecognizer<vok::CHWRTCRecognizer>(ExistingModel(resources, "DataFileTC")))
    system_->SetTCRecognizer(std::move(tc));
  if (auto rom = LoadRecognizer<vok::CHWRRomRecognizer>(ExistingModel(resources, "DataFileRom")))
    system_->SetRomRecognizer(std::move(rom));
  system_->SetGestureModels(context_.engine.data->gesture_model(),
                            LoadTemplates(ExistingModel(resources, "DataFileAntiGesture")));
  system_->SetPunctuationModel(LoadTemplates(ExistingModel(resources, "DataFilePun")));
}

void CPenRecognizer::WaitIdle(std::unique_lock<std::mutex>& lock) {
  idle_.wait(lock, [this] { return !queued_; });
}

void CPenRecognizer::DropStrokes() {
  system_->ClearStrokes();
  held_strokes_ = 0;
}

VokStatus CPenRecognizer::ProcessStroke(std::uint32_t count, const std::uint32_t* points,
                                        const EngineParameters& parameters) {
  if (points == nullptr || count == 0 || count > kMaxStrokePoints) return kVokBadArgument;
  std::vector<vok::InkPoint> ink(count);
  for (std::uint32_t i = 0; i < count; ++i) ink[i] = ToInkPoint(points[i]);

  std::unique_lock<std::mutex> lock(guard_);
  WaitIdle(lock);
  const bool first = held_strokes_ == 0;
  if (first) {
    for (int i = 0; i < 4; ++i) latched_[i] = parameters.pen(i);
    system_->SetSegmentation(static_cast<std::int32_t>(latched_[1]));
    system_->SetWritingDirection(static_cast<std::int32_t>(latched_[2]));
    system_->SetRecognitionRange(static_cast<std::int32_t>(PenRangeMask(latched_[3])));
  }
  const int before = system_->hwr_engine()->record()->ink.stroke_count();
  system_->AddStroke(ink.data(), static_cast<int>(count));
  if (system_->hwr_engine()->record()->ink.stroke_count() == before) return kVokBadArgument;
  ++held_strokes_;
  if (first) {
    sequence_ = context_.engine.NextSequence(kPenKind);
    answered_ = false;
    context_.notifier.Post(kNotifyPenInput, sequence_, 0, true);
  }
  return kVokOk;
}

void CPenRecognizer::PostTemplateText(std::uint32_t kind, const std::string& text) {
  VokResult* result = context_.records.MakeText(kind, sequence_, kNoSecondWord, {text});
  VokResult* empty = context_.records.MakeText(kind, sequence_, kNoSecondWord, {});
  if (result == nullptr || empty == nullptr ||
      context_.notifier.Post(kNotifyResult, reinterpret_cast<std::uintptr_t>(result),
                             reinterpret_cast<std::intptr_t>(empty), true) != kVokOk) {
    context_.records.Delete(result);
    context_.records.Delete(empty);
  }
}

VokStatus CPenRecognizer::RecognizeStrokes() {
  std::unique_lock<std::mutex> lock(guard_);
  WaitIdle(lock);
  if (held_strokes_ == 0) return kVokNoStrokes;
  std::string text;
  if (system_->RecognizeGesture(&text, nullptr) == 1) {
    PostTemplateText(kGestureRecords, text);
  } else if (system_->RecognizePunctuation(&text, nullptr) == 1) {
    PostTemplateText(kKindText, text);
  } else {
    auto request = std::make_unique<VokRequest>();
    request->rescoring = static_cast<std::uint8_t>(latched_[0] != 0);
    request->context_switch = request->rescoring;
    request->sequence = sequence_;
    request->kind = kPenKind;
    request->owner = this;
    request->priority = kPenPriority;
    {
      std::lock_guard<std::mutex> language(context_.engine.language_mutex);
      system_->FinishUtterance();
    }
    queued_ = true;
    queued_sequence_ = sequence_;
    held_strokes_ = 0;
    answered_ = true;
    lock.unlock();
    context_.engine.queue->Insert(request.release());
    return kVokOk;
  }
  answered_ = true;
  DropStrokes();
  return kVokOk;
}

VokStatus CPenRecognizer::ClearStrokes() {
  std::unique_lock<std::mutex> lock(guard_);
  WaitIdle(lock);
  if (held_strokes_ > 0 && !answered_) {
    PostEmptyPair(context_.notifier, context_.records, sequence_, kNoSecondWord);
    answered_ = true;
  }
  DropStrokes();
  return kVokOk;
}

bool CPenRecognizer::HoldsStrokes() {
  std::lock_guard<std::mutex> lock(guard_);
  return held_strokes_ > 0;
}

void CPenRecognizer::Recognize(VokRequest& request) {
  std::lock_guard<std::mutex> lock(guard_);
  if (!queued_ || request.sequence != queued_sequence_) return;
  CEngine& engine = context_.engine;
  BackEndResults results(context_.notifier, context_.records, engine.hypotheses);
  {
    std::lock_guard<std::mutex> language(engine.language_mutex);
    if (vok::CoreLM* core = engine.backend->core()) {
      core->SetClassBigramWeight(kClassBigramWeight);
      core->SetWordProbWeight(kWordProbWeight);
    }
    if (engine.backend->decoder())
      engine.backend->decoder()->set_word_insertion_penalty(kWordInsertionPenalty);
    system_->set_stack_search_beam(kStackSearchBeam);
    system_->RunBackEnd(false, false);
    system_->UpdateStatistics();
  }
  VokResult* hypotheses = nullptr;
  VokResult* alternatives = nullptr;
  results.Finish(*system_, engine.language_mutex, request.context_switch != 0, request.rescoring != 0,
                 engine.text_to_word_ids, {request.sequence, kNoSecondWord, kPenRecords}, &hypotheses,
                 &alternatives);
  SetResults(hypotheses, alternatives);
  DropStrokes();
  queued_ = false;
  idle_.notify_all();
}

void CPenRecognizer::FreeRequest(VokRequest* request) {
  {
    std::lock_guard<std::mutex> lock(guard_);
    // A request dropped unprocessed, or one whose recognition failed, still
    // gives its strokes back.
    if (queued_ && request->sequence == queued_sequence_) {
      DropStrokes();
      queued_ = false;
    }
  }
  idle_.notify_all();
  delete request;
}

VokStatus CPenRecognizer::AddGesture(const char* name, std::int32_t strokes, const void* data,
                                     std::uint32_t size) {
  if (strokes < 1 || strokes > vok::kGestureMaxStrokes || data == nullptr || size == 0 || name == nullptr)
    return kVokBadArgument;
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::vector<int> counts;
  std::vector<vok::InkPoint> points;
  std::size_t at = 0;
  for (int s = 0; s < strokes; ++s) {
    std::uint32_t count = 0;
    if (size - at < sizeof count) return kVokBadArgument;
    std::memcpy(&count, bytes + at, sizeof count);
    at += sizeof count;
    if (count == 0 || (size - at) / sizeof(std::uint32_t) < count) return kVokBadArgument;
    for (std::uint32_t i = 0; i < count; ++i, at += sizeof(std::uint32_t)) {
      std::uint32_t point = 0;
      std::memcpy(&point, bytes + at, sizeof point);
      points.push_back(ToInkPoint(point));
    }
    counts.push_back(static_cast<int>(count));
  }
  if (at != size) return kVokBadArgument;
  std::lock_guard<std::mutex> lock(guard_);
  const auto& model = context_.engine.data->gesture_model();
  if (!model) return kVokNotStarted;
  return model->AddGesture(name, strokes, counts.data(), points.data()) == 0 ? kVokOk : kVokOutOfMemory;
}

VokStatus CPenRecognizer::RemoveGesture(const char* name) {
  if (name == nullptr) return kVokBadArgument;
  std::lock_guard<std::mutex> lock(guard_);
  const auto& model = context_.engine.data->gesture_model();
  if (!model) return kVokNotStarted;
  return model->RemoveGesture(name) == 0 ? kVokOk : kVokOutOfMemory;
}

VokStatus CPenRecognizer::EnumGesture(std::int32_t index, vok::GestureTemplate* record) {
  if (record == nullptr) return kVokBadArgument;
  *record = vok::GestureTemplate{};
  std::lock_guard<std::mutex> lock(guard_);
  const auto& model = context_.engine.data->gesture_model();
  const vok::GestureTemplate* found = model && index >= 0 ? model->TemplateInUse(index) : nullptr;
  if (found == nullptr) return kVokBadArgument;
  *record = *found;
  return kVokOk;
}

}  // namespace vok::api
