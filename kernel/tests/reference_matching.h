// Dictionary matching computed the plain way: byte by byte, with a ScoredList
// for every stage. The reference that the kernel's own matching must equal
// candidate for candidate.
#pragma once

#include <vector>

#include "kernel/kernel_core.h"
#include "kernel/recognition_dictionary.h"

namespace kernel_reference {

void ReferenceMatch(const kernel::RecognitionDictionary& dictionary, const kernel::CellDescription& cell,
                    kernel::ScoredList& result, kernel::MatchTrace* trace = nullptr);

// All dictionaries of a kernel, as KernelCore::Match.
std::vector<kernel::ScoredEntry> ReferenceMatchAll(const kernel::KernelCore& core,
                                                   const kernel::CellDescription& cell,
                                                   kernel::MatchTrace* trace = nullptr);

}  // namespace kernel_reference
