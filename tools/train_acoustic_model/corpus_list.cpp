#include "tools/train_acoustic_model/corpus_list.h"

#include <cctype>
#include <sstream>

namespace train_acoustic_model {

namespace {

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

}  // namespace

std::vector<CorpusEntry> ParseCorpusList(const std::string& text, const std::string& folder,
                                         const std::set<std::string>& inventory,
                                         std::vector<std::string>* problems) {
  std::vector<CorpusEntry> entries;
  std::istringstream lines(text);
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = SplitTabs(line);
    const std::string where = "line " + std::to_string(number);
    if (fields.size() != 4 || fields[0].empty() || fields[2].size() != 1 ||
        (fields[2] != "M" && fields[2] != "F" && fields[2] != "-")) {
      problems->push_back(where + ": expected wave, speaker, gender (M, F or -) and syllables");
      continue;
    }
    CorpusEntry entry;
    entry.wave = fields[0][0] == '/' || folder.empty() ? fields[0] : folder + "/" + fields[0];
    entry.speaker = fields[1];
    entry.gender = fields[2][0];
    std::istringstream words(fields[3]);
    std::string unknown;
    for (std::string word; words >> word;) {
      for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!inventory.count(word)) unknown += (unknown.empty() ? "" : " ") + word;
      entry.syllables.push_back(word);
    }
    if (!unknown.empty()) {
      problems->push_back(where + " (" + fields[0] + "): syllables outside the inventory: " + unknown);
      continue;
    }
    if (entry.syllables.empty()) {
      problems->push_back(where + " (" + fields[0] + "): no syllables");
      continue;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace train_acoustic_model
