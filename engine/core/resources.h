// The engine's configuration store: 63 usable sections of 64
// entries, each entry a key and one text value, addressed as Section.Key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vok {

class Resources {
 public:
  // The table has 64 section records, of which 63 can be used (the file
  // format's limit), and 64 entry records per section, all usable.
  static constexpr int kSectionRecords = 64;
  static constexpr int kMaxSections = 63;
  static constexpr int kMaxEntries = 64;
  // Values are resolved into a buffer of this size: at most 1023 bytes stay.
  static constexpr int kValueBuffer = 1024;
  // Section names of a "Resource" line hold at most this many bytes.
  static constexpr int kMaxSectionName = 255;
  // Variable names of "$NAME", "$(NAME)" and "${NAME}" hold at most this many.
  static constexpr int kMaxVariableName = 63;
  // The value that marks a deleted entry.
  static constexpr const char* kDeleted = "*DELETED*";

  // An empty key or value is kept as an empty string; a missing ("no") string
  // reads as "" everywhere, so it neither fails nor matches by accident.
  struct Entry {
    std::string key;
    std::string value;
    int32_t flag = 0;  // 1 once a value was put
  };
  struct Section {
    std::string name;
    int32_t count = 0;
    std::vector<Entry> entries;  // kMaxEntries records
  };

  Resources();
  ~Resources() = default;
  Resources(const Resources&) = delete;
  Resources& operator=(const Resources&) = delete;

  // Back to no sections.
  void Clear();

  const Section* FindSection(const char* section) const;
  // The entry Section.Key whose value is not "*DELETED*", or null.
  const Entry* FindEntry(const char* section, const char* key) const;
  // Adds an entry with the key and no value; null (and an error recorded)
  // when a live Section.Key exists, the section is full, or 63 sections exist.
  Entry* AddEntry(const char* section, const char* key);

  // Stores the value (variables resolved, at most 1023 bytes); 0, or -1 when
  // no entry can be made.
  int Put(const char* section, const char* key, const char* value);
  int PutInt(const char* section, const char* key, int value);
  // "%f": six decimals, '.' whatever the locale.
  int PutFloat(const char* section, const char* key, float value);
  // Marks a live entry "*DELETED*"; 0 when there was nothing to delete.
  int Delete(const char* section, const char* key);

  // Copies the value into the caller's buffer of `size` bytes; at most
  // size - 1 bytes, and the copy is always terminated. 0, or -1 when the entry
  // is absent or size < 1 (buffer untouched).
  int Get(const char* section, const char* key, char* buffer, int size) const;
  // The whole value; 0, or -1 when absent (out untouched).
  int Get(const char* section, const char* key, std::string* out) const;
  // The stored value or null; valid until the entry is changed.
  const char* GetValue(const char* section, const char* key) const;
  // "TRUE" 1, "FALSE" 0, else the decimal conversion of the leading digits.
  int GetInt(const char* section, const char* key, int* out) const;
  int GetFloat(const char* section, const char* key, float* out) const;
  // As GetFloat; when absent prints "Error: %s.%s not given!\n" with
  // LogPrintEcho and returns -1.
  int GetRequiredFloat(const char* section, const char* key, float* out) const;

  // Reads a "Resources" text file (LF or CRLF lines) into the store.
  int Merge(const char* path);
  // Takes "-Section.Key value" pairs from an argument list.
  int Merge(int argument_count, const char* const* arguments);
  // Writes every entry, deleted ones too, as "%s.%s\t%s\n" lines.
  int Write(const char* path) const;

  // Copies `source` into `destination` (size bytes, always terminated when
  // size >= 1) with environment variables resolved; 0, or -1 when a variable
  // was missing or the buffers overlap.
  static int ResolveVariables(const char* source, char* destination, int size);

  int SectionCount() const { return section_count_; }
  const Section* SectionAt(int index) const;

 private:
  Entry* FindLiveEntry(const char* section, const char* key);
  Section* FindSectionMutable(const char* section);

  int32_t section_count_ = 0;
  std::vector<Section> sections_;  // kSectionRecords records
};

}  // namespace vok
