#include "engine/core/syllable_table.h"

#include <cstring>
#include <string>

#include "engine/core/byte_order.h"
#include "engine/core/file_io.h"
#include "engine/core/hypothesis.h"
#include "engine/core/messages.h"
#include "engine/core/replacing_file.h"
#include "engine/core/scoring.h"
#include "engine/core/text.h"
#include "engine/core/token_scan.h"

namespace vok {

namespace {

constexpr const char* kSyllableSection = "<SYLLABLE>";
constexpr const char* kFanoutSection = "<FANOUT>";
constexpr const char* kOptionSection = "<OPTION>";
constexpr const char* kEndTitle = "<END_SYL_TABLE_DATA>";
constexpr const char* kFieldCuts = " \t\r\n";
// The longest model list that one spelling may produce.
constexpr int kMaxModels = 4096;
// Smallest binary entry: index, a one-byte name record, a model count.
constexpr long long kMinEntryBytes = 4 + 5 + 4;
constexpr long long kMinRecordBytes = 5;

// Pieces of a text cut at any of the characters of `cuts`, empty ones
// skipped.
std::vector<std::string> Pieces(const char* text, const char* cuts) {
  std::vector<std::string> pieces;
  std::string piece;
  for (const char* p = text; *p; ++p) {
    if (std::strchr(cuts, *p)) {
      if (!piece.empty()) pieces.push_back(piece);
      piece.clear();
    } else {
      piece.push_back(*p);
    }
  }
  if (!piece.empty()) pieces.push_back(piece);
  return pieces;
}

// Bounded text output: pieces are appended whole or not at all.
class TextOut {
 public:
  TextOut(char* out, int size) : out_(out), size_(size) {
    if (out_ && size_ > 0) out_[0] = '\0';
    ok_ = out_ && size_ > 0;
  }
  void Append(const char* text, std::size_t length) {
    if (!ok_) return;
    if (length_ + length + 1 > static_cast<std::size_t>(size_)) {
      ok_ = false;
      return;
    }
    std::memcpy(out_ + length_, text, length);
    length_ += length;
    out_[length_] = '\0';
  }
  void AppendPiece(const std::string& piece) {
    const std::string text = piece + " ";
    Append(text.data(), text.size());
  }
  bool ok() const { return ok_; }

 private:
  char* out_;
  int size_;
  std::size_t length_ = 0;
  bool ok_ = true;
};

// The binary form's little-endian fields, read from memory with every length
// checked against the bytes left.
class LittleEndianReader {
 public:
  explicit LittleEndianReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
  long long left() const { return static_cast<long long>(bytes_.size() - position_); }
  bool Int32(int32_t* value) {
    if (left() < 4) return false;
    *value = static_cast<int32_t>(LoadLittleEndian32(&bytes_[position_]));
    position_ += 4;
    return true;
  }
  // A string record: length 1 to 512 counting the NUL, the bytes, NUL last.
  bool Record(std::string* text) {
    int32_t length;
    if (!Int32(&length) || length < 1 || length > CSyllableTable::kMaxRecord || left() < length) return false;
    const char* start = reinterpret_cast<const char*>(&bytes_[position_]);
    if (start[length - 1] != '\0') return false;
    text->assign(start, std::strlen(start));
    position_ += static_cast<std::size_t>(length);
    return true;
  }

