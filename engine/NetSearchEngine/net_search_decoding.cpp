// Decoding: utterances, one frame of the beam search, and the two audio
// inputs.
#include <algorithm>
#include <climits>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/NetSearchEngine/net_search_engine.h"
#include "engine/NetSearchEngine/utterance_source.h"
#include "engine/core/back_trace_table.h"
#include "engine/core/log_score.h"
#include "engine/core/messages.h"

namespace vok {

namespace {

NetTransition* TransitionIn(const PtrArray& list, int i) { return static_cast<NetTransition*>(list.Get(i)); }
NetNode* NodeIn(const PtrArray& list, int i) { return static_cast<NetNode*>(list.Get(i)); }

bool IsEmpty(const NetTransition* t) { return t->label == kNetEmptyModel; }

// s + delta within the int16 range, as the HMM states add: the empty score
// stays empty.
int16_t AddScore(int16_t s, int32_t delta) {
  if (s == kEmptyScore) return s;
  return static_cast<int16_t>(std::clamp<int32_t>(s + delta, kEmptyScore, INT16_MAX));
}

}  // namespace

bool NetSearchEngine::CanDecode() const { return options_read_ && acoustic_.complete() && nodes_ && start(); }

HMMStateBP* NetSearchEngine::NewInstance() {
  HMMStateBP* instance = static_cast<HMMStateBP*>(free_hmms_->Pop());
  if (!instance && hmms_->New(&instance) < 0) return nullptr;
  instance->Reset();
  return instance;
}

void NetSearchEngine::ReleaseInstance(NetTransition* transition) {
  // An instance the free list cannot take stays in the pool until the next
  // utterance empties it.
  if (transition->hmm) free_hmms_->Push(transition->hmm);
  transition->hmm = nullptr;
}

void NetSearchEngine::DropInstances() {
  for (PtrArray* list : {active_.get(), next_active_.get()}) {
    if (!list) continue;
    for (int i = 0; i < list->count(); ++i) TransitionIn(*list, i)->hmm = nullptr;
    list->Clear();
  }
  if (hmms_) hmms_->Clear();
  if (free_hmms_) free_hmms_->Clear();
}

void NetSearchEngine::ResetReachedNodes() {
  for (int i = 0; i < reached_->count(); ++i) {
    NetNode* node = NodeIn(*reached_, i);
    node->score = kEmptyScore;
    node->back_trace = -1;
  }
  reached_->Clear();
}

void NetSearchEngine::Reach(NetNode* node, int32_t score, int32_t reference) {
  // -27768 is no score at all.
  if (!node || score <= kEmptyScore) return;
  const int16_t held = Saturate16(score);
  if (node->score == kEmptyScore) {
    if (reached_->Push(node) != 0) return;
  } else if (held <= node->score) {
    return;
  }
  node->score = held;
  node->back_trace = reference;
}

int16_t NetSearchEngine::ObservationScore(int model, int state) const {
  // A database of another speaker with fewer models would end the process on
  // the network's models beyond its own.
  if (model >= model_count_) return Saturate16(int32_t{kObservationFloor} + frame_offset_);
  const double scaled = static_cast<double>(acoustic_.database->get_StateScore(model, state, 0)) *
                        settings_.log_prob_multiple();
  // NaN counts as the floor too.
  const double floored =
      scaled >= kObservationFloor ? std::min(scaled, double{INT16_MAX}) : kObservationFloor;
  return Saturate16(static_cast<int64_t>(floored) + frame_offset_);
}

void NetSearchEngine::EvaluateActive() {
  const bool skip = settings_.hmm_skip_state() != 0;
  const int16_t beam = settings_.threshold(CommandSearchSettings::kPhoneBeam);
  frame_best_ = kEmptyScore;
  for (int i = 0; i < active_->count(); ++i) {
    NetTransition* t = TransitionIn(*active_, i);
    HMMStateBP* h = t->hmm;
    if (skip) {
      h->SkipTransition();
    } else {
      h->Transition();
    }
    const int16_t observation[3] = {
        h->s0 > beam ? ObservationScore(t->label, 0) : int16_t{kObservationFloor},
        h->s1 > beam ? ObservationScore(t->label, 1) : int16_t{kObservationFloor},
        h->s2 > beam ? ObservationScore(t->label, 2) : int16_t{kObservationFloor}};
    h->Observe(observation);
    h->exit = h->s2;
    frame_best_ = std::max(frame_best_, h->best);
  }
}

void NetSearchEngine::TakeExits() {
  const CommandSearchSettings& s = settings_;
  const int16_t phone_beam = s.threshold(CommandSearchSettings::kPhoneBeam);
  const int16_t trans_beam = s.threshold(CommandSearchSettings::kPhoneTransBeam);
  const int16_t label_beam = s.threshold(CommandSearchSettings::kSyllableTransBeam);
  const int32_t exit_beam = s.value(CommandSearchSettings::kPhoneExitBeam);
  const int32_t phone_penalty = s.value(CommandSearchSettings::kPhoneInsertionPenalty);
  const int32_t word_penalty = s.value(CommandSearchSettings::kWordInsertionPenalty);
  const int32_t garbage_penalty = s.value(CommandSearchSettings::kGarbageInsertionPenalty);
  next_active_->Clear();
  for (int i = 0; i < active_->count(); ++i) {
    NetTransition* t = TransitionIn(*active_, i);
    HMMStateBP* h = t->hmm;
    h->exit = AddScore(h->exit, phone_penalty);
    const int32_t exit = h->exit;
    // A disabled or removed item leads nowhere; an empty exit goes nowhere
    // either, whatever weight the transition adds.
    auto* target = exit == kEmptyScore ? nullptr : static_cast<NetNode*>(t->target);
    if (target && t->item == kNetNoItem) {
      if (exit > trans_beam && exit >= int32_t{h->best} - exit_beam) Reach(target, exit, h->bp[2]);
    } else if (target && exit > label_beam) {
      int32_t score = exit + t->weight + word_penalty;
      if (t->item == kLabelFiller) score += garbage_penalty;
      int32_t reference = h->bp[2];
      if (table_ && t->item != kLabelRejection && t->item != kLabelFiller && t->item != kLabelSilence) {
        const BackTraceRecord* previous = table_->GetRecord(reference);
        const int32_t back = t->item >= kItemLabelBase ? -reference : (previous ? previous->frame : 0);
        const int record =
            table_->AddRecord(static_cast<uint16_t>(t->item & 0xFFFF),
                              Saturate16(score - (int32_t{frame_offset_} + frame_best_)), back);
        if (record >= 0) reference = record;
      }
      Reach(target, score, reference);
    }
    if (h->best > phone_beam && next_active_->Push(t) == 0) continue;
    ReleaseInstance(t);
  }
}

void NetSearchEngine::CloseOverEmptyTransitions() {
  // Passes over the reached nodes while a pass adds a node or improves one,
  // at most one more than there are nodes: that finds the best scores when
  // no cycle of empty transitions has a positive weight, and ends the closure
  // over such a cycle all the same.
  for (int pass = 0; pass <= node_count_; ++pass) {
    const int before = reached_->count();
    bool improved = false;
    for (int i = 0; i < reached_->count(); ++i) {
      const NetNode* node = NodeIn(*reached_, i);
      for (const NetworkTransition* arc = node->first_out; arc; arc = arc->next_out) {
        const auto* t = static_cast<const NetTransition*>(arc);
        auto* target = static_cast<NetNode*>(t->target);
        if (!IsEmpty(t) || !target) continue;
        const int16_t old = target->score;
        Reach(target, int32_t{node->score} + t->weight, node->back_trace);
        improved = improved || (old != kEmptyScore && target->score != old);
      }
    }
    if (reached_->count() == before && !improved) return;
  }
}

void NetSearchEngine::EnterTransitions() {
  for (int i = 0; i < reached_->count(); ++i) {
    const NetNode* node = NodeIn(*reached_, i);
    for (NetworkTransition* arc = node->first_out; arc; arc = arc->next_out) {
      auto* t = static_cast<NetTransition*>(arc);
      if (IsEmpty(t) || !t->target) continue;
      if (!t->hmm) {
        HMMStateBP* instance = NewInstance();
        // An exhausted pool skips the entry; the search goes on.
        if (!instance) continue;
        if (next_active_->Push(t) != 0) {
          free_hmms_->Push(instance);
          continue;
        }
        t->hmm = instance;
      }
      t->hmm->Offer(node->score, node->back_trace);
    }
  }
}

int NetSearchEngine::StartUtterance() {
  LatticeEngine::StartUtterance();
  if (!nodes_) return -1;
  ResetReachedNodes();
  DropInstances();
  frame_offset_ = 0;
  utterance_theories_ = 0;
  settings_.ComputeThresholds(kEmptyScore);
  frame_best_ = 0;
  offset_sum_ = 0;
  Reach(start_node(), 0, table_ ? table_->AddStart() : -1);
  CloseOverEmptyTransitions();
  EnterTransitions();
  ResetReachedNodes();
  std::swap(active_, next_active_);
  next_active_->Clear();
  return 0;
}

int NetSearchEngine::ProcessInput() {
  const int t = frames();
  if (!CanDecode() || t >= kMaxFrames) return -1;
  const C_rStreamVectors* observation = acoustic_.front_end->generate_op_frame(0, t);
  if (!observation || acoustic_.database->assign_ThreadInput(0, t, *observation) != 0) return -1;
  frame_offset_ = Saturate16(-int32_t{frame_best_});

  EvaluateActive();
  // Nothing survived: adding an offset of 27768 to nothing would only
  // corrupt the running sum; the utterance ends with what it has.
  if (frame_best_ == kEmptyScore) return -1;
  offset_sum_ += frame_offset_;
  settings_.ComputeThresholds(frame_best_);
  ResetReachedNodes();
  TakeExits();
  CloseOverEmptyTransitions();
  EnterTransitions();

  const int32_t theories = active_->count();
  utterance_theories_ += theories;
  max_theories_ = std::max(max_theories_, theories);
  theories_[t] = theories;
  bests_[t] = frame_best_;
  std::swap(active_, next_active_);
  next_active_->Clear();
  return AdvanceFrame();
}

int NetSearchEngine::FinishUtterance() {
  LatticeEngine::FinishUtterance();
  // The utterance's result is what reached the end node, not the best
  // record of the last frame.
  const NetNode* end = end_node();
  if (table_ && end && end->back_trace >= 0) table_->SetFinal(end->back_trace, end->score);
  total_theories_ += utterance_theories_;
  return 0;
}

int NetSearchEngine::RunWaveFile(const void* /*settings_record*/, const char* /*wave_file*/) {
  std::fprintf(MessageOutput(), "The function NetSearchEngine::ReadAudioFile is not completed\n");
  std::fprintf(MessageOutput(), "Failed at %s, Line %d\n", __FILE__, __LINE__);
  return -1;
}

int NetSearchEngine::RunStoredUtterance(const void* settings_record, int utterance, void* audio_session) {
  return DecodeStoredUtterance(static_cast<const int16_t*>(settings_record), utterance,
                               static_cast<UtteranceSource*>(audio_session));
}

int NetSearchEngine::DecodeStoredUtterance(const int16_t* settings_record, int utterance,
                                           UtteranceSource* source) {
  settings_.CopyRecord(settings_record);
  StartUtterance();
  if (!source || !acoustic_.front_end || acoustic_.front_end->resetBuffer(0) != 0 ||
      !source->SelectUtterance(utterance)) {
    return -1;
  }
  std::vector<int16_t> block(
      static_cast<std::size_t>(std::max(acoustic_.front_end->get_NumSamplesFrameAdvance(), 1)));
  bool finished = false;
  bool decoding = true;
  while (decoding && !finished) {
    int read = 0;
    if (source->ReadSamples(block.data(), static_cast<int>(block.size()), &read, &finished) != 0) break;
    if (read <= 0) {
      // The utterance is still being recorded.
      std::this_thread::yield();
      continue;
    }
    const int ready = acoustic_.front_end->insert_LiveWaveData(
        0, block.data(), std::min(read, static_cast<int>(block.size())));
    while (decoding && frames() < ready) decoding = ProcessInput() == 0;
  }
  return FinishUtterance();
}

int NetSearchEngine::RecognizeSamples(int frame_count, const int16_t* samples,
                                      const int16_t* settings_record) {
  settings_.CopyRecord(settings_record);
  if (!acoustic_.front_end || frame_count < 0 || (frame_count > 0 && !samples)) return -1;
  const int advance = acoustic_.front_end->get_NumSamplesFrameAdvance();
  if (advance <= 0 || frame_count > INT_MAX / advance) return -1;
  if (acoustic_.front_end->generate_Feature_Buffer(0, samples, frame_count * advance) < 0) return -1;
  StartUtterance();
  const int ready = acoustic_.front_end->get_numFrame(0);
  while (frames() < ready && ProcessInput() == 0) {
  }
  return FinishUtterance();
}

}  // namespace vok
