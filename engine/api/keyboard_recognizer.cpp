#include "engine/api/keyboard_recognizer.h"

#include <algorithm>
#include <cstring>

#include "engine/SyllableLatticeEngine/keyboard_constants.h"
#include "engine/SyllableLatticeEngine/lm_backend_engine.h"
#include "engine/SyllableLatticeEngine/p2h_system.h"
#include "engine/SyllableLatticeEngine/pl_engine.h"
#include "engine/api/back_end_results.h"
#include "engine/api/engine.h"
#include "engine/api/result_queue.h"
#include "engine/core/lex_tree.h"

namespace vok::api {
namespace {

constexpr std::uint32_t kNoSecondWord = 0xFFFFFFFFu;
// The keyboard parameters in their order: context rescoring, conversion,
// a request after every key, the switch the system takes.
constexpr int kContextSwitch = 0;
constexpr int kConversionSwitch = 1;
constexpr int kPerKeySwitch = 2;
constexpr int kSystemSwitch = 3;
// Option bits of a request.
constexpr std::uint32_t kConvertBit = 0x1;
constexpr std::uint32_t kSystemBit = 0x2;
// The recognizer byte of a keyboard result, by the conversion bit.
constexpr std::uint32_t kConvertedRecords = 0x400;
constexpr std::uint32_t kPlainRecords = 0x800;

std::uint32_t OptionBits(std::uint32_t convert, std::uint32_t system) {
  return (convert != 0 ? kConvertBit : 0) | (system != 0 ? kSystemBit : 0);
}

std::uint32_t KindBits(const VokRequest& request) {
  return (request.option != 0 ? kKindFlagged : 0) |
         ((request.option_bits & kConvertBit) != 0 ? kConvertedRecords : kPlainRecords);
}

}  // namespace

CKeyboardRecognizer::CKeyboardRecognizer(const ControllerContext& context)
    : CRecognizer(kKeyboardKind), context_(context) {}

CKeyboardRecognizer::~CKeyboardRecognizer() = default;

std::unique_ptr<CKeyboardRecognizer> CKeyboardRecognizer::Create(const ControllerContext& context,
                                                                 VokStatus* status) {
  std::unique_ptr<CKeyboardRecognizer> keyboard(new CKeyboardRecognizer(context));
  if (!keyboard->SetUp()) {
    *status = kVokSetUpFailed;
    return nullptr;
  }
  *status = kVokOk;
  return keyboard;
}

bool CKeyboardRecognizer::SetUp() {
  CEngine& engine = context_.engine;
  if (!engine.data || engine.data->lexicon() == nullptr || !engine.backend || !engine.resources) return false;
  // The decoder walks words from their last syllable: the system takes the
  // lexicon's pronunciations as a backward tree of its own.
  std::unique_ptr<vok::CLexTree> pronunciations;
  if (const vok::CLexTree* tree = engine.data->pronunciations()) pronunciations = tree->CopyInDirection(true);
  system_ =
      std::make_unique<vok::P2HSystem>(*engine.resources, engine.backend.get(), std::move(pronunciations));
  keys_.Clear();
  return true;
}

VokStatus CKeyboardRecognizer::ProcessKey(std::uint32_t key, const EngineParameters& parameters) {
  const char keys[] = {static_cast<char>(key & 0xFF), '\0'};
  return ProcessKeySet(keys, parameters);
}

VokStatus CKeyboardRecognizer::ProcessKeySet(const char* keys, const EngineParameters& parameters) {
  if (keys == nullptr) return kVokBadArgument;
  // A set longer than the buffer takes is refused without reading it all.
  const char* end = std::find(keys, keys + KeyBuffer::kMaxSetKeys + 1, '\0');
  return AddKeys(std::string_view(keys, static_cast<std::size_t>(end - keys)), parameters);
}

VokStatus CKeyboardRecognizer::AddKeys(std::string_view keys, const EngineParameters& parameters) {
  std::lock_guard<std::mutex> lock(guard_);
  const std::size_t before = keys_.position_count();
  if (keys.size() == 1 && keys[0] == KeyBuffer::kBackspace) {
    if (!keys_.RemoveLast()) return kVokKeyRefused;
  } else if (!keys_.Add(keys)) {
    return kVokKeyRefused;
  } else if (answered_) {
    for (int i = 0; i < 4; ++i) latched_[i] = parameters.keyboard(i);
    sequence_ = context_.engine.NextSequence(kKeyboardKind);
    answered_ = false;
    context_.notifier.Post(
        latched_[kConversionSwitch] != 0 ? kNotifyKeyInputConverting : kNotifyKeyInputPlain, sequence_,
        static_cast<std::intptr_t>(before), true);
  }
  if (latched_[kPerKeySwitch] != 0)
    Queue(kPerKeyPriority, OptionBits(latched_[kConversionSwitch], latched_[kSystemSwitch]));
  return kVokOk;
}

void CKeyboardRecognizer::Queue(std::uint32_t priority, std::uint32_t option_bits) {
  auto request = std::make_unique<VokRequest>();
  request->option = priority == kPerKeyPriority ? 0 : 1;
  request->rescoring = 1;
  request->context_switch = static_cast<std::uint8_t>(latched_[kContextSwitch] != 0);
  request->sequence = sequence_;
  request->kind = kKeyboardKind;
  request->option_bits = option_bits;
  request->attached = keys_.Attached();
  request->owner = this;
  request->priority = priority;
  context_.engine.queue->Insert(request.release());
}

VokStatus CKeyboardRecognizer::RecognizeKeys(const EngineParameters& parameters) {
  std::lock_guard<std::mutex> lock(guard_);
  if (keys_.empty() && answered_) return kVokNoKeys;
  Queue(kKeyConversionPriority, OptionBits(latched_[kConversionSwitch], parameters.keyboard(kSystemSwitch)));
  keys_.Clear();
  answered_ = true;
  return kVokOk;
}

VokStatus CKeyboardRecognizer::ClearKeys() {
  std::lock_guard<std::mutex> lock(guard_);
  if (!keys_.empty() && !answered_) {
    PostEmptyPair(context_.notifier, context_.records, sequence_, kNoSecondWord);
    answered_ = true;
    cleared_sequence_ = sequence_;
  }
  keys_.Clear();
  return kVokOk;
}

VokStatus CKeyboardRecognizer::GetKeyBuffer(std::uint32_t size, char* buffer) {
  if (buffer == nullptr || size == 0) return kVokBadArgument;
  std::lock_guard<std::mutex> lock(guard_);
  const std::string& text = keys_.text();
  if (text.size() >= size) {
    buffer[0] = '\0';
    return kVokBadArgument;
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return kVokOk;
}

bool CKeyboardRecognizer::HoldsKeys() {
  std::lock_guard<std::mutex> lock(guard_);
  return !keys_.empty();
}

void CKeyboardRecognizer::DropKeys() {
  std::lock_guard<std::mutex> lock(guard_);
  keys_.Clear();
}

std::int32_t CKeyboardRecognizer::failing_position() {
  std::lock_guard<std::mutex> lock(guard_);
  return keys_.failing_position();
}

std::int32_t CKeyboardRecognizer::FeedKeys(const KeyBuffer& keys) {
  for (std::size_t p = 0; p < keys.position_count(); ++p) {
    for (const char key : keys.position(p)) {
      const int taken = system_->ProcessKey(static_cast<std::uint8_t>(key));
      if (taken == vok::CPLEngine::kUnknownKey) return static_cast<std::int32_t>(keys.offset(p));
      if (taken < 0) return -1;  // the end key: what came before is the input
    }
  }
  return -1;
}

void CKeyboardRecognizer::Recognize(VokRequest& request) {
  // Conversions run one at a time; the key buffer stays free for the keys
  // that come meanwhile.
  std::lock_guard<std::mutex> lock(conversion_);
  if (AnsweredByClear(request)) {
    request.answered = true;
    return;
  }
  const KeyBuffer keys = KeyBuffer::FromAttached(request.attached);
  const std::uint32_t kind_bits = KindBits(request);
  if ((request.option_bits & kConvertBit) == 0) {
    std::vector<std::string> texts;
    if (!keys.empty()) texts.push_back(keys.text());
    SetResults(context_.records.MakeText(kKindText | kind_bits, request.sequence, request.second_word, texts),
               nullptr);
  } else {
    Convert(request, keys, kind_bits);
  }
  // The input was cleared while it was converted: its answer has gone.
  if (AnsweredByClear(request)) {
    VokResult* first = nullptr;
    VokResult* second = nullptr;
    TakeResults(&first, &second);
    context_.records.Delete(first);
    context_.records.Delete(second);
    request.answered = true;
  }
}

bool CKeyboardRecognizer::AnsweredByClear(const VokRequest& request) {
  std::lock_guard<std::mutex> lock(guard_);
  return request.option == 0 && cleared_sequence_ == request.sequence;
}

void CKeyboardRecognizer::SetEmptyResults(const VokRequest& request, std::uint32_t kind_bits) {
  SetResults(context_.records.MakeWordIds(kKindWordIdHypotheses | kind_bits, request.sequence,
                                          request.second_word, {}),
             context_.records.MakeWordIds(kKindWordIdAlternatives | kind_bits, request.sequence,
                                          request.second_word, {}));
}

void CKeyboardRecognizer::Convert(VokRequest& request, const KeyBuffer& keys, std::uint32_t kind_bits) {
  // No keys, no characters: the back end would make up a sentence of none.
  if (keys.empty()) {
    SetEmptyResults(request, kind_bits);
    return;
  }
  CEngine& engine = context_.engine;
  std::int32_t refused = -1;
  {
    std::lock_guard<std::mutex> language(engine.language_mutex);
    system_->set_process_input((request.option_bits & kSystemBit) != 0 ? 1 : 0);
    system_->StartUtterance();
    refused = FeedKeys(keys);
    if (refused < 0) system_->FinishUtterance();
  }
  if (refused >= 0) {
    request.second_word = static_cast<std::uint32_t>(refused);
    if (request.option == 0) {
      context_.notifier.Post(kNotifyKeyRefused, kVokKeyRefused, refused, true);
      request.answered = true;
      return;
    }
    SetEmptyResults(request, kind_bits);
    return;
  }
  BackEndResults results(context_.notifier, context_.records, engine.hypotheses);
  {
    std::lock_guard<std::mutex> language(engine.language_mutex);
    vok::ApplyKeyboardConstants(system_.get(), keys.text().c_str());
    system_->RunBackEnd(false, false);
    system_->UpdateStatistics();
  }
  VokResult* hypotheses = nullptr;
  VokResult* alternatives = nullptr;
  results.Finish(*system_, engine.language_mutex, request.context_switch != 0, request.rescoring != 0,
                 engine.text_to_word_ids, {request.sequence, request.second_word, kind_bits}, &hypotheses,
                 &alternatives);
  SetResults(hypotheses, alternatives);
}

}  // namespace vok::api
