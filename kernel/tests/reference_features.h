// The plain raster and feature computation, kept as the reference for the
// kernel's own (faster) code.
#pragma once

#include <span>

#include "kernel/feature_extractor.h"
#include "kernel/raster.h"

namespace kernel_reference {

kernel::Raster ReferenceRasterizeInk(std::span<const kernel::CellPoint> points, const kernel::Box& cell_box);
kernel::Cuts ReferenceEqualMassCuts(const kernel::Raster& raster, int bands);
kernel::RawFeatures ReferenceRawFeatures(const kernel::Raster& raster);

}  // namespace kernel_reference
