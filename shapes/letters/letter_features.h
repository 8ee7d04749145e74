// The 154 feature values of a letter raster. The first block of 90 describes
// where the ink lies; the second block of 64 describes the shape of the
// background around it. Template files are built with these same
// definitions (tools/build_letter_templates), so any change here needs new
// templates.
//
// Zones are cut by equal ink mass: the columns (or rows) are split where the
// running ink count passes 1/n, 2/n, ... of the total, so each band holds
// about the same ink whatever the letter's proportions. A band may be empty
// for very thin letters; its values are then 0.
//
// First block, features 0..89 (percentages are of the trimmed box):
//   0..29   five row bands, six values each: left profile (mean distance from
//           the left edge to the first ink of a row, %), right profile (%),
//           mean horizontal crossings per row (ink runs), share of rows with
//           two or more runs (%), ink centre x (%), band height (%)
//   30..59  five column bands, the same six values turned by a right angle:
//           top profile, bottom profile, vertical crossings, share of columns
//           with two or more runs, ink centre y, band width
//   60..86  a 3 x 3 grid of equal-mass columns and rows, three values per
//           zone in row order: ink density (%), mean horizontal runs, mean
//           vertical runs
//   87..89  box width as % of width plus height, ink centre x (%), ink
//           centre y (%)
// Second block, features 90..153: concavity. For each background pixel the
// four directions are probed every second pixel to the edge of the box; a
// direction is open when no probe meets ink. On a 4 x 4 grid of equal-mass
// zones, four shares (% of the zone's background pixels) per zone in row
// order: ink met on three sides with the open side left or right (as inside
// a c), ink met on three sides with the open side up or down (as inside a u
// or an n), ink met on all four sides (a closed hole), ink met on one side
// only.
#pragma once

#include <array>
#include <optional>

#include "shapes/letters/letter_raster.h"
#include "shapes/letters/template_table.h"

namespace letters {

using LetterFeatures = std::array<double, kFeatureCount>;

// Nullopt for a raster without ink.
std::optional<LetterFeatures> ComputeLetterFeatures(const LetterRaster& raster);

}  // namespace letters
