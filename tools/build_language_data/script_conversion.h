// Simplified to Traditional word conversion through the phrase and character
// tables of the open conversion project, as its dictionary tool writes them
// as text ("key<TAB>value [value...]" lines, UTF-8): the text is cut by
// forward longest match over the keys of both tables, and each piece becomes
// its first value; characters without a key stay as they are.
#pragma once

#include <string>
#include <unordered_map>

namespace build_language_data {

class ScriptConversion {
 public:
  // Adds the entries of one table text; a key seen before keeps its first
  // value (the phrase table is added first). Returns the entries added.
  int AddTable(const std::string& table_text);

  std::string Convert(const std::string& utf8) const;
  bool empty() const { return table_.empty(); }

 private:
  std::unordered_map<std::string, std::string> table_;
  std::size_t longest_key_ = 0;  // in characters
};

}  // namespace build_language_data
