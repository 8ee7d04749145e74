// Ink features of the handwriting recognizers: joined traces, normalisation,
// resampling, smoothing, direction histograms, quantisation against code
// books and observation traces of pen steps. Integer arithmetic throughout;
// every routine works in the caller's fixed buffers and allocates nothing.
// Points are {y, x}, the vertical coordinate first. Divisions truncate toward
// zero.
#pragma once

#include <cstdint>

namespace vok {

struct InkPoint {
  int16_t y;
  int16_t x;
};

inline constexpr int kMaxInkPoints = 1000;
inline constexpr int kMaxJoinStrokes = 99;
inline constexpr int kMinInkPoints = 4;
inline constexpr int kHistogramCells = 6;
inline constexpr int kHistogramDirections = 4;
inline constexpr int kHistogramCounters = kHistogramCells * kHistogramCells * kHistogramDirections;  // 144
inline constexpr int kHistogramBlockSize = 16;
inline constexpr int kMaxObservationSteps = 400;
inline constexpr int kMinObservationPoints = 7;

// Joins the strokes into one trace with their pen-up moves filled in.
// `output` has room for kMaxInkPoints. Returns the number of points written,
// or -1 for a stroke count outside 1-99, a stroke without points, a total
// outside 4-1000, or fill points that would pass 1000.
int JoinStrokes(const InkPoint* points, const int* point_counts, int stroke_count, InkPoint* output);

struct CentreAndSpread {
  int32_t centre_y;
  int32_t centre_x;
  int32_t spread_y;  // mean absolute deviation
  int32_t spread_x;
};
CentreAndSpread ComputeCentreAndSpread(const InkPoint* points, int n);

// Moves the centroid to (0, 0) and scales so that twice the larger spread
// becomes `scale`; one point becomes (0, 0). Results are clamped to +-32767.
void Normalise(InkPoint* points, int n, int scale);

// Resamples n points to m at equal steps of the point index; first and last
// points are kept. Returns the number of points written.
int Resample(const InkPoint* input, int n, InkPoint* output, int m);

// Moving means over 3 and 5 points; the ends that the window does not cover
// are copied.
void SmoothBy3(const InkPoint* input, int n, InkPoint* output);
void SmoothBy5(const InkPoint* input, int n, InkPoint* output);

int32_t PathLength(const InkPoint* points, int n);
// floor(sqrt(a^2 + b^2)), exact for every int32 pair whose result fits.
int32_t IntegerDistance(int32_t a, int32_t b);
// 0 along the first coordinate, 2 along the second, 1 and 3 the diagonals;
// 0 for no move.
int DirectionCode(int32_t along_first, int32_t along_second);

// 144 counters, index (row x 6 + column) x 4 + direction.
void TraceDirectionHistogram(const InkPoint* points, int n, int32_t* histogram);
// The same over the strokes' points with the pen-up moves left out.
void StrokeDirectionHistogram(const InkPoint* points, const int* point_counts, int stroke_count,
                              int32_t* histogram);
// The 16 counters of the 2 x 2 cells at (row, column), each 0 to 4.
void HistogramBlock(const int32_t* histogram, int row, int column, int32_t* block);

// Index of the nearest code (least sum of squares, lower index on ties) of
// each vector; code books hold `codes` vectors of `dimension` int32.
void QuantiseInt16(const int16_t* vectors, int count, int dimension, const int32_t* code_book, int codes,
                   uint8_t* output);
void QuantiseInt32(const int32_t* vectors, int count, int dimension, const int32_t* code_book, int codes,
                   uint8_t* output);

// Replaces a joined trace of n points (room for kMaxInkPoints) by its
// observation trace: smoothed, normalised to 10000 and resampled to one point
// per 1000 units of path (7 to 401 points). Returns the number of steps, or
// -1 for a path of 1,001,000 units or more.
int ObservationTrace(InkPoint* trace, int n);

// Quantises each of the `steps` pen steps of the trace against a code book of
// 32 two-dimensional codes. Returns `steps`.
int StepCodes(const InkPoint* trace, int steps, const int32_t* code_book, uint8_t* output);

}  // namespace vok