 private:
  const std::vector<unsigned char>& bytes_;
  std::size_t position_ = 0;
};

void PutInt32(std::vector<unsigned char>* out, int32_t value) {
  unsigned char b[4];
  StoreLittleEndian32(b, static_cast<uint32_t>(value));
  out->insert(out->end(), b, b + 4);
}

void PutRecord(std::vector<unsigned char>* out, const char* text) {
  const std::size_t length = std::strlen(text) + 1;
  PutInt32(out, static_cast<int32_t>(length));
  out->insert(out->end(), text, text + length);
}

std::vector<unsigned char> ReadAll(std::FILE* stream) {
  std::vector<unsigned char> bytes;
  unsigned char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
    bytes.insert(bytes.end(), buffer, buffer + n);
  return bytes;
}

}  // namespace

CSyllableTable::CSyllableTable(const char* path, SymbolTable* model_names) {
  status_ = Read(path, model_names, false);
}

CSyllableTable::CSyllableTable(const char* path) { status_ = Read(path, nullptr, false); }

CSyllableTable::CSyllableTable(const SymbolTable& syllables) {
  if (!Prepare(syllables.GetCount(), 0, 0)) {
    status_ = -1;
    return;
  }
  syllables_ = syllables.Copy(capacity_);
  if (!syllables_) {
    Free();
    status_ = -1;
    return;
  }
  syllable_count_ = syllables_->GetCount();
}

CSyllableTable::~CSyllableTable() { Free(); }

void CSyllableTable::Free() {
  syllable_count_ = 0;
  capacity_ = 0;
  syllables_.reset();
  fanouts_.reset();
  options_.reset();
  allophones_.reset();
  syllable_models_.clear();
  fanout_models_.clear();
  option_models_.clear();
  class_numbers_.clear();
}

bool CSyllableTable::Prepare(int syllables, int fanouts, int options) {
  if (syllables < 0 || syllables + kExtraSyllables > kMaxSyllables) {
    ErrorMessage("Too many syllables (%d) for 16-bit syllable ids", syllables);
    return false;
  }
  capacity_ = syllables + kExtraSyllables;
  syllables_ = std::make_unique<SymbolTable>(capacity_);
  allophones_ = std::make_unique<SymbolTable>(kAllophoneCapacity);
  if (model_names_) {
    syllable_models_.assign(static_cast<std::size_t>(capacity_) + 1, ModelList());
    if (fanouts > 0) fanouts_ = std::make_unique<SymbolTable>(fanouts + kExtraGroups);
    if (options > 0) options_ = std::make_unique<SymbolTable>(options + kExtraGroups);
  }
  return syllables_->GetCapacity() > 0 && allophones_->GetCapacity() > 0;
}

int CSyllableTable::Read(const char* path, SymbolTable* model_names, bool add_models) {
  Free();
  model_names_ = model_names;
  std::FILE* stream = path ? std::fopen(path, "rb") : nullptr;
  if (!stream) {
    ErrorMessage("Problem with reading [%s]\n", path ? path : "");
    return -1;
  }
  const std::vector<unsigned char> bytes = ReadAll(stream);
  std::fclose(stream);

  const std::size_t title_length = std::strlen(kTitle) + 1;
  bool binary = false;
  if (bytes.size() >= 4) {
    int32_t length = static_cast<int32_t>(LoadLittleEndian32(bytes.data()));
    if (length > 255) length = 250;
    binary = length >= 0 && static_cast<std::size_t>(length) == title_length &&
             bytes.size() >= 4 + title_length && std::memcmp(bytes.data() + 4, kTitle, title_length) == 0;
  }
  int result;
  if (binary) {
    const std::vector<unsigned char> body(bytes.begin() + static_cast<std::ptrdiff_t>(4 + title_length),
                                          bytes.end());
    result = ReadBinary(body, add_models);
  } else {
    result = ReadText(path, add_models);
    if (result == 0 && model_names_) WriteTwin(path);
  }
  if (result != 0) Free();
  return result;
}

bool CSyllableTable::ExtractModels(const char* label, const char* names, bool add_models,
                                   ModelList* list) const {
  list->assign(1, 0);
  for (const std::string& name : Pieces(names, kFieldCuts)) {
    int id = model_names_->Find(name.c_str());
    if (id < 0) {
      std::string copy = name;
      const char* first = TokenScanFirst(copy.data(), " _()");
      if (first && *first) id = model_names_->Find(first);
    }
    if (id < 0 && add_models) id = model_names_->Add(name.c_str());
    if (id < 0 || id >= kNone || list->size() > static_cast<std::size_t>(kMaxModels)) {
      ErrorMessage("Problem with pron %s in Extract Models!", label);
      list->clear();
      return false;
    }
    list->push_back(static_cast<uint16_t>(id));
  }
  (*list)[0] = static_cast<uint16_t>(list->size() - 1);
  // A syllable without models has no list.
  if (list->size() == 1) list->clear();
  return true;
}

int CSyllableTable::AddSyllableEntry(const std::string& name, const char* models, bool add_models) {
  const int id = syllables_->Add(name.c_str());
  if (id < 0 || id >= capacity_) return -1;
  syllable_count_ = syllables_->GetCount();
  if (model_names_) {
    ModelList list;
    ExtractModels(name.c_str(), models, add_models, &list);
    syllable_models_[static_cast<std::size_t>(id)] = std::move(list);
  }
  return id;
}

void CSyllableTable::AddGroup(const std::string& name, const char* models, SymbolTable* table,
                              std::vector<ModelList>* lists, const char* unknown_message) {
  if (model_names_->Find(name.c_str()) < 0) {
    ErrorMessage(unknown_message, name.c_str());
    return;
  }
  const int id = table->Add(name.c_str());
  if (id < 0 || id > static_cast<int>(lists->size())) return;
  ModelList list;
  ExtractModels(name.c_str(), models, false, &list);
  if (id == static_cast<int>(lists->size())) {
    lists->push_back(std::move(list));
  } else {
    (*lists)[static_cast<std::size_t>(id)] = std::move(list);
  }
}

void CSyllableTable::SetSilenceSlot() {
  if (!model_names_) return;
  const int silence = model_names_->Find("SIL");
  if (silence < 0 || silence >= kNone) return;
  syllable_models_[static_cast<std::size_t>(syllable_count_)] = {1, static_cast<uint16_t>(silence)};
}

void CSyllableTable::AddAllophones(const char* name) {
  if (!name) return;
  for (const std::string& piece : Pieces(name, "(,)\n")) allophones_->Add(piece.c_str());
}

void CSyllableTable::CollectAllophones() {
  if (!model_names_) return;
  for (int id = 0; id < model_names_->GetCount(); ++id) AddAllophones(model_names_->GetName(id));
  for (const SymbolTable* groups : {fanouts_.get(), options_.get()}) {
    if (!groups) continue;
    for (int id = 0; id < groups->GetCount(); ++id) AddAllophones(groups->GetName(id));
  }
}

namespace {

// A section line: its first field and the rest of the line.
void SplitLine(const char* line, std::string* first, const char** rest) {
  const char* p = line;
  while (*p == ' ' || *p == '\t') ++p;
  const char* start = p;
  while (*p && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n') ++p;
  first->assign(start, static_cast<std::size_t>(p - start));
  *rest = p;
}

}  // namespace

int CSyllableTable::ReadText(const char* path, bool add_models) {
  const int syllables = FileCountBlockLines(path, kSyllableSection);
  const int fanouts = model_names_ ? FileCountBlockLines(path, kFanoutSection) : 0;
  const int options = model_names_ ? FileCountBlockLines(path, kOptionSection) : 0;
  std::FILE* block = FileFindBlock(path, kSyllableSection);
  if (!block) {
    ErrorMessage("Problem with reading [%s]\n", path);
    return -1;
  }
  if (!Prepare(syllables, fanouts, options)) {
    std::fclose(block);
    return -1;
  }
  char line[kMaxLine];
  std::string name;
  const char* rest;
  while (FileReadBlockLine(block, line, kMaxLine) >= 0) {
    SplitLine(line, &name, &rest);
    if (!name.empty()) AddSyllableEntry(name, rest, add_models);
  }
  std::fclose(block);
  SetSilenceSlot();

  struct Group {
    const char* section;
    int count;
    SymbolTable* table;
    std::vector<ModelList>* lists;
    const char* message;
  };
  const Group groups[] = {
      {kFanoutSection, fanouts, fanouts_.get(), &fanout_models_, "Problem with model %s in ReadFanouts!"},
      {kOptionSection, options, options_.get(), &option_models_, "Problem with model %s in ReadOptions!"}};
  for (const Group& group : groups) {
    if (!group.table || group.count <= 0) continue;
    std::FILE* stream = FileFindBlock(path, group.section);
    if (!stream) continue;
    while (FileReadBlockLine(stream, line, kMaxLine) >= 0) {
      SplitLine(line, &name, &rest);
      if (!name.empty()) AddGroup(name, rest, group.table, group.lists, group.message);
    }
    std::fclose(stream);
  }
  CollectAllophones();
  LogPrint("\n%d syllables read.\n", syllable_count_);
  LogPrint("%d fanouts read.\n", fanout_count());
  LogPrint("%d options read.\n", option_count());
  LogPrint("%d allophones read\n\n", allophones_->GetCount());
  return 0;
}

int CSyllableTable::ReadBinary(const std::vector<unsigned char>& body, bool add_models) {
  LittleEndianReader in(body);
  int32_t counts[3];
  for (int32_t& count : counts) {
    if (!in.Int32(&count) || count < 0 || count > in.left() / kMinEntryBytes) {
      ErrorMessage("Problem with title in Extract SyllableTable Data!");
      return -1;
    }
  }
  const int32_t total = counts[0], fanouts = counts[1], options = counts[2];
  if (!Prepare(total, fanouts, options)) return -1;

  struct Section {
    const char* title;
    const char* end;
    int32_t count;
    const char* title_message;
    const char* unknown_message;
    SymbolTable* table;
    std::vector<ModelList>* lists;
  };
  const Section sections[] = {
      {kSyllableSection, "<END_SYLLABLE>", total, "Problem with title in Extract Models!", nullptr, nullptr,
       nullptr},
      {kFanoutSection, "<END_FANOUT>", fanouts, "Problem with title in Extract Fanout!",
       "Problem with model %s in Extract Fanout!", fanouts_.get(), &fanout_models_},
      {kOptionSection, "<END_OPTION>", options, "Problem with title in Extract Options!",
       "Problem with model %s in Extract Options!", options_.get(), &option_models_}};
  std::string text, name, models;
  for (const Section& section : sections) {
    if (section.count <= 0) continue;
    int32_t stored = 0;
    if (!in.Record(&text) || text != section.title || !in.Int32(&stored) || stored != section.count) {
      ErrorMessage("%s", section.title_message);
      return -1;
    }
    for (int32_t i = 0; i < section.count; ++i) {
      int32_t index = -1, k = -1;
      if (!in.Int32(&index) || index != i || !in.Record(&name) || !in.Int32(&k) || k < 0 ||
          k > in.left() / kMinRecordBytes) {
        ErrorMessage("Problem with pron entry %d in Extract Models!", static_cast<int>(i));
        return -1;
      }
      models.clear();
      for (int32_t m = 0; m < k; ++m) {
        if (!in.Record(&text)) {
          ErrorMessage("Problem with pron entry %d in Extract Models!", static_cast<int>(i));
          return -1;
        }
        if (m > 0) models += ' ';
        models += text;
      }
      if (section.title == kSyllableSection) {
        if (AddSyllableEntry(name, models.c_str(), add_models) != i) {
          ErrorMessage("Problem with pron entry %d in Extract Models!", static_cast<int>(i));
          return -1;
        }
      } else if (section.table) {
        AddGroup(name, models.c_str(), section.table, section.lists, section.unknown_message);
      }
    }
    if (!in.Record(&text) || text != section.end) {
      ErrorMessage("%s", section.title_message);
      return -1;
    }
  }
  if (!in.Record(&text) || text != kEndTitle) {
    ErrorMessage("Problem with title in Extract SyllableTable Data!");
    return -1;
  }
  SetSilenceSlot();
  CollectAllophones();
  LogPrint("\n%d syllables read.\n", syllable_count_);
  LogPrint("%d fanouts read.\n", fanout_count());
  LogPrint("%d options read.\n", option_count());
  LogPrint("%d allophones read\n\n", allophones_->GetCount());
  return 0;
}

int CSyllableTable::WriteBinary(const char* path) const {
  if (!syllables_) return -1;
  std::vector<unsigned char> out;
  PutRecord(&out, kTitle);
  PutInt32(&out, syllable_count_);
  PutInt32(&out, fanout_count());
  PutInt32(&out, option_count());
  auto put_list = [&](const ModelList& list) {
    const int k = list.empty() ? 0 : list[0];
    PutInt32(&out, k);
    for (int m = 1; m <= k; ++m) {
      const char* model = model_names_ ? model_names_->GetName(list[static_cast<std::size_t>(m)]) : nullptr;
      PutRecord(&out, model ? model : "");
    }
  };
  auto put_section = [&](const char* title, const char* end, int count, const SymbolTable* names,
                         const std::vector<ModelList>& lists) {
    if (count <= 0) return;
    PutRecord(&out, title);
    PutInt32(&out, count);
    for (int i = 0; i < count; ++i) {
      PutInt32(&out, i);
      const char* name = names ? names->GetName(i) : nullptr;
      PutRecord(&out, name ? name : "");
      put_list(static_cast<std::size_t>(i) < lists.size() ? lists[static_cast<std::size_t>(i)] : ModelList());
    }
    PutRecord(&out, end);
  };
  put_section(kSyllableSection, "<END_SYLLABLE>", syllable_count_, syllables_.get(), syllable_models_);
  put_section(kFanoutSection, "<END_FANOUT>", fanout_count(), fanouts_.get(), fanout_models_);
  put_section(kOptionSection, "<END_OPTION>", option_count(), options_.get(), option_models_);
  PutRecord(&out, kEndTitle);
  ReplacingFile file(path);
  if (!file.stream() || std::fwrite(out.data(), 1, out.size(), file.stream()) != out.size()) return -1;
  return file.Commit();
}

void CSyllableTable::WriteTwin(const char* path) const {
  const std::string twin = std::string(path) + kTwinSuffix;
  LogPrint("\nSaving to %s ...", twin.c_str());
  if (WriteBinary(twin.c_str()) != 0) {
    WarningMessage("Cannot write the binary syllable table [%s]", twin.c_str());
    return;
  }
  LogPrint(" Done.\n");
}

int CSyllableTable::PronToSyllables(const char* text, uint16_t* list, int capacity) const {
  if (!text || !list || capacity < 1 || !syllables_) return -1;
  int n = 0;
  for (std::string piece : Pieces(text, " \t\r\n-")) {
    StringToUpper(piece.data());
    const int id = syllables_->Find(piece.c_str());
    if (id < 0) {
      LogPrint("Unknown syllable %s in (%s)\n", piece.c_str(), text);
      return -1;
    }
    if (n + 2 > capacity) return -1;
    list[++n] = static_cast<uint16_t>(id);
  }
  list[0] = static_cast<uint16_t>(n);
  return 0;
}

int CSyllableTable::SyllablesToModels(const uint16_t* syllables, uint16_t* models, int capacity) const {
  if (!syllables || !models || capacity < 1) return -1;
  int n = 0;
  for (int i = 1; i <= syllables[0]; ++i) {
    const int id = syllables[i];
    if (id > syllable_count_ || static_cast<std::size_t>(id) >= syllable_models_.size()) return -1;
    const ModelList& list = syllable_models_[static_cast<std::size_t>(id)];
    if (list.empty()) return -1;
    if (n + 1 + list[0] > capacity) return -1;
    std::memcpy(models + n + 1, list.data() + 1, sizeof(uint16_t) * list[0]);
    n += list[0];
  }
  models[0] = static_cast<uint16_t>(n);
  return 0;
}

int CSyllableTable::PronToModels(const char* text, uint16_t* models, int capacity) const {
  std::vector<uint16_t> syllables(kMaxLine + 1);
  if (PronToSyllables(text, syllables.data(), static_cast<int>(syllables.size())) != 0) return -1;
  return SyllablesToModels(syllables.data(), models, capacity);
}

int CSyllableTable::AddSyllable(const char* name) {
  if (!syllables_ || !name || syllable_count_ >= capacity_ || syllable_count_ >= kMaxSyllables) return -1;
  if (syllables_->Find(name) >= 0) return -1;
  const int id = syllables_->Add(name);
  if (id < 0) return -1;
  syllable_count_ = id + 1;
  if (syllable_models_.empty()) return -2;
  ModelList& slot = syllable_models_[static_cast<std::size_t>(id)];
  std::vector<uint16_t> list(kMaxModels + 1);
  if (PronToModels(name, list.data(), static_cast<int>(list.size())) != 0) {
    slot.clear();
    return -2;
  }
  slot.assign(list.begin(), list.begin() + 1 + list[0]);
  return syllable_count_;
}

const uint16_t* CSyllableTable::GetClassNumbers(int syllable) const {
  if (syllable < 0 || static_cast<std::size_t>(syllable) >= class_numbers_.size()) return nullptr;
  return class_numbers_[static_cast<std::size_t>(syllable)].data();
}

int CSyllableTable::SetClassNumbers(int syllable, const uint16_t (&classes)[3]) {
  if (syllable < 0 || syllable >= syllable_count_) return -1;
  // Syllables without numbers of their own are in no particular class.
  if (class_numbers_.empty())
    class_numbers_.assign(static_cast<std::size_t>(syllable_count_), {kNone, kNone, kNone});
  class_numbers_[static_cast<std::size_t>(syllable)] = {classes[0], classes[1], classes[2]};
  return 0;
}

int CSyllableTable::GetSyllableModels(int id, uint16_t* models, int capacity) const {
  if (id < 0 || id > syllable_count_ || static_cast<std::size_t>(id) >= syllable_models_.size()) return -1;
  const ModelList& list = syllable_models_[static_cast<std::size_t>(id)];
  if (list.empty() || !models || static_cast<int>(list.size()) > capacity) return -1;
  std::memcpy(models, list.data(), sizeof(uint16_t) * list.size());
  return static_cast<int>(list.size());
}

CSyllableTable::ModelParts CSyllableTable::SplitModelName(int model_id) const {
  ModelParts parts;
  const char* name = model_names_ ? model_names_->GetName(model_id) : nullptr;
  if (!name || !allophones_) return parts;
  const std::string text = name;
  const std::size_t open = text.find('(');
  const std::size_t left_end = open == std::string::npos ? open : text.find_first_of(",)", open + 1);
  const bool has_right = left_end != std::string::npos && text[left_end] == ',';
  auto lookup = [&](const std::string& part) -> uint16_t {
    if (part.empty() || part == "#") return kNone;
    const int id = allophones_->Find(part.c_str());
    return id < 0 ? kNone : static_cast<uint16_t>(id);
  };
  const std::string center = text.substr(0, open);
  parts.center = center == "SIL" ? kNone : lookup(center);
  if (open != std::string::npos) parts.left = lookup(text.substr(open + 1, left_end - open - 1));
  if (has_right) parts.right = lookup(text.substr(left_end + 1, text.find(')', left_end + 1) - left_end - 1));
  return parts;
}

const uint16_t* CSyllableTable::GetFanout(const char* name) const {
  if (!fanouts_ || !name) return nullptr;
  const int id = fanouts_->Find(name);
  if (id < 0 || id >= fanout_count() || fanout_models_[static_cast<std::size_t>(id)].empty()) return nullptr;
  return fanout_models_[static_cast<std::size_t>(id)].data();
}

const uint16_t* CSyllableTable::GetModelFanout(int model_id) const {
  if (!fanouts_ || !model_names_) return nullptr;
  return GetFanout(model_names_->GetName(model_id));
}

const uint16_t* CSyllableTable::GetOption(int option_id) const {
  if (option_id < 0 || option_id >= option_count() ||
      option_models_[static_cast<std::size_t>(option_id)].empty()) {
    return nullptr;
  }
  return option_models_[static_cast<std::size_t>(option_id)].data();
}

int CSyllableTable::SyllablesToText(const uint16_t* list, char* out, int size) const {
  TextOut text(out, size);
  if (!list || !syllables_) return -1;
  for (int i = 1; i <= list[0]; ++i) {
    const char* name = syllables_->GetName(list[i]);
    if (!name) return -1;
    std::string copy = name;
    copy = copy.substr(0, copy.find('_'));
    for (const std::string& piece : Pieces(copy.c_str(), " -")) text.AppendPiece(piece);
  }
  return text.ok() ? 0 : -1;
}

int CSyllableTable::SyllablesToToneless(const uint16_t* list, char* out, int size) const {
  TextOut text(out, size);
  if (!list || !syllables_) return -1;
  for (int i = 1; i <= list[0]; ++i) {
    const char* name = syllables_->GetName(list[i]);
    if (!name) return -1;
    const std::size_t end = std::strcspn(name, " -12345");
    text.AppendPiece(std::string(name, end));
  }
  return text.ok() ? 0 : -1;
}

int CSyllableTable::ModelsToText(const uint16_t* models, char* out, int size) const {
  TextOut text(out, size);
  if (!models || !model_names_) return -1;
  for (int i = 1; i <= models[0]; ++i) {
    const char* name = model_names_->GetName(models[i]);
    if (!name) break;
    text.AppendPiece(std::string(name, std::strcspn(name, "()")));
  }
  return text.ok() ? 0 : -1;
}

void CSyllableTable::PrintNBest(const uint16_t* reference, int utterance, NBestList* nbest,
                                Scoring* scoring) const {
  constexpr int kTextSize = 4096;
  std::vector<char> reference_text(kTextSize), text(kTextSize);
  SyllablesToText(reference, reference_text.data(), kTextSize);
  LogPrint("  0: %10.7g: %s\n", static_cast<double>(utterance), reference_text.data());
  int rank = -1;
  std::string best_text;
  for (int i = 0; i < nbest->count(); ++i) {
    const Hypothesis& h = nbest->Get(i);
    if (h.count == 0) break;
    uint16_t list[Hypothesis::kMaxIds + 1];
    h.GetIds(list, Hypothesis::kMaxIds + 1);
    SyllablesToText(list, text.data(), kTextSize);
    LogPrint("%3ld: ", static_cast<long>(i + 1));
    LogPrint("%10.7g: ", static_cast<double>(nbest->best_score() + h.score));
    LogPrint("%s\n", text.data());
    if (i == 0) best_text = text.data();
    if (rank < 0 && reference && h.Equals(reference + 1, reference[0])) rank = i;
  }
  nbest->UpdateStatistics(rank, kEmptyScore);
  if (scoring) scoring->CompareSentences(reference_text.data(), best_text.c_str(), false);
}

int64_t CSyllableTable::GetMemoryUsage() const {
  return (syllables_ ? syllables_->MemoryUse() : 0) + 4 * int64_t{syllable_count_} + 4;
}

void CSyllableTable::PrintHeader() const {
  const std::string rule(38, '-');
  LogPrint("\nSyllable Header\n");
  LogPrint("%s\n", rule.c_str());
  LogPrint("%-25s    %d\n", "# Entries:", syllable_count_);
  LogPrint("%-25s    %d\n", "Memory usage:", static_cast<int>(GetMemoryUsage()));
  LogPrint("%s\n", rule.c_str());
}

}  // namespace vok
