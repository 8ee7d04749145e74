// K-means over integer feature vectors with the squared distance that the
// recognizers' quantisers use; centres are rounded to int32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace build_hwr_models {

// `vectors` holds count x dimension values. Returns k centres (k x
// dimension). Seeded by evenly spaced vectors, so a run is reproducible.
std::vector<int32_t> KMeans(const std::vector<double>& vectors, std::size_t dimension, std::size_t k,
                            int iterations, unsigned jobs);

// Index of the nearest centre (double vectors, double centres).
std::size_t Nearest(const double* vector, const std::vector<double>& centres, std::size_t dimension);

// The same on real-valued vectors, returning real centres and the
// assignment of every vector.
std::vector<double> KMeansReal(const std::vector<double>& vectors, std::size_t dimension, std::size_t k,
                               int iterations, unsigned jobs, std::vector<std::size_t>* assignment);

}  // namespace build_hwr_models
