#include "engine/api/grammar_item_expression.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace vok::api {
namespace {

std::atomic<std::uint32_t> temporary_units{0};

bool IsSeparator(unsigned char c) { return c == ' ' || c == '\t' || c == '\n'; }
bool IsAlphanumeric(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
std::int32_t OperatorFlag(unsigned char c) {
  switch (c) {
    case '*':
      return kElementRepeat;
    case '?':
      return kElementOptionalOne;
    case '-':
      return kElementOptional;
    case '+':
      return kElementOneOrMore;
    default:
      return 0;
  }
}

// One open group (or the expression itself): the unit it fills and the item
// being built.
struct Frame {
  std::size_t unit;
  ExpressionItem item;
  char close;
};

class ExpressionReader {
 public:
  ExpressionReader(const char* text, bool groups, std::vector<ExpressionUnit>* units)
      : text_(reinterpret_cast<const unsigned char*>(text)), groups_(groups), units_(*units) {}

  VokStatus Read() {
    while (text_[at_] != '\0') {
      const unsigned char c = text_[at_];
      if (IsSeparator(c)) {
        ++at_;
        flaggable_ = nullptr;
      } else if (const std::int32_t flag = OperatorFlag(c)) {
        if (flaggable_ == nullptr) return kVokBadGrammarId;
        *flaggable_ |= flag;
        ++at_;
      } else if (c == '|') {
        if (!CloseAlternative()) return kVokBadGrammarId;
        ++at_;
      } else if (c == '(' || c == '[') {
        if (!OpenGroup(c == '(' ? ')' : ']')) return kVokBadGrammarId;
        ++at_;
      } else if (c == ')' || c == ']') {
        if (!CloseGroup(static_cast<char>(c))) return kVokBadGrammarId;
        ++at_;
      } else if (!ReadToken()) {
        return kVokBadGrammarId;
      }
    }
    if (frames_.size() != 1 || frames_.back().item.empty()) return kVokBadGrammarId;
    units_[0].items.push_back(std::move(frames_.back().item));
    return kVokOk;
  }

  void Begin(const std::string& unit) {
    units_.assign(1, ExpressionUnit{unit, {}});
    frames_.push_back({0, {}, '\0'});
  }

 private:
  bool CloseAlternative() {
    Frame& frame = frames_.back();
    if (frame.item.empty()) return false;
    units_[frame.unit].items.push_back(std::move(frame.item));
    frame.item.clear();
    flaggable_ = nullptr;
    return true;
  }

  bool OpenGroup(char close) {
    if (!groups_ || frames_.size() > static_cast<std::size_t>(kMaxNestedGroups)) return false;
    units_.push_back({TemporaryUnitName(temporary_units.fetch_add(1)), {}});
    frames_.push_back({units_.size() - 1, {}, close});
    flaggable_ = nullptr;
    return true;
  }

  bool CloseGroup(char close) {
    if (frames_.size() < 2 || frames_.back().close != close || frames_.back().item.empty()) return false;
    Frame group = std::move(frames_.back());
    frames_.pop_back();
    units_[group.unit].items.push_back(std::move(group.item));
    ExpressionItem& item = frames_.back().item;
    item.push_back({units_[group.unit].name, close == ']' ? kElementOptional : 0});
    flaggable_ = &item.back().flags;
    return true;
  }

  bool ReadToken() {
    const std::size_t start = at_;
    const unsigned char c = text_[at_];
    if (c == '<') {
      const char* end = std::strchr(reinterpret_cast<const char*>(text_ + at_), '>');
      if (end == nullptr) return false;
      at_ = static_cast<std::size_t>(reinterpret_cast<const unsigned char*>(end) - text_) + 1;
    } else if (c >= 0x80) {
      while (text_[at_] >= 0x80 && at_ - start < kDoubleByteTokenBytes) {
        if (text_[at_ + 1] == '\0') return false;  // a lead byte without its second byte
        at_ += 2;
      }
    } else if (IsAlphanumeric(c)) {
      while (IsAlphanumeric(text_[at_]) || (text_[at_] == '-' && IsAlphanumeric(text_[at_ + 1]))) ++at_;
    } else {
      return false;
    }
    ExpressionItem& item = frames_.back().item;
    item.push_back({std::string(reinterpret_cast<const char*>(text_ + start), at_ - start), 0});
    flaggable_ = &item.back().flags;
    return true;
  }

  const unsigned char* text_;
  bool groups_;
  std::vector<ExpressionUnit>& units_;
  std::vector<Frame> frames_;
  std::size_t at_ = 0;
  std::int32_t* flaggable_ = nullptr;  // the flags of the element just read
};

}  // namespace

std::string TemporaryUnitName(std::uint32_t number) {
  char name[24];
  std::snprintf(name, sizeof name, "<_TMP_%05u>", number);
  return name;
}

VokStatus ReadItemExpression(const std::string& unit, const char* expression, bool groups,
                             std::vector<ExpressionUnit>* units) {
  if (expression == nullptr || units == nullptr) return kVokBadArgument;
  std::vector<ExpressionUnit> read;
  ExpressionReader reader(expression, groups, &read);
  reader.Begin(unit);
  const VokStatus status = reader.Read();
  if (status == kVokOk) *units = std::move(read);
  return status;
}

}  // namespace vok::api
