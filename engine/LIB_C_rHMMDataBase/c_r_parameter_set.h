// Key-value store of a front-end specification: "Section_Key" to value text,
// optionally tied to a specification file that fills missing keys.
#pragma once

#include <map>
#include <string>
#include <vector>

class C_rParameterSet {
 public:
  static constexpr int kMaxValueSize = 1024;

  C_rParameterSet() = default;
  // Keys not stored are looked up in this file (INI-style sections), read
  // whole on the first such look-up.
  explicit C_rParameterSet(std::string specFile) : file_(std::move(specFile)) {}

  // Copies the value (at most size - 1 characters, terminated) into out.
  // Stored value first, then the tied file (the value found is stored), then
  // the default. Returns 0, or -1 for a size above 1024.
  int GetString(const char* section, const char* key, const char* defaultValue, char* out, int size,
                int verbose = 0);
  std::string GetString(const char* section, const char* key, const char* defaultValue);
  int GetInt(const char* section, const char* key, int defaultValue);
  float GetFloat(const char* section, const char* key, float defaultValue);
  void Put(const char* section, const char* key, const std::string& value);

  bool has_file() const { return !file_.empty(); }

 private:
  const std::vector<std::string>& FileLines();
  bool ReadFromFile(const char* section, const char* key, std::string& value);

  std::string file_;
  bool file_read_ = false;
  std::vector<std::string> file_lines_;
  std::map<std::string, std::string> values_;
};
