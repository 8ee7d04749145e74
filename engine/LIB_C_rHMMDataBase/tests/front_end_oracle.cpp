#include "engine/LIB_C_rHMMDataBase/tests/front_end_oracle.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace front_end_oracle {
namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<std::complex<double>> Dft(const std::vector<double>& x) {
  const int n = static_cast<int>(x.size());
  std::vector<std::complex<double>> out(n);
  for (int k = 0; k < n; ++k) {
    std::complex<double> sum = 0;
    for (int t = 0; t < n; ++t) sum += x[t] * std::polar(1.0, -2.0 * kPi * k * t / n);
    out[k] = sum;
  }
  return out;
}

// Row t of the cepstra, with the edge rules of the deltas.
std::vector<double> Delta(const std::vector<std::vector<double>>& c, int t) {
  const int total = static_cast<int>(c.size());
  const int dim = static_cast<int>(c[0].size());
  std::vector<double> out(dim, 0.0);
  if (total < 5) return out;
  for (int d = 0; d < dim; ++d) {
    if (t < 3)
      out[d] = c[t + 2][d] - c[0][d];
    else if (t >= total - 2)
      out[d] = c[total - 1][d] - c[total - 5][d];
    else
      out[d] = c[t + 2][d] - c[t - 2][d];
  }
  return out;
}

std::vector<double> DeltaDelta(const std::vector<std::vector<double>>& c, int t) {
  const int total = static_cast<int>(c.size());
  const int dim = static_cast<int>(c[0].size());
  std::vector<double> out(dim, 0.0);
  if (total < 7) return out;
  for (int d = 0; d < dim; ++d) {
    if (t <= 3) {
      out[d] = (c[t + 3][d] - c[t + 1][d]) + (c[0][d] - c[std::max(t - 1, 0)][d]);
    } else {
      const int u = std::min(t, total - 4);
      out[d] = (c[u + 3][d] - c[u + 1][d]) + (c[u - 3][d] - c[u - 1][d]);
    }
  }
  return out;
}

}  // namespace

std::vector<Filter> Filters(const Config& config) {
  const double bw = config.samplingRate / config.fftSize;
  std::vector<Filter> filters;
  float left = config.lower;
  float centre = config.lower + config.linSpacing;
  for (int m = 0; m < config.numFilters; ++m) {
    const float right = (m < config.numLinear - 1 || config.numLog == 0) ? centre + config.linSpacing
                                                                         : centre * config.logSpacing;
    Filter filter;
    filter.firstBin = static_cast<int>(std::ceil(left / bw));
    filter.lastBin = static_cast<int>(std::floor(right / bw));
    const double height = 2.0 / (static_cast<double>(right) - left);
    for (int k = filter.firstBin; k <= filter.lastBin; ++k) {
      const double f = k * bw;
      filter.weights.push_back(f <= centre ? height * (f - left) / (static_cast<double>(centre) - left)
                                           : height * (right - f) / (static_cast<double>(right) - centre));
    }
    filters.push_back(filter);
    left = centre;
    centre = right;
  }
  return filters;
}

std::vector<std::vector<double>> Features(const Config& config, const std::vector<std::int16_t>& samples) {
  const int n = config.fftSize;
  const int half = n / 2;
  const std::vector<Filter> filters = Filters(config);
  const int minLag = static_cast<int>(0.00588 * config.samplingRate);
  const int maxLag = std::min(static_cast<int>(0.01176 * config.samplingRate), half);
  const int lags = maxLag - minLag;

  std::vector<std::vector<double>> cepstra;
  std::vector<std::vector<double>> pitch;
  std::vector<double> previous(lags, 0.0), current(lags, 0.0);
  bool rowsSet = false;
  for (int start = 0; start + config.frameLength <= static_cast<int>(samples.size());
       start += config.frameShift) {
    std::vector<double> raw(n, 0.0), pre(n, 0.0);
    for (int i = 0; i < config.frameLength; ++i) {
      raw[i] = samples[start + i];
      const double before = start + i > 0 ? samples[start + i - 1] : 0.0;
      const double w = config.hamming ? 0.54 - 0.46 * std::cos(2.0 * kPi * i / config.frameLength) : 1.0;
      pre[i] = w * (raw[i] - config.preemphasis * before);
    }
    const std::vector<std::complex<double>> x = Dft(pre);
    std::vector<double> energies;
    for (const Filter& filter : filters) {
      double sum = 0.0;
      for (int k = filter.firstBin; k <= filter.lastBin; ++k)
        sum += std::norm(x[k]) * filter.weights[k - filter.firstBin];
      energies.push_back(10.0 * std::log10(std::max(sum, config.energyFloor)));
    }
    std::vector<double> c(config.cepstrumDim);
    const int m = static_cast<int>(filters.size());
    for (int i = 0; i < config.cepstrumDim; ++i)
      for (int j = 0; j < m; ++j) c[i] += energies[j] * std::cos(kPi * i * (j + 0.5) / m);
    cepstra.push_back(c);

    const std::vector<std::complex<double>> y = Dft(raw);
    std::vector<double> v(n, 0.0);
    double s = 0.0;
    for (int k = 1; k < half; ++k) {
      v[k] = v[n - k] = std::norm(y[k]) * (2.0 + 2.0 * std::cos(2.0 * kPi * k / n));
      s += 4.0 * v[k];
    }
    v[half] = y[half].real();
    if (s != 0.0) {
      previous = current;
      for (int j = 0; j < lags; ++j) {
        double r = 0.0;
        for (int t = 0; t < n; ++t) r += v[t] / n * std::cos(2.0 * kPi * (minLag + j) * t / n);
        current[j] = r * 2.0 / s;
      }
      if (!rowsSet) previous = current;
      rowsSet = true;
    }
    std::vector<double> p(config.pitchDim);
    for (int d = 0; d < config.pitchDim; ++d) {
      const int shift = d - (config.pitchDim - 1) / 2;
      double sx = 0, sy = 0, sxy = 0;
      int count = 0;
      for (int j = 0; j < lags; ++j) {
        if (j + shift < 0 || j + shift >= lags) continue;
        sx += previous[j + shift];
        sy += current[j];
        sxy += previous[j + shift] * current[j];
        ++count;
      }
      p[d] = (sxy - sx * sy / count) / (count - 1) * 1e8;
    }
    pitch.push_back(p);
  }

  std::vector<std::vector<double>> out;
  for (std::size_t t = 0; t < cepstra.size(); ++t) {
    std::vector<double> row = cepstra[t];
    const std::vector<double> d = Delta(cepstra, static_cast<int>(t));
    const std::vector<double> dd = DeltaDelta(cepstra, static_cast<int>(t));
    row.insert(row.end(), d.begin(), d.end());
    row.insert(row.end(), dd.begin(), dd.end());
    row.insert(row.end(), pitch[t].begin(), pitch[t].end());
    out.push_back(row);
  }
  return out;
}

}  // namespace front_end_oracle
