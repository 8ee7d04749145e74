// Open pinyin-to-character converters run on the same key strings as the
// engine's keyboard system, for the side-by-side figures of keyboard_bench.
// Each is built only when its Debian development package is installed.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

class PinyinPeer {
 public:
  virtual ~PinyinPeer() = default;
  virtual const char* name() const = 0;
  // The best sentence for toneless full pinyin without separators, UTF-8;
  // empty when the peer gives none.
  virtual std::string Convert(std::string_view pinyin) = 0;
};

// The peers this build has; their user data goes below `work_folder`.
std::vector<std::unique_ptr<PinyinPeer>> MakePinyinPeers(const std::string& work_folder);

}  // namespace bench
