#include "engine/LIB_C_rHMMDataBase/c_r_parameter_set.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/LIB_C_rHMMDataBase/sr_exit.h"
#include "engine/core/file_io.h"
#include "engine/core/messages.h"

namespace {

// Keys whose values lose every blank and tab and end at their first ';'.
constexpr const char* kCompactKeys[] = {"FrontEnd_SamplingRate",
                                        "FrontEnd_NumSamplesFrameAdvance",
                                        "FrontEnd_NumSamplesPerFrame",
                                        "FrontEnd_MaxNumFrame",
                                        "FrontEnd_NumStreams",
                                        "MelFilter_FftSize",
                                        "MelFilter_NumMelFilters",
                                        "MelFilter_MelFiltersNumLog",
                                        "MelFilter_MelFiltersNumLinear",
                                        "MelFilter_MelFiltersUpper",
                                        "MelFilter_MelFiltersLower",
                                        "MelFilter_MelFiltersLogSpacing",
                                        "MelFilter_MelFiltersLinSpacing",
                                        "MelFilter_NoiseSpectrumFilter"};

bool IsCompactKey(const std::string& name) {
  if (name.rfind("FrontEnd_Stream-", 0) == 0) return true;
  for (const char* key : kCompactKeys)
    if (name == key) return true;
  return false;
}

std::string MakeName(const char* section, const char* key) { return std::string(section) + "_" + key; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

const std::vector<std::string>& C_rParameterSet::FileLines() {
  if (file_read_) return file_lines_;
  file_read_ = true;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(file_.c_str(), "rb"));
  if (!file) return file_lines_;
  std::string line;
  while (vok::FileReadLine(file.get(), &line) >= 0) file_lines_.push_back(line);
  return file_lines_;
}

bool C_rParameterSet::ReadFromFile(const char* section, const char* key, std::string& value) {
  const std::vector<std::string>& lines = FileLines();
  auto line = lines.begin();
  for (bool inSection = false; !inSection; ++line) {
    if (line == lines.end()) return false;
    const std::size_t open = line->find_first_not_of(" \t");
    if (open == std::string::npos || (*line)[open] != '[') continue;
    const std::size_t close = line->find(']', open + 1);
    inSection = close != std::string::npos && line->substr(open + 1, close - open - 1) == section;
  }
  for (; line != lines.end(); ++line) {
    if (line->empty()) continue;
    if (line->front() == '[') return false;
    if (line->front() == ';') continue;
    const std::size_t equal = line->find('=');
    if (equal == std::string::npos) continue;
    std::string name = line->substr(0, equal);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    if (name != key) continue;
    const std::size_t start = line->find_first_not_of(" \t", equal + 1);
    std::string text = start == std::string::npos ? std::string() : line->substr(start);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
      text = text.substr(1, text.size() - 2);
    if (IsCompactKey(MakeName(section, key))) {
      std::string compact;
      for (char c : text) {
        if (c == ';') break;
        if (c != ' ' && c != '\t') compact += c;
      }
      text = compact;
    }
    value = text;
    return true;
  }
  return false;
}

int C_rParameterSet::GetString(const char* section, const char* key, const char* defaultValue, char* out,
                               int size, int /*verbose*/) {
  if (size > kMaxValueSize || size < 1) {
    std::printf("Error at readEntry 1024 char only.\n");
    return SR_Exit("Error");
  }
  const std::string value = GetString(section, key, defaultValue);
  std::snprintf(out, static_cast<std::size_t>(size), "%s", value.c_str());
  return 0;
}

std::string C_rParameterSet::GetString(const char* section, const char* key, const char* defaultValue) {
  const std::string name = MakeName(section, key);
  if (auto found = values_.find(name); found != values_.end()) return found->second;
  vok::LogPrint("NOT Found Parameter[%s] \n", name.c_str());
  std::string value;
  if (has_file() && ReadFromFile(section, key, value)) {
    value.resize(std::min<std::size_t>(value.size(), kMaxValueSize - 1));
    vok::LogPrint("Using %s from %s\n", value.c_str(), file_.c_str());
    values_[name] = value;
    return value;
  }
  std::printf("Cannot find [%s, %s] using default %s\n", section, key, defaultValue);
  return defaultValue;
}

int C_rParameterSet::GetInt(const char* section, const char* key, int defaultValue) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", defaultValue);
  return std::atoi(GetString(section, key, text).c_str());
}

float C_rParameterSet::GetFloat(const char* section, const char* key, float defaultValue) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", defaultValue);
  return static_cast<float>(std::atof(GetString(section, key, text).c_str()));
}

void C_rParameterSet::Put(const char* section, const char* key, const std::string& value) {
  values_[MakeName(section, key)] = value;
}
