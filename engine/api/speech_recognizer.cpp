#include "engine/api/speech_recognizer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <new>

#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/recognition_system.h"
#include "engine/Vastel/vastel_system.h"
#include "engine/api/back_end_results.h"
#include "engine/api/engine.h"
#include "engine/api/hit_ratio.h"
#include "engine/api/lexicon_calls.h"
#include "engine/api/result_queue.h"
#include "engine/api/shared_section.h"
#include "engine/core/core_lm.h"
#include "engine/core/grammar.h"
#include "engine/core/hypothesis.h"
#include "engine/core/lexicon.h"
#include "engine/core/page_lm.h"

namespace vok::api {
namespace {

constexpr std::uint32_t kSpeechRecords = kKindFlagged | 0x100;
constexpr std::uint32_t kNoSecondWord = 0xFFFFFFFFu;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The last double-byte character of a text, or nothing when it is shorter.
std::string LastCharacter(const std::string& text) {
  return text.size() < 2 ? std::string() : text.substr(text.size() - 2);
}

}  // namespace

std::int32_t& UtteranceGrammarWord() {
  static std::int32_t word = 0;
  return word;
}

CSpeechRecognizer::CSpeechRecognizer(const ControllerContext& context, const EngineParameters& parameters,
                                     std::function<void()> read_levels)
    : CRecognizer(kSpeechKind),
      context_(context),
      parameters_(parameters),
      read_levels_(std::move(read_levels)) {}

CSpeechRecognizer::~CSpeechRecognizer() { Shutdown(); }

std::unique_ptr<CSpeechRecognizer> CSpeechRecognizer::Create(
    const ControllerContext& context, const EngineParameters& parameters, AudioDevices devices,
    const std::string& wave_folder, bool dictation, std::function<void()> read_levels, VokStatus* status) {
  std::unique_ptr<CSpeechRecognizer> speech(
      new (std::nothrow) CSpeechRecognizer(context, parameters, std::move(read_levels)));
  if (!speech) {
    *status = kVokOutOfMemory;
    return nullptr;
  }
  *status = speech->SetUp(std::move(devices), wave_folder, dictation);
  if (*status != kVokOk) return nullptr;
  return speech;
}

bool CSpeechRecognizer::LoadAcoustic() {
  auto acoustic = std::make_unique<VastelSystem>();
  if (acoustic->Load(context_.engine.data->resources()) != 0) return false;
  acoustic_ = std::move(acoustic);
  return true;
}

VokStatus CSpeechRecognizer::SetUp(AudioDevices devices, const std::string& wave_folder, bool dictation) {
  CEngine& engine = context_.engine;
  if (!engine.data || !engine.resources || !LoadAcoustic()) return kVokSetUpFailed;
  levels_generation_ = SharedSection().levels_generation.load();
  if (read_levels_) read_levels_();
  audio_.reset(new (std::nothrow) CAudioSession(std::move(devices)));
  if (!audio_) return kVokOutOfMemory;
  audio_->SetUtteranceFolder(wave_folder);
  if (dictation) {
    dictation_ = std::make_unique<vok::CRecognitionSystem>(*engine.resources, engine.backend.get(),
                                                           vok::AcousticModels::Of(*acoustic_),
                                                           engine.data->pronunciations());
    if (dictation_->Load() != 0) return kVokSetUpFailed;
  }
  return kVokOk;
}

void CSpeechRecognizer::Shutdown() {
  stop_.store(true);
  SetWork();
  EndRecognitionThread();
  StopLevelTimer();
  if (audio_) audio_->Stop();
  std::lock_guard lock(state_mutex_);
  listening_ = false;
}

void CSpeechRecognizer::EndRecognitionThread() {
  std::unique_ptr<WorkerThread> thread;
  {
    std::lock_guard lock(state_mutex_);
    thread = std::move(thread_);
  }
  if (thread) thread->WaitDone();
}

// ---- the work event -------------------------------------------------------

void CSpeechRecognizer::SetWork() {
  {
    std::lock_guard lock(work_mutex_);
    work_ = true;
  }
  work_signal_.notify_all();
}

bool CSpeechRecognizer::TakeWork() {
  std::unique_lock lock(work_mutex_);
  work_signal_.wait(lock, [this] { return work_ || stop_.load(); });
  work_ = false;
  return !stop_.load();
}

bool CSpeechRecognizer::Idle() {
  std::unique_lock lock(work_mutex_);
  work_signal_.wait_for(lock, std::chrono::milliseconds(kIdleMilliseconds), [this] { return stop_.load(); });
  return !stop_.load();
}

// ---- listening --------------------------------------------------------------

bool CSpeechRecognizer::listening() {
  std::lock_guard lock(state_mutex_);
  return listening_;
}

bool CSpeechRecognizer::recognizing() {
  std::lock_guard lock(state_mutex_);
  return thread_ != nullptr && !thread_ending_;
}

void CSpeechRecognizer::JoinEndedThread() {
  if (thread_ && thread_ending_) {
    thread_->WaitDone();
    thread_.reset();
  }
}

VokStatus CSpeechRecognizer::Listen(bool on) {
  std::unique_lock lock(state_mutex_);
  if (on == listening_) return kVokOk;
  if (on) {
    if (!audio_->Start()) return kVokInternalFailure;
    listening_ = true;
    level_switch_ = parameters_.speech(1) != 0;
    JoinEndedThread();
    if (!thread_) {
      thread_ending_ = false;
      thread_ = StartWorkerThread([this] { RecognitionLoop(); }, true);
    }
    SetWork();
    if (level_switch_) StartLevelTimer();
    return kVokOk;
  }
  listening_ = false;
  const bool levels = level_switch_;
  lock.unlock();
  StopLevelTimer();
  audio_->Stop();
  if (levels) context_.notifier.Post(kNotifyInputLevel, 0, 0, false);
  // A thread waiting for its turn sees that listening ended.
  SetWork();
  return kVokOk;
}

VokStatus CSpeechRecognizer::SelectInputFile(const char* path) {
  const VokStatus status = audio_->SelectInputFile(path);
  {
    // Selecting stops the session; a listening recognizer takes up the new
    // input at once.
    std::lock_guard lock(state_mutex_);
    if (listening_ && !audio_->Start()) listening_ = false;
  }
  SetWork();
  return status;
}

void CSpeechRecognizer::StartLevelTimer() {
  if (timer_) return;
  {
    std::lock_guard lock(timer_mutex_);
    timer_stop_ = false;
  }
  timer_ = StartWorkerThread([this] { LevelLoop(); }, false);
}

void CSpeechRecognizer::StopLevelTimer() {
  std::unique_ptr<WorkerThread> timer;
  {
    std::lock_guard lock(state_mutex_);
    timer = std::move(timer_);
  }
  if (!timer) return;
  {
    std::lock_guard lock(timer_mutex_);
    timer_stop_ = true;
  }
  timer_signal_.notify_all();
  timer->WaitDone();
}

void CSpeechRecognizer::LevelLoop() {
  std::unique_lock lock(timer_mutex_);
  while (!timer_signal_.wait_for(lock, std::chrono::milliseconds(kLevelMilliseconds),
                                 [this] { return timer_stop_; })) {
    const auto level = static_cast<std::uintptr_t>(static_cast<std::uint32_t>(audio_->InputLevel()));
    context_.notifier.Post(kNotifyInputLevel, level, 0, false);
  }
}

// ---- the recognition thread ---------------------------------------------------

bool CSpeechRecognizer::ShouldEnd() {
  std::lock_guard lock(state_mutex_);
  if (!stop_.load() && (listening_ || audio_->running() || audio_->UnreadUtterances() > 0)) return false;
  thread_ending_ = true;
  // Edits queued after the last utterance are not lost.
  std::vector<ItemEdit> edits;
  edits.swap(pending_edits_);
  std::lock_guard networks(network_mutex_);
  for (const ItemEdit& edit : edits) ApplyEdit(edit);
  return true;
}

void CSpeechRecognizer::RecognitionLoop() {
  while (!ShouldEnd()) {
    if (!TakeWork()) continue;
    for (;;) {
      ApplyPendingEdits();
      RefreshLevels();
      if (audio_->UnreadUtterances() > 0) {
        RecognizeUtterance(audio_->FirstUnread());
        break;
      }
      const bool goes_on = listening() && (audio_->running() || audio_->UnreadUtterances() > 0);
      if (!goes_on || !Idle()) {
        // Back to the start: the thread waits for its next turn.
        SetWork();
        break;
      }
    }
  }
  context_.notifier.Post(kNotifyListeningEnded, 1, 0, true);
  SetWork();
}

void CSpeechRecognizer::ApplyPendingEdits() {
  std::vector<ItemEdit> edits;
  std::lock_guard lock(state_mutex_);
  edits.swap(pending_edits_);
  std::lock_guard networks(network_mutex_);
  for (const ItemEdit& edit : edits) ApplyEdit(edit);
}

void CSpeechRecognizer::RefreshLevels() {
  const std::uint32_t generation = SharedSection().levels_generation.load();
  if (generation == levels_generation_) return;
  levels_generation_ = generation;
  if (read_levels_) read_levels_();
}

void CSpeechRecognizer::RecognizeUtterance(std::uint32_t utterance) {
  std::int32_t& word = UtteranceGrammarWord();
  context_.notifier.Send(kNotifyUtteranceStart, utterance, reinterpret_cast<std::intptr_t>(&word), true,
                         kUtteranceStartTimeout);
  const std::int32_t grammar = word;
  Route route = Route::kNothing;
  try {
    route = grammar == kDictationGrammar ? DictationRoute(utterance) : GrammarRoute(utterance, grammar);
  } catch (...) {
    route = Route::kNothing;
  }
  // An utterance that no route read to its end is used up all the same.
  audio_->MarkRead(utterance);
  if (route == Route::kNothing) {
    PostEmptyPair(context_.notifier, context_.records, utterance, static_cast<std::uint32_t>(grammar));
  }
  if (route != Route::kQueued) SetWork();
}

CSpeechRecognizer::Route CSpeechRecognizer::DictationRoute(std::uint32_t utterance) {
  if (!dictation_) return Route::kNothing;
  std::int32_t word = -1;
  {
    std::lock_guard language(context_.engine.language_mutex);
    dictation_->StartUtterance();
    dictation_->RunStoredUtterance(audio_.get(), static_cast<int>(utterance));
    if (stop_.load()) return Route::kNothing;
    if (dictation_->GetBestWordID(&word) < 0) word = -1;
  }
  if (word >= 0) {
    VokCommandRecord record{utterance, kNoSecondWord, static_cast<std::uint32_t>(word)};
    context_.notifier.Send(kNotifyAhead, 0, 0, false, kAheadTimeout);
    context_.notifier.Send(kNotifyCommand, reinterpret_cast<std::uintptr_t>(&record), 0, true,
                           kAnswerTimeout);
    return Route::kDone;
  }
  auto request = std::make_unique<VokRequest>();
  request->option = 1;
  request->rescoring = 1;
  request->context_switch = 0;
  request->sequence = utterance;
  request->second_word = kNoSecondWord;
  request->kind = kSpeechKind;
  request->owner = this;
  request->priority = kSpeechPriority;
  context_.engine.queue->Insert(request.release());
  return Route::kQueued;
}

CCommandNetwork* CSpeechRecognizer::NetworkOf(std::int32_t id) {
  if (id < 0 || id >= CGrammarManager::kSlots) return nullptr;
  return networks_[static_cast<std::size_t>(id)].get();
}

VokStatus CSpeechRecognizer::ExpandGrammar(std::int32_t id) {
  CGrammarManager* grammars = context_.engine.grammars.get();
  if (grammars == nullptr) return kVokNoGrammarManager;
  if (id < 0 || id >= CGrammarManager::kSlots) return kVokBadGrammarId;
  std::lock_guard networks(network_mutex_);
  if (NetworkOf(id) != nullptr) return kVokOk;
  const std::uint32_t options = grammars->options(id);
  std::lock_guard lock(grammars->lock());
  vok::CGrammar* grammar = grammars->grammar(id);
  vok::CLexTree* tree = context_.engine.data->pronunciations();
  if (grammar == nullptr || tree == nullptr) return kVokBadGrammarId;
  const vok::GrammarUnit* unit = grammar->GetNetwork();
  if (unit == nullptr) return kVokBadGrammarId;
  VokStatus status = kVokOk;
  networks_[static_cast<std::size_t>(id)] = CCommandNetwork::FromGrammar(
      context_.engine.data->resources(), *unit, vok::AcousticModels::Of(*acoustic_), *tree, options, &status);
  return status;
}

CSpeechRecognizer::Route CSpeechRecognizer::GrammarRoute(std::uint32_t utterance, std::int32_t grammar) {
  CGrammarManager* grammars = context_.engine.grammars.get();
  if (grammars == nullptr || !grammars->IsValid(grammar)) return Route::kNothing;
  if (ExpandGrammar(grammar) != kVokOk) return Route::kNothing;
  std::lock_guard networks(network_mutex_);
  CCommandNetwork* network = NetworkOf(grammar);
  if (network == nullptr) return Route::kNothing;
  if (network->search().RunStoredUtterance(nullptr, static_cast<int>(utterance), audio_.get()) != 0 ||
      stop_.load())
    return Route::kNothing;
  if (grammar == name_grammar_.load()) return TextsAnswer(utterance, grammar, *network, false);
  if (grammar == spelling_grammar_.load()) return TextsAnswer(utterance, grammar, *network, true);
  switch (grammars->kind(grammar)) {
    case CGrammarManager::kSingleResultCommand:
      return CommandAnswer(utterance, grammar, *network);
    case CGrammarManager::kMultiResultCommand:
      return MultiCommandAnswer(utterance, grammar, *network);
    default:
      return BestPathAnswer(utterance, grammar, *network);
  }
}

CSpeechRecognizer::Route CSpeechRecognizer::CommandAnswer(std::uint32_t utterance, std::int32_t grammar,
                                                          CCommandNetwork& network) {
  VokCommandRecord record{utterance, static_cast<std::uint32_t>(grammar),
                          static_cast<std::uint32_t>(network.BestItem())};
  context_.notifier.Send(kNotifyAhead, 0, 0, false, kAheadTimeout);
  if (context_.notifier.Send(kNotifyCommand, reinterpret_cast<std::uintptr_t>(&record), 0, true,
                             kAnswerTimeout) != kVokOk)
    PostEmptyPair(context_.notifier, context_.records, utterance, static_cast<std::uint32_t>(grammar));
  return Route::kDone;
}

CSpeechRecognizer::Route CSpeechRecognizer::MultiCommandAnswer(std::uint32_t utterance, std::int32_t grammar,
                                                               CCommandNetwork& network) {
  std::vector<std::uint32_t> list = network.FirstIds(CCommandNetwork::kMultiResultHypotheses);
  list.insert(list.begin(), static_cast<std::uint32_t>(list.size()));
  VokMultiCommandRecord record{utterance, static_cast<std::uint32_t>(grammar), list.data()};
  context_.notifier.Send(kNotifyAhead, 0, 0, false, kAheadTimeout);
  return context_.notifier.Send(kNotifyMultiCommand, reinterpret_cast<std::uintptr_t>(&record), 0, true,
                                kAnswerTimeout) == kVokOk
             ? Route::kDone
             : Route::kNothing;
}

CSpeechRecognizer::Route CSpeechRecognizer::TextsAnswer(std::uint32_t utterance, std::int32_t grammar,
                                                        CCommandNetwork& network, bool spelling) {
  std::vector<std::string> texts;
  {
    std::lock_guard language(context_.engine.language_mutex);
    texts = network.Texts(*context_.engine.data->lexicon(), CCommandNetwork::kTextHypotheses);
  }
  if (spelling) std::transform(texts.begin(), texts.end(), texts.begin(), LastCharacter);
  for (std::string& text : texts) text.resize(std::min(text.size(), kMaxTextResultBytes));
  return DeliverTexts(utterance, grammar, texts, false) ? Route::kDone : Route::kNothing;
}

CSpeechRecognizer::Route CSpeechRecognizer::BestPathAnswer(std::uint32_t utterance, std::int32_t grammar,
                                                           CCommandNetwork& network) {
  const std::vector<std::uint16_t> ids = network.BestPath();
  vok::Hypothesis best;
  best.Set(CCommandNetwork::kBestPathScore, static_cast<int>(ids.size()), ids.data(), 1);
  std::string text;
  {
    std::lock_guard language(context_.engine.language_mutex);
    text = HypothesisText(*context_.engine.data->lexicon(), best);
  }
  text.resize(std::min(text.size(), kMaxTextResultBytes));
  context_.notifier.Send(kNotifyAhead, 0, 0, false, kAheadTimeout);
  std::vector<std::string> texts;
  if (!text.empty()) texts.push_back(text);
  return DeliverTexts(utterance, grammar, texts, true) ? Route::kDone : Route::kNothing;
}

bool CSpeechRecognizer::DeliverTexts(std::uint32_t utterance, std::int32_t grammar,
                                     const std::vector<std::string>& texts, bool send) {
  const auto second = static_cast<std::uint32_t>(grammar);
  VokResult* result = context_.records.MakeText(kKindText | kSpeechRecords, utterance, second, texts);
  VokResult* empty =
      context_.records.MakeWordIds(kKindWordIdAlternatives | kSpeechRecords, utterance, second, {});
  const auto wparam = reinterpret_cast<std::uintptr_t>(result);
  const auto lparam = reinterpret_cast<std::intptr_t>(empty);
  const bool delivered = result != nullptr && empty != nullptr &&
                         (send ? context_.notifier.Send(kNotifyResult, wparam, lparam, true, kAnswerTimeout)
                               : context_.notifier.Post(kNotifyResult, wparam, lparam, true)) == kVokOk;
  if (!delivered) {
    context_.records.Delete(result);
    context_.records.Delete(empty);
  }
  return delivered;
}

// ---- the dictation request ------------------------------------------------------

void CSpeechRecognizer::Recognize(VokRequest& request) {
  CEngine& engine = context_.engine;
  const ResultRequest records{request.sequence, request.second_word, kSpeechRecords};
  VokResult* hypotheses = nullptr;
  VokResult* alternatives = nullptr;
  if (!dictation_) {
    hypotheses = context_.records.MakeWordIds(kKindWordIdHypotheses | kSpeechRecords, request.sequence,
                                              request.second_word, {});
    alternatives = context_.records.MakeWordIds(kKindWordIdAlternatives | kSpeechRecords, request.sequence,
                                                request.second_word, {});
    SetResults(hypotheses, alternatives);
    SetWork();
    return;
  }
  BackEndResults results(context_.notifier, context_.records, engine.hypotheses);
  {
    std::lock_guard language(engine.language_mutex);
    if (vok::CoreLM* core = engine.backend->core()) {
      core->SetClassBigramWeight(kClassBigramWeight);
      core->SetWordProbWeight(kWordProbWeight);
    }
    if (vok::PageLM* page = engine.backend->page()) page->SetWeight(kPageModelWeight);
    if (engine.backend->decoder())
      engine.backend->decoder()->set_word_insertion_penalty(kWordInsertionPenalty);
    dictation_->set_stack_search_beam(kStackSearchBeam);
    dictation_->set_n_best_choices(kNBestChoices);
    dictation_->RunBackEnd(false, false);
    dictation_->UpdateStatistics();
    if (request.rescoring != 0)
      results.Rescore(*dictation_, VokContextRecord{request.sequence, {}, {}}, engine.text_to_word_ids);
    dictation_->PreferSingleWord();
  }
  // The recognition thread may search the next utterance while the records
  // are built.
  SetWork();
  {
    std::lock_guard language(engine.language_mutex);
    results.Build(*dictation_, records, &hypotheses, &alternatives);
  }
  SetResults(hypotheses, alternatives);
}

void CSpeechRecognizer::FreeRequest(VokRequest* request) {
  delete request;
  // A request dropped before its back end ran still hands the turn back.
  SetWork();
}

// ---- command grammars -----------------------------------------------------------

VokStatus CSpeechRecognizer::NewCommandGrammar(std::uint32_t options, CGrammarManager::Kind kind,
                                               std::int32_t* id) {
  CGrammarManager* grammars = context_.engine.grammars.get();
  if (grammars == nullptr) return kVokNoGrammarManager;
  if (id == nullptr) return kVokBadArgument;
  std::lock_guard networks(network_mutex_);
  const VokStatus created = grammars->NewGrammar(nullptr, false, options, kind, id);
  if (created != kVokOk) return created;
  VokStatus status = kVokOk;
  auto network = CCommandNetwork::Empty(context_.engine.data->resources(),
                                        vok::AcousticModels::Of(*acoustic_), options, &status);
  if (!network) {
    grammars->Delete(*id);
    return status;
  }
  networks_[static_cast<std::size_t>(*id)] = std::move(network);
  return kVokOk;
}

void CSpeechRecognizer::ForgetGrammar(std::int32_t id) {
  if (id < 0 || id >= CGrammarManager::kSlots) return;
  std::lock_guard networks(network_mutex_);
  networks_[static_cast<std::size_t>(id)].reset();
  if (name_grammar_.load() == id) name_grammar_.store(kNoGrammar);
  if (spelling_grammar_.load() == id) spelling_grammar_.store(kNoGrammar);
}

VokStatus CSpeechRecognizer::EditItem(ItemEdit edit) {
  if (edit.text.size() > ItemEdit::kMaxText) edit.text.resize(ItemEdit::kMaxText);
  CGrammarManager* grammars = context_.engine.grammars.get();
  if (edit.grammar >= 0) {
    if (grammars == nullptr) return kVokNoGrammarManager;
    const CGrammarManager::Kind kind = grammars->kind(edit.grammar);
    if (!grammars->IsValid(edit.grammar) ||
        (kind != CGrammarManager::kSingleResultCommand && kind != CGrammarManager::kMultiResultCommand))
      return kVokBadGrammarId;
  }
  std::lock_guard lock(state_mutex_);
  if (thread_ && !thread_ending_) {
    pending_edits_.push_back(std::move(edit));
    return kVokOk;
  }
  std::lock_guard networks(network_mutex_);
  return ApplyEdit(edit);
}

VokStatus CSpeechRecognizer::Pronunciation(const ItemEdit& edit, std::string* pronunciation) {
  if (edit.operation == ItemEdit::kAddPronunciation) {
    *pronunciation = Upper(edit.text);
    return kVokOk;
  }
  char buffer[LexiconCalls::kMaxPronText * 4] = {};
  std::lock_guard language(context_.engine.language_mutex);
  const LexiconCalls calls(*context_.engine.data);
  if (calls.StringToPron(edit.text.c_str(), buffer, static_cast<std::int32_t>(sizeof buffer)) != kVokOk)
    return kVokBadText;
  *pronunciation = Upper(buffer);
  return kVokOk;
}

VokStatus CSpeechRecognizer::ApplyEdit(const ItemEdit& edit) {
  std::string pronunciation;
  const bool adds = edit.operation == ItemEdit::kAddWord || edit.operation == ItemEdit::kAddPronunciation;
  if (adds) {
    if (const VokStatus status = Pronunciation(edit, &pronunciation); status != kVokOk) return status;
  }
  if (edit.grammar < 0) return ApplyDictationEdit(edit, pronunciation);
  CCommandNetwork* network = NetworkOf(edit.grammar);
  if (network == nullptr) return kVokBadGrammarId;
  switch (edit.operation) {
    case ItemEdit::kAddWord:
    case ItemEdit::kAddPronunciation:
      return network->AddItem(edit.item, pronunciation);
    case ItemEdit::kRemove:
      return network->RemoveItem(edit.item);
    case ItemEdit::kEnable:
    case ItemEdit::kDisable:
      return network->EnableItem(edit.item, edit.operation == ItemEdit::kEnable);
  }
  return kVokBadArgument;
}

VokStatus CSpeechRecognizer::ApplyDictationEdit(const ItemEdit& edit, const std::string& pronunciation) {
  if (!dictation_) return kVokBadGrammarId;
  switch (edit.operation) {
    case ItemEdit::kAddWord:
    case ItemEdit::kAddPronunciation:
      return dictation_->AddCommandItemPron(pronunciation.c_str(), edit.item) == 0 ? kVokOk : kVokTextRefused;
    case ItemEdit::kRemove:
      return dictation_->RemoveCommandItem(edit.item) == 0 ? kVokOk : kVokWordSwitchRefused;
    case ItemEdit::kEnable:
      return dictation_->EnableCommandItem(edit.item) == 0 ? kVokOk : kVokUnknownWord;
    case ItemEdit::kDisable:
      return dictation_->DisableCommandItem(edit.item) == 0 ? kVokOk : kVokUnknownWord;
  }
  return kVokBadArgument;
}

VokStatus CSpeechRecognizer::GetConfidence(std::int32_t id, std::uint16_t* confidence) {
  if (confidence == nullptr) return kVokBadArgument;
  *confidence = 0;
  std::lock_guard networks(network_mutex_);
  CCommandNetwork* network = NetworkOf(id);
  if (network == nullptr) return kVokBadGrammarId;
  int value = 0;
  network->search().GetConfidence(&value);
  *confidence = static_cast<std::uint16_t>(value);
  return kVokOk;
}

// ---- speaker and hit ratio ---------------------------------------------------------

VokStatus CSpeechRecognizer::ChangeAcousticModel(const std::string& path) {
  Listen(false);
  EndRecognitionThread();
  std::lock_guard networks(network_mutex_);
  context_.engine.data->SetSpeechModel(path);
  if (!LoadAcoustic()) return kVokFileMissing;
  const vok::AcousticModels models = vok::AcousticModels::Of(*acoustic_);
  if (dictation_) dictation_->SetVastelSystem(models);
  for (auto& network : networks_) {
    if (network) network->search().SetAcousticModels(models);
  }
  return kVokOk;
}

VokStatus CSpeechRecognizer::HitRatio(std::int32_t id, const std::string& path, float* ratio) {
  CGrammarManager* grammars = context_.engine.grammars.get();
  vok::CLexicon* lexicon = context_.engine.data->lexicon();
  if (grammars == nullptr || !grammars->IsValid(id) || lexicon == nullptr || ExpandGrammar(id) != kVokOk)
    return kVokInternalFailure;
  std::lock_guard networks(network_mutex_);
  CCommandNetwork* network = NetworkOf(id);
  if (network == nullptr) return kVokInternalFailure;
  const auto decode = [&](std::span<const std::int16_t> samples) {
    std::vector<std::string> texts;
    if (network->RecognizeStored(samples) != 0) return texts;
    std::lock_guard language(context_.engine.language_mutex);
    return network->Texts(*lexicon, static_cast<int>(kHitRatioHypotheses));
  };
  return MeasureHitRatio(path, audio_->frame_length(), decode, ratio);
}

}  // namespace vok::api
