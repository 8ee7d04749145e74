#include "tools/convert_script/script_converter.h"

#include <vector>

#include "engine/SyllableLatticeEngine/converter_files.h"
#include "engine/SyllableLatticeEngine/pc_system.h"
#include "engine/core/resources.h"
#include "engine/core/string_map.h"

namespace tools {

namespace {

// Bytes of the UTF-8 character that begins with `lead`.
std::size_t Utf8Length(unsigned char lead) {
  return lead < 0xC0 ? 1 : (lead < 0xE0 ? 2 : (lead < 0xF0 ? 3 : 4));
}

}  // namespace

ScriptConverter::ScriptConverter(const std::string& data_folder) {
  vok::Resources resources;
  vok::PutConverterOptions(data_folder, &resources);
  converter_ = std::make_unique<vok::CPCSystem>(resources);
}

ScriptConverter::~ScriptConverter() = default;

bool ScriptConverter::ok() const {
  return converter_->back_end() && converter_->char_map().key_count() > 0 && utf8_to_gb_.valid() &&
         utf8_to_big5_.valid() && gb_to_utf8_.valid() && big5_to_utf8_.valid();
}

std::string ScriptConverter::ToTraditional(std::string_view utf8) {
  return Convert(utf8, Direction::kToTraditional);
}
std::string ScriptConverter::ToSimplified(std::string_view utf8) {
  return Convert(utf8, Direction::kToSimplified);
}

std::string ScriptConverter::Convert(std::string_view utf8, Direction direction) {
  const bool traditional = direction == Direction::kToTraditional;
  const TextCodec& into = traditional ? utf8_to_gb_ : utf8_to_big5_;
  const TextCodec& back = traditional ? big5_to_utf8_ : gb_to_utf8_;
  // The text as runs of characters the source code page holds; each
  // character remembers its UTF-8 form, so that one the converter cannot
  // map comes out as it went in.
  std::string out;
  std::string run;
  std::vector<std::string_view> originals;
  const auto flush = [&] {
    if (run.empty()) return;
    std::string converted;
    if (traditional) {
      converter_->ConvertText(run.c_str(), &converted);
    } else {
      converter_->MapText(run.c_str(), &converted);
    }
    std::size_t source = 0;
    for (std::size_t k = 0; k < originals.size(); ++k) {
      const std::size_t bytes = static_cast<unsigned char>(run[source]) < 0x80 ? 1 : 2;
      const std::string_view piece = std::string_view(converted).substr(source, bytes);
      const auto text =
          piece == std::string_view(vok::CPCSystem::kUnmapped, 2) ? std::nullopt : back.Convert(piece);
      out += text ? *text : std::string(originals[k]);
      source += bytes;
    }
    run.clear();
    originals.clear();
  };
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t length = std::min(Utf8Length(static_cast<unsigned char>(utf8[pos])), utf8.size() - pos);
    const std::string_view character = utf8.substr(pos, length);
    pos += length;
    const auto bytes = into.Convert(character);
    if (!bytes || bytes->empty() || bytes->size() > 2) {
      flush();
      out += character;
      continue;
    }
    run += *bytes;
    originals.push_back(character);
  }
  flush();
  return out;
}

}  // namespace tools
