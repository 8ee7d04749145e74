// CHomophoneProvider: the readings of a key character as groups (labelled in
// pinyin for GB2312, in bopomofo for Big5) and, per reading, the characters
// that share it, from the homophone table of the language (see phone_table.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/core/char_provider.h"
#include "app/core/phone_table.h"

namespace wrendle::app {

class CHomophoneProvider : public CCharProvider {
 public:
  static constexpr int kMaxItems = 1024;

  // `path`: the table of `language`, read whole at the first SetKey (and
  // again at the next one when that failed).
  CHomophoneProvider(int language, std::string path);

  void NotifyList(std::uint16_t code) override;
  int SetKey(std::uint16_t character) override;
  int SelectGroup(int group) override;
  const char* GetGroupLabel(int group, int keep) override;
  const char* GetItem(int item, int keep) override;
  // Tells the other providers the item's character; 0.
  int AppendItem(int item) override;
  const char* GetKey() override;

  // The item's character; 0 outside the items.
  std::uint16_t ItemCharacter(int item) const;

 private:
  bool LoadTable();

  int language_;
  std::string path_;
  std::optional<PhoneTable> table_;
  std::uint16_t key_ = 0;
  std::vector<std::uint16_t> groups_;  // reading codes
  std::vector<std::uint16_t> items_;
  std::string text_;
};

}  // namespace wrendle::app
