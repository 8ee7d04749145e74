// The script converter between Simplified (GB2312) and Traditional (Big5)
// Chinese. Simplified to Traditional is ambiguous (a character may have
// several Traditional forms), so it is decoded: its own back end over
// Traditional words and a character-sequence system whose confusion map
// holds the Traditional alternatives of every Simplified character and term.
// Traditional to Simplified is looked up character by character.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vok {

class CLMBackendEngine;
class CSCSystem;
class Resources;
class StringMap;

class CPCSystem {
 public:
  static constexpr int kCharMapCapacity = 15000;
  static constexpr int kFileNameBytes = 100;
  static constexpr int kMapLineBytes = 16000;
  static constexpr int kTermLineBytes = 200;
  // Characters and terms the lexicon lacks are added under these classes
  // with this score byte in both models.
  static constexpr int kNewWordCoreClass = 1000;
  static constexpr int kNewWordPageClass = 3000;
  static constexpr int kNewWordScore = 200;
  static constexpr int kCharacterConfusionScore = 0;
  static constexpr int kTermConfusionScore = 512;
  // Simplified text is decoded in runs of at most this many characters: the
  // confusion engine holds 512 bytes, and its cost grows with the square of
  // the run.
  static constexpr int kSegmentCharacters = 200;
  // What an unmapped double-byte character becomes.
  static constexpr char kUnmapped[3] = "\xFE\xFE";

  // Section "LMBackend": a back end and its character-sequence system only
  // when "BinaryLexiconFile" names an existing file. Section "CPCSystem":
  // the character map from "GBToBig5MapFile", the term map from
  // "GBToBig5TermMapFile" when it exists.
  explicit CPCSystem(const Resources& resources);
  ~CPCSystem();
  CPCSystem(const CPCSystem&) = delete;
  CPCSystem& operator=(const CPCSystem&) = delete;

  // Simplified to Traditional, appended to the output: runs of convertible
  // characters are decoded, single bytes copied, characters without
  // alternatives written as 0xFE 0xFE. 0, or -1 for a null text and for a
  // text with double-byte characters when there is no back end (those are
  // then written as 0xFE 0xFE).
  int ConvertText(const char* text, std::string* output);
  // Traditional to Simplified, character by character, appended to the
  // output; unmapped double-byte characters become 0xFE 0xFE. 0, or -1 for a
  // null text.
  int MapText(const char* text, std::string* output) const;
  // One Traditional character (two bytes) to Simplified into `out` (two bytes
  // and a zero): 0, or -1 with 0xFE 0xFE when unmapped.
  int MapChar(const char* character, char out[3]) const;
  // The first Traditional alternative of one Simplified character into
  // `out`: 0, or -1 when there is none (out then empty).
  int ConvertChar(const char* character, char out[3]) const;

  // A text file of lines, each a Simplified character followed by its
  // Traditional alternatives (two bytes each, no separators). Returns the
  // number of lines read, or -1 when the file cannot be opened.
  int LoadCharMap(const char* path);
  // A text file of lines "simplified-term traditional-term". Returns the
  // number of lines read, or -1 when the file cannot be opened.
  int LoadTermMap(const char* path);

  CLMBackendEngine* back_end() const { return back_end_.get(); }
  CSCSystem* sc_system() const { return sc_system_.get(); }
  const StringMap& char_map() const { return *char_map_; }

 private:
  // The Traditional word enters the lexicon when it is not a word yet.
  bool AddWordIfNew(const char* word);
  // Decodes the pending run into the output, then empties it.
  void FlushSegment(std::string* segment, std::string* output);
  // The first alternative of every character of the run.
  void ConvertCharacters(const std::string& segment, std::string* output) const;

  std::unique_ptr<CLMBackendEngine> back_end_;
  std::unique_ptr<CSCSystem> sc_system_;
  std::unique_ptr<StringMap> char_map_;
};

}  // namespace vok
