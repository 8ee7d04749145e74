#include "engine/core/user_lexicon.h"

#include <cstring>
#include <utility>

#include "engine/core/byte_order.h"
#include "engine/core/file_io.h"
#include "engine/core/lex_tree.h"
#include "engine/core/lexicon.h"
#include "engine/core/replacing_file.h"

namespace vok {

namespace {

int ReadLittleEndian32(std::FILE* stream, int32_t* value) {
  unsigned char bytes[4];
  if (std::fread(bytes, 1, 4, stream) != 4) return -1;
  *value = static_cast<int32_t>(LoadLittleEndian32(bytes));
  return 0;
}

int WriteLittleEndian32(std::FILE* stream, int32_t value) {
  unsigned char bytes[4];
  StoreLittleEndian32(bytes, static_cast<uint32_t>(value));
  return std::fwrite(bytes, 1, 4, stream) == 4 ? 0 : -1;
}

int ReadEntry(std::FILE* stream, CUserLexicon::ModelEntry* entry) {
  unsigned char bytes[4];
  if (std::fread(bytes, 1, 4, stream) != 4) return -1;
  entry->word_class = LoadBigEndian16(bytes);
  entry->in_class = bytes[2];
  entry->unigram = bytes[3];
  return 0;
}

int WriteEntry(std::FILE* stream, const CUserLexicon::ModelEntry& entry) {
  unsigned char bytes[4];
  StoreBigEndian16(bytes, entry.word_class);
  bytes[2] = entry.in_class;
  bytes[3] = entry.unigram;
  return std::fwrite(bytes, 1, 4, stream) == 4 ? 0 : -1;
}

}  // namespace

CUserLexicon::CUserLexicon(int capacity)
    : capacity_(capacity > 0 ? capacity : 0),
      added_(std::make_unique<SymbolTable>(capacity_)),
      deleted_(std::make_unique<SymbolTable>(capacity_)),
      core_(static_cast<std::size_t>(capacity_)),
      page_(static_cast<std::size_t>(capacity_)),
      prons_(static_cast<std::size_t>(capacity_)) {}

int CUserLexicon::AddWord(const char* word, const char* pron, uint16_t core_class, uint8_t core_score,
                          uint16_t page_class, uint8_t page_score) {
  if (added_->GetCount() >= capacity_) return -1;
  if (!word || !pron || std::strlen(pron) >= static_cast<std::size_t>(kPronSlotBytes)) return -1;
  const int index = added_->Add(word);
  if (index < 0) return -1;
  const auto i = static_cast<std::size_t>(index);
  core_[i] = ModelEntry{core_class, core_score, core_score};
  page_[i] = ModelEntry{page_class, page_score, page_score};
  prons_[i] = pron;
  return index;
}

int CUserLexicon::DeleteWord(const char* word) {
  if (!word) return -1;
  if (deleted_->Find(word) < 0 && (deleted_->GetCount() >= capacity_ || deleted_->Add(word) < 0)) return -1;
  const int index = added_->Find(word);
  if (index >= 0) {
    added_->Remove(word);
    const int count = added_->GetCount();
    for (int i = index; i < count; ++i) {
      core_[static_cast<std::size_t>(i)] = core_[static_cast<std::size_t>(i) + 1];
      page_[static_cast<std::size_t>(i)] = page_[static_cast<std::size_t>(i) + 1];
      prons_[static_cast<std::size_t>(i)] = std::move(prons_[static_cast<std::size_t>(i) + 1]);
    }
    core_[static_cast<std::size_t>(count)] = ModelEntry{};
    page_[static_cast<std::size_t>(count)] = ModelEntry{};
    prons_[static_cast<std::size_t>(count)].clear();
  }
  return 0;
}

int CUserLexicon::Read(const char* path, uint16_t tag) {
  std::FILE* stream = FileOpen(path, "rb");
  if (!stream) return -1;
  const int result = ReadFrom(stream, tag);
  FileClose(stream);
  return result;
}

int CUserLexicon::ReadFrom(std::FILE* stream, uint16_t tag) {
  int32_t added_count = 0;
  int32_t deleted_count = 0;
  if (ReadLittleEndian32(stream, &added_count) != 0 || ReadLittleEndian32(stream, &deleted_count) != 0)
    return -1;
  if (added_count < 0 || added_count > capacity_ || deleted_count < 0 || deleted_count > capacity_) return -1;
  // Read into new tables, so a failure leaves the user's list as it was (a
  // half-read list would later be written over the user's file).
  auto added = std::make_unique<SymbolTable>(capacity_);
  auto deleted = std::make_unique<SymbolTable>(capacity_);
  if (added_count > 0) {
    const int result = added->Read(stream, tag);
    if (result < 0) return result;
    if (added->GetCount() != added_count) return -1;
  }
  if (deleted_count > 0) {
    const int result = deleted->Read(stream, tag);
    if (result < 0) return result;
    if (deleted->GetCount() != deleted_count) return -1;
  }
  std::vector<ModelEntry> core(static_cast<std::size_t>(capacity_));
  std::vector<ModelEntry> page(static_cast<std::size_t>(capacity_));
  std::vector<std::string> prons(static_cast<std::size_t>(capacity_));
  char pron[kPronSlotBytes];
  for (std::size_t i = 0; i < static_cast<std::size_t>(added_count); ++i) {
    if (ReadEntry(stream, &core[i]) != 0 || ReadEntry(stream, &page[i]) != 0) return -1;
    if (FileReadString(stream, pron, kPronSlotBytes) == kBadStringField) return -1;
    prons[i] = pron;
  }
  std::swap(added_, added);
  std::swap(deleted_, deleted);
  core_ = std::move(core);
  page_ = std::move(page);
  prons_ = std::move(prons);
  return 0;
}

int CUserLexicon::Write(const char* path, uint16_t tag, uint8_t flag) const {
  ReplacingFile file(path);
  std::FILE* stream = file.stream();
  if (!stream) return -1;
  const int added_count = added_->GetCount();
  const int deleted_count = deleted_->GetCount();
  if (WriteLittleEndian32(stream, added_count) != 0 || WriteLittleEndian32(stream, deleted_count) != 0)
    return -1;
  if (added_count > 0 && added_->Write(stream, tag, flag) < 0) return -1;
  if (deleted_count > 0 && deleted_->Write(stream, tag, 0) < 0) return -1;
  for (std::size_t i = 0; i < static_cast<std::size_t>(added_count); ++i) {
    if (WriteEntry(stream, core_[i]) != 0 || WriteEntry(stream, page_[i]) != 0 ||
        FileWriteString(stream, prons_[i].c_str()) != 0) {
      return -1;
    }
  }
  return file.Commit();
}

int CUserLexicon::ApplyTo(CLexicon* lexicon, CLexTree* tree) {
  ApplyDeletions(lexicon, tree);
  AddWordsTo(lexicon, tree);
  return 0;
}

int CUserLexicon::ApplyDeletions(CLexicon* lexicon, CLexTree* tree) {
  if (!lexicon) return 0;
  int removed = 0;
  // Forgetting a deletion moves the later ones down: walk a copy.
  std::vector<std::string> words;
  for (int i = 0; i < deleted_->GetCount(); ++i)
    if (const char* w = deleted_->GetName(i)) words.emplace_back(w);
  for (const std::string& word : words) {
    const int id = lexicon->RemoveWord(word.c_str());
    if (id < 0) {
      deleted_->Remove(word.c_str());
      continue;
    }
    if (tree) tree->RemoveEntry(id);
    ++removed;
  }
  return removed;
}

int CUserLexicon::AddWordsTo(CLexicon* lexicon, CLexTree* tree) const {
  if (!lexicon) return 0;
  for (int i = 0; i < added_->GetCount(); ++i) {
    const char* word = added_->GetName(i);
    if (!word) continue;
    const auto k = static_cast<std::size_t>(i);
    const int added = lexicon->AddWord(word, core_[k].word_class, core_[k].in_class, page_[k].word_class,
                                       page_[k].in_class);
    if (added == 1 && tree) tree->AddPronsAt(lexicon->StringToWordID(word), prons_[k].c_str(), false);
  }
  return 0;
}

}  // namespace vok
