#include "engine/core/resources.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/core/file_io.h"
#include "engine/core/messages.h"
#include "engine/core/text.h"

namespace vok {
namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

}  // namespace

Resources::Resources() { Clear(); }

void Resources::Clear() {
  sections_.assign(kSectionRecords, Section());
  for (Section& s : sections_) s.entries.assign(kMaxEntries, Entry());
  section_count_ = 0;
}

const Resources::Section* Resources::SectionAt(int index) const {
  if (index < 0 || index >= section_count_) return nullptr;
  return &sections_[static_cast<std::size_t>(index)];
}

const Resources::Section* Resources::FindSection(const char* section) const {
  const char* name = OrEmpty(section);
  for (int i = 0; i < section_count_; ++i) {
    if (sections_[static_cast<std::size_t>(i)].name == name) return &sections_[static_cast<std::size_t>(i)];
  }
  return nullptr;
}

Resources::Section* Resources::FindSectionMutable(const char* section) {
  return const_cast<Section*>(static_cast<const Resources*>(this)->FindSection(section));
}

const Resources::Entry* Resources::FindEntry(const char* section, const char* key) const {
  const Section* s = FindSection(section);
  if (!s) return nullptr;
  const char* name = OrEmpty(key);
  for (int i = 0; i < s->count; ++i) {
    const Entry& e = s->entries[static_cast<std::size_t>(i)];
    if (e.key == name && e.value != kDeleted) return &e;
  }
  return nullptr;
}

Resources::Entry* Resources::FindLiveEntry(const char* section, const char* key) {
  return const_cast<Entry*>(static_cast<const Resources*>(this)->FindEntry(section, key));
}

Resources::Entry* Resources::AddEntry(const char* section, const char* key) {
  if (FindEntry(section, key)) {
    ErrorSet("Resources::AddEntry", -1, "errEntryAlreadyExists");
    return nullptr;
  }
  Section* s = FindSectionMutable(section);
  if (s) {
    if (s->count >= kMaxEntries) {
      ErrorSet("Resources::AddEntry", -1, "errOutOfEntries");
      return nullptr;
    }
  } else {
    if (section_count_ >= kMaxSections) {
      ErrorSet("Resources::AddEntry", -1, "errOutOfTypes");
      return nullptr;
    }
    s = &sections_[static_cast<std::size_t>(section_count_++)];
    s->name = OrEmpty(section);
    s->count = 0;
  }
  Entry& e = s->entries[static_cast<std::size_t>(s->count++)];
  e.key = OrEmpty(key);
  e.value.clear();
  e.flag = 0;
  return &e;
}

int Resources::Put(const char* section, const char* key, const char* value) {
  Entry* e = FindLiveEntry(section, key);
  if (!e) e = AddEntry(section, key);
  if (!e) {
    ErrorSet("Resources::Put", -1, "errOutOfEntries");
    return -1;
  }
  char resolved[kValueBuffer];
  ResolveVariables(OrEmpty(value), resolved, kValueBuffer);  // a missing variable does not fail the put
  e->value = resolved;
  e->flag = 1;
  return 0;
}

int Resources::PutInt(const char* section, const char* key, int value) {
  return Put(section, key, FormatInt(value).c_str());
}

int Resources::PutFloat(const char* section, const char* key, float value) {
  return Put(section, key, FormatFixed(value, 6).c_str());
}

int Resources::Delete(const char* section, const char* key) {
  if (!FindEntry(section, key)) return 0;
  return Put(section, key, kDeleted);
}

int Resources::Get(const char* section, const char* key, char* buffer, int size) const {
  const Entry* e = FindEntry(section, key);
  if (!e || !buffer || size < 1) return -1;
  const std::size_t n = e->value.size() < static_cast<std::size_t>(size - 1)
                            ? e->value.size()
                            : static_cast<std::size_t>(size - 1);
  std::memcpy(buffer, e->value.data(), n);
  buffer[n] = '\0';
  return 0;
}

int Resources::Get(const char* section, const char* key, std::string* out) const {
  const Entry* e = FindEntry(section, key);
  if (!e || !out) return -1;
  *out = e->value;
  return 0;
}

const char* Resources::GetValue(const char* section, const char* key) const {
  const Entry* e = FindEntry(section, key);
  return e ? e->value.c_str() : nullptr;
}

int Resources::GetInt(const char* section, const char* key, int* out) const {
  char value[kValueBuffer];
  if (Get(section, key, value, kValueBuffer) != 0) return -1;
  int result;
  if (std::strcmp(value, "TRUE") == 0) {
    result = 1;
  } else if (std::strcmp(value, "FALSE") == 0) {
    result = 0;
  } else {
    result = ParseLeadingInt(value);
  }
  if (out) *out = result;
  return 0;
}

int Resources::GetFloat(const char* section, const char* key, float* out) const {
  char value[kValueBuffer];
  if (Get(section, key, value, kValueBuffer) != 0) return -1;
  if (out) *out = static_cast<float>(ParseLeadingDouble(value));
  return 0;
}

int Resources::GetRequiredFloat(const char* section, const char* key, float* out) const {
  if (GetFloat(section, key, out) == 0) return 0;
  LogPrintEcho("Error: %s.%s not given!\n", OrEmpty(section), OrEmpty(key));
  return -1;
}

