// The process-wide state behind the three exports: one template table
// shared by reference count, remembered for calls that pass no table.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "common/stroke_list.h"
#include "shapes/letters/loader_messages.h"
#include "shapes/letters/template_table.h"

namespace letters {

// Longest directory prefix the loader accepts.
inline constexpr std::size_t kMaxPrefixLength = 99;

class HelvaneLibrary {
 public:
  explicit HelvaneLibrary(LoaderMessageSink& messages) : messages_(messages) {}

  // The shared table, loaded from prefix + "HELVANE.TPL" by the first call;
  // null when the prefix is missing or too long or the file is refused.
  const TemplateTable* Create(const char* prefix);
  // Drops one reference; the last one releases the table. Tables this
  // library does not hold are ignored.
  void Free(const void* table);
  // The number of codes written to `out` as {code, 0} pairs (up to ten),
  // -1 when not confident enough, 0 on failure or for an unknown table.
  int Recognize(const void* table, const wrendle::StrokeEntry* strokes, std::uint8_t* out);

  int reference_count() const;

 private:
  std::unique_ptr<TemplateTable> Load(const std::string& prefix);

  LoaderMessageSink& messages_;
  mutable std::mutex mutex_;
  std::unique_ptr<TemplateTable> table_;
  int references_ = 0;
};

// The one instance of the DLL.
HelvaneLibrary& ProcessLibrary();

}  // namespace letters
