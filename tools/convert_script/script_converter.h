// The engine's script converter over UTF-8 text: the converter of the data
// folder ("G2bchar.tab", the term map, "PCSysLex", "PCSysLM1") set up with
// the engine's search settings. Characters that the source code page cannot
// hold, and those the converter leaves unmapped, stay as they are.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "tools/text_codec/text_codec.h"

namespace vok {
class CPCSystem;
}

namespace tools {

class ScriptConverter {
 public:
  explicit ScriptConverter(const std::string& data_folder);
  ~ScriptConverter();
  ScriptConverter(const ScriptConverter&) = delete;
  ScriptConverter& operator=(const ScriptConverter&) = delete;

  // False when the converter has no back end or no character map.
  bool ok() const;
  std::string ToTraditional(std::string_view utf8);
  std::string ToSimplified(std::string_view utf8);

  vok::CPCSystem& converter() { return *converter_; }

 private:
  enum class Direction { kToTraditional, kToSimplified };
  std::string Convert(std::string_view utf8, Direction direction);

  std::unique_ptr<vok::CPCSystem> converter_;
  TextCodec utf8_to_gb_{"UTF-8", "GB2312"}, utf8_to_big5_{"UTF-8", "BIG5"};
  TextCodec gb_to_utf8_{"GB2312", "UTF-8"}, big5_to_utf8_{"BIG5", "UTF-8"};
};

}  // namespace tools
