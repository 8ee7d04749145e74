#include "shapes/letters/helvane_library.h"

#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "platform/file_access.h"
#include "shapes/letters/letter_recognizer.h"
#include "shapes/letters/template_file_reader.h"

namespace letters {
namespace {

std::string Substitute(std::string text, const std::string& value) {
  const std::size_t at = text.find("%s");
  return text.replace(at, 2, value);
}

}  // namespace

std::unique_ptr<TemplateTable> HelvaneLibrary::Load(const std::string& prefix) {
  const std::string path = prefix + kTemplateFileName;
  const std::optional<std::vector<std::uint8_t>> bytes = platform::ReadWholeFile(path);
  if (!bytes) {
    messages_.Show(Substitute("Can't open DBS file[%s]!\n", path));
    return nullptr;
  }
  TemplateFileResult result;
  try {
    result = ReadTemplateFile(*bytes);
  } catch (const std::bad_alloc&) {
    messages_.Show("Can't allocate enough [MASK] memory!\n");
    return nullptr;
  }
  switch (result.error) {
    case TemplateFileError::kNone:
      break;
    case TemplateFileError::kDimensions:
      messages_.Show("Feature dimension ERROR!\n");
      break;
    case TemplateFileError::kCount:
      messages_.Show("MASK EXCEED BUFFER [" + std::to_string(result.total_count) + "]!\n");
      break;
    case TemplateFileError::kDamaged:
      messages_.Show(Substitute("Damaged DBS file[%s]!\n", path));
      break;
  }
  return std::move(result.table);
}

const TemplateTable* HelvaneLibrary::Create(const char* prefix) {
  if (prefix == nullptr) return nullptr;
  // The prefix is at most 99 characters; a longer one is refused, not cut.
  if (strnlen(prefix, kMaxPrefixLength + 1) > kMaxPrefixLength) return nullptr;
  const std::lock_guard lock(mutex_);
  if (table_ == nullptr) {
    table_ = Load(prefix);
    if (table_ == nullptr) return nullptr;
    references_ = 0;
  }
  ++references_;
  return table_.get();
}

void HelvaneLibrary::Free(const void* table) {
  if (table == nullptr) return;
  const std::lock_guard lock(mutex_);
  if (table != table_.get()) return;
  if (--references_ == 0) table_.reset();
}

int HelvaneLibrary::Recognize(const void* table, const wrendle::StrokeEntry* strokes, std::uint8_t* out) {
  if (strokes == nullptr || out == nullptr) return 0;
  const std::lock_guard lock(mutex_);
  // A released or foreign table is never used: only the held one is.
  if (table_ == nullptr || (table != nullptr && table != table_.get())) return 0;
  const std::optional<wrendle::StrokeListView> view = wrendle::StrokeListView::ParseUnbounded(strokes);
  if (!view) return 0;
  const LetterResult result = RecognizeLetter(*table_, *view);
  for (std::size_t i = 0; i < result.codes.size(); ++i) {
    out[2 * i] = result.codes[i];
    out[2 * i + 1] = 0;
  }
  return result.status;
}

int HelvaneLibrary::reference_count() const {
  const std::lock_guard lock(mutex_);
  return references_;
}

HelvaneLibrary& ProcessLibrary() {
  static HelvaneLibrary library(SystemMessageSink());
  return library;
}

}  // namespace letters
