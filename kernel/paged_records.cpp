#include "kernel/paged_records.h"

#include <algorithm>

namespace kernel {

void PagedRecords::Append(std::span<const std::uint8_t> bytes) {
  if (count_ % per_page_ == 0) {
    pages_.emplace_back();
    pages_.back().reserve(per_page_ * record_size_);
  }
  std::vector<std::uint8_t>& page = pages_.back();
  const std::size_t taken = std::min(bytes.size(), record_size_);
  page.insert(page.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
  page.resize(page.size() + record_size_ - taken, 0);
  ++count_;
}

}  // namespace kernel
