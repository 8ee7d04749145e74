// The segment-list distances computed the plain way: every list described
// anew, every cost computed as the matching asks for it. The reference that
// the kernel's own distances must equal.
#pragma once

#include <span>

#include "kernel/segment_distance.h"

namespace kernel_reference {

int ReferenceSegmentDistanceA(std::span<const kernel::SegmentRecord> p,
                              std::span<const kernel::SegmentRecord> q);
int ReferenceSegmentDistanceB(std::span<const kernel::SegmentRecord> p,
                              std::span<const kernel::SegmentRecord> q);

}  // namespace kernel_reference
