#include "app/core/homophone_provider.h"

#include <algorithm>

#include "app/core/char_codes.h"
#include "app/core/reading_code.h"
#include "common/recognition_types.h"
#include "platform/file_access.h"

namespace wrendle::app {

CHomophoneProvider::CHomophoneProvider(int language, std::string path)
    : language_(language), path_(std::move(path)) {}

void CHomophoneProvider::NotifyList(std::uint16_t) { Notify(0, 0); }

bool CHomophoneProvider::LoadTable() {
  if (table_) return true;
  if (language_ != kLanguageTraditionalChinese && language_ != kLanguageSimplifiedChinese) return false;
  auto bytes = platform::ReadWholeFile(path_);
  if (!bytes) return false;
  table_ = PhoneTable::Parse(std::move(*bytes));
  return table_.has_value();
}

int CHomophoneProvider::SetKey(std::uint16_t character) {
  if (KeepFlag()) return 0;
  if (character != 0 && character == key_) return static_cast<int>(groups_.size());
  key_ = character;
  groups_.clear();
  items_.clear();
  if (!LoadTable() || !IsDoubleByteKey(character)) return 0;
  const auto index = PhoneTableIndex(language_, character);
  if (!index) return 0;
  for (const std::uint16_t reading : table_->Readings(*index)) {
    if (!table_->Homophones(SyllableOf(reading), ToneOf(reading)).empty()) groups_.push_back(reading);
  }
  if (!groups_.empty()) SelectGroup(0);
  return static_cast<int>(groups_.size());
}

int CHomophoneProvider::SelectGroup(int group) {
  items_.clear();
  if (!table_ || group < 0 || static_cast<std::size_t>(group) >= groups_.size()) return 0;
  const std::uint16_t reading = groups_[static_cast<std::size_t>(group)];
  const auto homophones = table_->Homophones(SyllableOf(reading), ToneOf(reading));
  items_.assign(homophones.begin(),
                homophones.begin() + std::min<std::ptrdiff_t>(kMaxItems, std::ssize(homophones)));
  return static_cast<int>(items_.size());
}

const char* CHomophoneProvider::GetGroupLabel(int group, int keep) {
  SetKeepFlag(keep);
  if (group < 0 || static_cast<std::size_t>(group) >= groups_.size()) return nullptr;
  const std::uint16_t reading = groups_[static_cast<std::size_t>(group)];
  text_ = language_ == kLanguageTraditionalChinese ? BopomofoLabel(reading) : PinyinLabel(reading);
  return text_.c_str();
}

const char* CHomophoneProvider::GetItem(int item, int keep) {
  SetKeepFlag(keep);
  const std::uint16_t character = ItemCharacter(item);
  if (character == 0) return nullptr;
  text_ = CodeBytes(character);
  return text_.c_str();
}

int CHomophoneProvider::AppendItem(int item) {
  const std::uint16_t character = ItemCharacter(item);
  if (character != 0) NotifyOthers(this, character);
  return 0;
}

const char* CHomophoneProvider::GetKey() {
  text_ = CodeBytes(key_);
  return text_.c_str();
}

std::uint16_t CHomophoneProvider::ItemCharacter(int item) const {
  if (item < 0 || static_cast<std::size_t>(item) >= items_.size()) return 0;
  return items_[static_cast<std::size_t>(item)];
}

}  // namespace wrendle::app
