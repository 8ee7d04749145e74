// Fixed-size records held in pages of at most 65520 bytes, so that no record
// straddles a 64 KB block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kernel {

inline constexpr std::size_t kPageBytes = 65520;

class PagedRecords {
 public:
  PagedRecords() = default;
  // `record_size` from 1 to kPageBytes.
  explicit PagedRecords(std::size_t record_size)
      : record_size_(record_size), per_page_(kPageBytes / record_size) {}

  std::size_t record_size() const { return record_size_; }
  std::size_t records_per_page() const { return per_page_; }
  std::size_t size() const { return count_; }
  std::size_t page_count() const { return pages_.size(); }

  // `bytes` must hold record_size() bytes.
  void Append(std::span<const std::uint8_t> bytes);
  // Empty for an index outside the records.
  std::span<const std::uint8_t> Record(std::size_t index) const {
    if (index >= count_) return {};
    // Record counts come from 32-bit file headers, so 32-bit division serves.
    const std::uint32_t i = static_cast<std::uint32_t>(index);
    const std::uint32_t per_page = static_cast<std::uint32_t>(per_page_);
    return std::span<const std::uint8_t>(pages_[i / per_page])
        .subspan((i % per_page) * record_size_, record_size_);
  }

 private:
  std::size_t record_size_ = 1;
  std::size_t per_page_ = kPageBytes;
  std::size_t count_ = 0;
  std::vector<std::vector<std::uint8_t>> pages_;
};

}  // namespace kernel
