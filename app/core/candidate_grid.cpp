#include "app/core/candidate_grid.h"

#include <algorithm>

#include "app/core/char_codes.h"
#include "app/core/recognition_driver.h"

namespace wrendle::app {

std::uint16_t ChosenCode(std::uint16_t code) {
  if ((code & 0x80) == 0 && !IsUserCode(SwapBytes(code))) return static_cast<std::uint16_t>(code & 0xFF);
  return code;
}

CandidateGrid::CandidateGrid(int rows, int columns, std::uint32_t style)
    : rows_(std::max(rows, 0)), columns_(std::max(columns, 0)), style_(style) {}

void CandidateGrid::SetCodes(std::span<const std::uint8_t> bytes) {
  const std::size_t n = std::min(bytes.size(), kMaxCodeBytes) & ~std::size_t{1};
  codes_.clear();
  for (std::size_t i = 0; i < n; i += 2) {
    codes_.push_back(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
  }
  hot_ = -1;
}

void CandidateGrid::SetGrid(int rows, int columns) {
  rows_ = std::max(rows, 0);
  columns_ = std::max(columns, 0);
  Measure();
}

void CandidateGrid::SetClientSize(std::int32_t width, std::int32_t height) {
  client_width_ = std::max(width, 0);
  client_height_ = std::max(height, 0);
  Measure();
}

void CandidateGrid::Measure() {
  cell_width_ = columns_ > 0 ? client_width_ / columns_ : 0;
  cell_height_ = rows_ > 0 ? client_height_ / rows_ : 0;
}

int CandidateGrid::visible_count() const {
  return static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(rows_) * columns_, codes_.size()));
}

std::optional<std::uint16_t> CandidateGrid::CodeAt(int i) const {
  if (i < 0 || i >= visible_count()) return std::nullopt;
  return codes_[static_cast<std::size_t>(i)];
}

int CandidateGrid::HitTest(Point p) const {
  if (p.x < 0 || p.y < 0 || p.x >= client_width_ || p.y >= client_height_) return -1;
  if (cell_width_ <= 0 || cell_height_ <= 0) return -1;
  const int column = p.x / cell_width_;
  const int row = p.y / cell_height_;
  if (column >= columns_ || row >= rows_) return -1;
  if (p.x % cell_width_ >= cell_width_ - 2 || p.y % cell_height_ >= cell_height_ - 2) return -1;
  const int i = row * columns_ + column;
  return i < visible_count() ? i : -1;
}

Rect CandidateGrid::CellRect(int i) const {
  if (i < 0 || columns_ == 0 || i >= rows_ * columns_) return {};
  const std::int32_t left = (i % columns_) * cell_width_;
  const std::int32_t top = (i / columns_) * cell_height_;
  return {left, top, left + cell_width_ - 2, top + cell_height_ - 2};
}

bool CandidateGrid::Choose(RecognitionDriver& driver) {
  const auto code = CodeAt(hot_);
  hot_ = -1;
  if (!code) return false;
  const std::uint16_t chosen = ChosenCode(*code);
  if ((style_ & kListNewCell) != 0) {
    driver.SendKeyCodeAfterSelection(chosen);
  } else {
    driver.ChooseCandidate(chosen);
  }
  driver.SelectCell(-1);
  return true;
}

}  // namespace wrendle::app