int Resources::Merge(const char* path) {
  std::FILE* stream = path ? std::fopen(path, "r") : nullptr;
  if (!stream) {
    ErrorSet("Resources::Merge", -1, "Cannot open \"%s\"", OrEmpty(path));
    return -1;
  }
  std::string current_section;
  bool have_section = false;
  std::string line;
  int result = 0;
  while (FileReadLine(stream, &line) >= 0) {
    const std::size_t comment = line.find_first_of("#;");
    if (comment != std::string::npos) line.resize(comment);
    const std::vector<std::string> tokens = SplitTokens(line);
    if (tokens.empty()) continue;
    if (tokens.size() < 2) {
      ErrorSet("Resources::Merge", -1, "errNoValueForKeyword");
      result = -1;
      break;
    }
    const std::string& name = tokens[0];
    const std::string& value = tokens[1];
    if (name == "Resource") {
      if (value.size() > static_cast<std::size_t>(kMaxSectionName)) {
        ErrorSet("Resources::Merge", -1, "errSectionNameTooLong");
        result = -1;
        break;
      }
      current_section = value;
      have_section = true;
      continue;
    }
    std::string section;
    std::string key;
    const std::size_t dot = name.find('.');
    if (dot != std::string::npos) {
      section = name.substr(0, dot);
      key = name.substr(dot + 1);
    } else {
      if (!have_section) {
        ErrorSet("Resources::Merge", -1, "errTypeNotYetSet");
        result = -1;
        break;
      }
      section = current_section;
      key = name;
    }
    if (Put(section.c_str(), key.c_str(), value.c_str()) != 0) {
      ErrorSet("Resources::Merge", -1, "errPutFailed");
      result = -1;
      break;
    }
  }
  std::fclose(stream);
  return result;
}

int Resources::Merge(int argument_count, const char* const* arguments) {
  if (!arguments) return 0;
  for (int i = 0; i < argument_count; ++i) {
    const char* argument = arguments[i];
    if (!argument || argument[0] != '-' || !std::strchr(argument, '.')) continue;
    const char* setting = argument + 1;
    const char* dot = std::strchr(setting, '.');
    if (!dot) {
      ErrorSet("Resources::Merge", -1, "errPeriodNotFound");
      return -1;
    }
    if (dot[1] == '\0') continue;           // nothing after the period: skipped alone
    if (i + 1 >= argument_count) return 0;  // a setting without a value ends the scan
    const std::string section(setting, dot);
    if (Put(section.c_str(), dot + 1, arguments[i + 1]) != 0) {
      ErrorSet("Resources::Merge", -1, "errPutFailed");
      return -1;
    }
    ++i;
  }
  return 0;
}

int Resources::Write(const char* path) const {
  std::FILE* stream = path ? std::fopen(path, "w") : nullptr;
  if (!stream) {
    ErrorSet("Resources::Write", -1, "errCannotOpenFile");
    return -1;
  }
  bool ok = true;
  for (int i = 0; i < section_count_; ++i) {
    const Section& s = sections_[static_cast<std::size_t>(i)];
    for (int j = 0; j < s.count; ++j) {
      const Entry& e = s.entries[static_cast<std::size_t>(j)];
      if (std::fprintf(stream, "%s.%s\t%s\n", s.name.c_str(), e.key.c_str(), e.value.c_str()) < 0) ok = false;
    }
  }
  if (std::fflush(stream) != 0) ok = false;
  if (std::fclose(stream) != 0) ok = false;
  if (!ok) {
    ErrorSet("Resources::Write", -1, "errCannotWriteFile");
    return -1;
  }
  return 0;
}

int Resources::ResolveVariables(const char* source, char* destination, int size) {
  if (!destination || size < 1) return -1;
  const char* src = OrEmpty(source);
  const auto s = reinterpret_cast<std::uintptr_t>(src);
  const auto d = reinterpret_cast<std::uintptr_t>(destination);
  const auto n = static_cast<std::uintptr_t>(size);
  if ((d >= s && d - s < n) || (s >= d && s - d < n)) {
    ErrorSet("Resources::ResolveVariables", -1, "errStringsOverlap");
    return -1;
  }
  int out = 0;
  const auto put = [&](char c) {
    if (out < size - 1) destination[out++] = c;
  };
  int result = 0;
  std::size_t i = 0;
  while (src[i]) {
    if (src[i] != '$') {
      put(src[i++]);
      continue;
    }
    std::size_t j = i + 1;
    std::size_t name_start;
    std::size_t name_end;
    if (src[j] == '(' || src[j] == '{') {
      name_start = ++j;
      while (src[j] && src[j] != ')' && src[j] != '}') ++j;
      name_end = j;
      if (src[j]) ++j;  // the closing character is consumed
    } else {
      name_start = j;
      while (src[j] && src[j] != '/' && src[j] != '.' && src[j] != '$') ++j;
      name_end = j;
    }
    const std::string name(src + name_start, src + name_end);
    const char* value =
        name.size() <= static_cast<std::size_t>(kMaxVariableName) ? std::getenv(name.c_str()) : nullptr;
    if (value) {
      for (const char* v = value; *v; ++v) put(*v);
      i = j;
    } else {
      // A name longer than 63 characters is never looked up; it is reported
      // like a missing one, cut to its first 63 characters.
      ErrorSet("Resources::ResolveVariables", -1, "Environment variable \"%s\" not found.",
               name.substr(0, static_cast<std::size_t>(kMaxVariableName)).c_str());
      result = -1;
      put('$');
      ++i;
    }
  }
  destination[out] = '\0';
  return result;
}

}  // namespace vok
