// Reading of the model file into the code books, with every count,
// dimension and cross-index checked before it is used.
#include <cmath>
#include <cstdio>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_model_file_reader.h"

namespace {

constexpr const char* kVersion = "HMM_AcousticModel_Ver3.3_dtd_10Sep99";
constexpr int kMaxStreams = 255;
constexpr int kMaxDim = 255;

}  // namespace

void C_rHMMDataBase::readModel(C_rModelFileReader& in, const char* path) {
  const std::string version = in.readText(1024);
  in.expectMagic("C_rHMMDataBase::read_file", __LINE__);
  if (version != kVersion) {
    std::printf("Error in C_rHMMDataBase::read_file(), resource file [%s] not correct version\n", path);
    in.fail("Found version [%s]\n", version.c_str());
  }
  std::printf("Resource file [%s] created by [%s]\n", path, version.c_str());
  readGlobal(in);
  readDecoders(in);
  readPairs(in);
  readCodeBooks(in);
  readMixtures(in);
  readStates(in);
  readTransProbs(in);
  readHMMs(in);
}

void C_rHMMDataBase::readGlobal(C_rModelFileReader& in) {
  in.expectMagic("C_rGlobal::read_bin_Global", __LINE__);
  const int streams = in.readInt32();
  if (streams < 1 || streams > kMaxStreams)
    in.fail("numStream = %d out of range 1..%d\n", streams, kMaxStreams);
  global_.numStreams = streams;
  global_.dims.resize(streams);
  for (int& dim : global_.dims) {
    dim = in.readInt32();
    if (dim > kMaxDim) in.fail("vDim = %d exceeds 255\n", dim);
    if (dim < 1) in.fail("vDim = %d is not a dimension\n", dim);
  }
  for (C_rDecoderRef* ref : {&global_.centre, &global_.variance, &global_.weight}) {
    ref->present = in.readInt32() != 0;
    if (ref->present) {
      ref->name = in.readText();
      ref->index = in.readInt32();
    }
  }
  for (int s = 0; s < streams; ++s) {
    global_.streamNames.push_back(in.readText());
    in.expectMagic("C_rGlobal::read_bin_Global", __LINE__);
  }
  for (int s = 0; s < streams; ++s) {
    const int n = in.readInt32();
    if (n != global_.dims[s])
      in.fail("Stream %d normalisation has %d values for dimension %d\n", s, n, global_.dims[s]);
    std::vector<float> mean(n), scale(n);
    for (float& v : mean) v = in.readFloat();
    in.expectMagic("C_rGlobal::read_bin_Global", __LINE__);
    for (float& v : scale) {
      v = in.readFloat();
      if (!std::isfinite(v) || v == 0.0f) in.fail("Stream %d scale %g cannot normalise\n", s, v);
    }
    in.expectMagic("C_rGlobal::read_bin_Global", __LINE__);
    global_.means.push_back(std::move(mean));
    global_.scales.push_back(std::move(scale));
  }
  in.expectMagic("C_rGlobal::read_bin_Global", __LINE__);
}

void C_rHMMDataBase::readDecoders(C_rModelFileReader& in) {
  in.expectMagic("C_rDecoderCB::read_bin_DecoderCB", __LINE__);
  const int count = in.readCount("decoder", 8);
  decoders_.resize(count);
  for (C_rDecoder& decoder : decoders_) {
    decoder.name = in.readText();
    const int m = in.readCount("decoder entry", 4);
    decoder.table.resize(m);
    for (float& v : decoder.table) v = in.readFloat();
  }
  in.expectMagic("C_rDecoderCB::read_bin_DecoderCB", __LINE__);
  for (const C_rDecoderRef* ref : {&global_.centre, &global_.variance, &global_.weight}) {
    if (!ref->present) {
      std::printf("The resource file has prDecoder OFF.\n");
      in.fail("This executable was compiled with flag  HMM_BYTE\n");
    }
    if (ref->index < 0 || ref->index >= count)
      in.fail("C_rDecoderCB::get_entry( idx=%d) out of range.\n", ref->index);
  }
}

void C_rHMMDataBase::readPairs(C_rModelFileReader& in) {
  in.expectMagic("C_rCenterVariancePairCB::read_bin", __LINE__);
  const int count = in.readCount("centre-variance pair", 41);
  const std::vector<float>& centre = decoders_[global_.centre.index].table;
  const std::vector<float>& variance = decoders_[global_.variance.index].table;
  pairs_.count = count;
  pairs_.dims.allocate(*memory_, "HMM_C_rCenterVariancePairCB", count);
  pairs_.constants.allocate(*memory_, "HMM_C_rCenterVariancePairCB", count);
  pairs_.disabled.allocate(*memory_, "HMM_C_rCenterVariancePairCB", count);
  pairs_.offsets.allocate(*memory_, "HMM_C_rCenterVariancePairCB", count + 1);
  std::vector<float> centres;
  std::uint8_t codes[kMaxDim];
  for (int p = 0; p < count; ++p) {
    in.readText();
    const int dim = in.readByte();
    in.readText();
    pairs_.constants[p] = in.readFloat();
    in.readByteVector("centre", dim, codes);
    pairs_.dims[p] = dim;
    pairs_.offsets[p] = static_cast<std::int64_t>(centres.size());
    for (int d = 0; d < dim; ++d) {
      if (codes[d] >= centre.size()) in.fail("Pair %d centre code %d beyond its decoder\n", p, codes[d]);
      centres.push_back(centre[codes[d]]);
    }
    in.readText();
    const float limit = in.readFloat();
    pairs_.disabled[p] = limit >= 1e9f ? 1 : 0;
    in.readByteVector("variance", dim, codes);
    for (int d = 0; d < dim; ++d)
      if (codes[d] >= variance.size()) in.fail("Pair %d variance code %d beyond its decoder\n", p, codes[d]);
  }
  pairs_.offsets[count] = static_cast<std::int64_t>(centres.size());
  pairs_.centres.allocate(*memory_, "HMM_C_rCenterVariancePairCB", centres.size());
  std::copy(centres.begin(), centres.end(), pairs_.centres.data());
  in.expectMagic("C_rCenterVariancePairCB::read_bin", __LINE__);
}

void C_rHMMDataBase::readCodeBooks(C_rModelFileReader& in) {
  in.expectMagic("C_rGaussianCodeBookCB::read_bin", __LINE__);
  const int count = in.readCount("Gaussian code book", 12);
  codeBooks_.count = count;
  codeBooks_.sizes.allocate(*memory_, "HMM_C_rGaussianCodeBookCB", count);
  codeBooks_.offsets.allocate(*memory_, "HMM_C_rGaussianCodeBookCB", count + 1);
  codeBooks_.streams.allocate(*memory_, "HMM_C_rGaussianCodeBookCB", count);
  std::vector<int> pairs;
  for (int b = 0; b < count; ++b) {
    in.readText();
    in.readInt32();
    const int size = in.readCount("Gaussian", 4);
    if (size < 1) in.fail("Gaussian code book %d is empty\n", b);
    codeBooks_.sizes[b] = size;
    codeBooks_.offsets[b] = static_cast<std::int64_t>(pairs.size());
    codeBooks_.streams[b] = -1;
    codeBooks_.maxSize = std::max(codeBooks_.maxSize, size);
    for (int g = 0; g < size; ++g) {
      const int pair = in.readInt32();
      if (pair < 0 || pair >= pairs_.count)
        in.fail("C_rCenterVariancePairCB::get_entry( idx=%d) out of range.\n", pair);
      if (g > 0 && pairs_.dims[pair] != pairs_.dims[pairs[codeBooks_.offsets[b]]])
        in.fail("Gaussian code book %d mixes dimensions\n", b);
      pairs.push_back(pair);
    }
  }
  codeBooks_.offsets[count] = static_cast<std::int64_t>(pairs.size());
  codeBooks_.pairs.allocate(*memory_, "HMM_C_rGaussianCodeBookCB", pairs.size());
  std::copy(pairs.begin(), pairs.end(), codeBooks_.pairs.data());
  in.expectMagic("C_rGaussianCodeBookCB::read_bin", __LINE__);
}

void C_rHMMDataBase::readMixtures(C_rModelFileReader& in) {
  in.expectMagic("C_rGMixCB::read_bin", __LINE__);
  const int count = in.readCount("mixture", 32);
  const std::vector<float>& weight = decoders_[global_.weight.index].table;
  mixtures_.count = count;
  mixtures_.codeBooks.allocate(*memory_, "HMM_C_rGMixCB", count);
  mixtures_.offsets.allocate(*memory_, "HMM_C_rGMixCB", count + 1);
  std::vector<float> logWeights;
  std::vector<std::uint8_t> codes;
  for (int m = 0; m < count; ++m) {
    in.readText();
    in.readInt32();
    const int size = in.readCount("mixture weight", 1);
    codes.resize(size);
    in.readByteVector("weights", size, codes.data());
    const int book = in.readInt32();
    if (book < 0 || book >= codeBooks_.count)
      in.fail("C_rGaussianCodeBookCB::get_entry( idx=%d) out of range.\n", book);
    if (size != codeBooks_.sizes[book])
      in.fail("Mixture %d has %d weights for the %d Gaussians of code book %d\n", m, size,
              codeBooks_.sizes[book], book);
    mixtures_.codeBooks[m] = book;
    mixtures_.offsets[m] = static_cast<std::int64_t>(logWeights.size());
    for (std::uint8_t c : codes) {
      if (c >= weight.size()) in.fail("Mixture %d weight code %d beyond its decoder\n", m, c);
      logWeights.push_back(weight[c]);
    }
  }
  mixtures_.offsets[count] = static_cast<std::int64_t>(logWeights.size());
  mixtures_.logWeights.allocate(*memory_, "HMM_C_rGMixCB", logWeights.size());
  std::copy(logWeights.begin(), logWeights.end(), mixtures_.logWeights.data());
  in.expectMagic("C_rGMixCB::read_bin", __LINE__);
}

void C_rHMMDataBase::readStates(C_rModelFileReader& in) {
  in.expectMagic("C_rStateCB::read_bin_StateCB", __LINE__);
  const int count = in.readCount("state", 24);
  const int streams = global_.numStreams;
  states_.count = count;
  states_.streamWeights.allocate(*memory_, "HMM_C_rStateCB", static_cast<std::size_t>(count) * streams);
  states_.mixtures.allocate(*memory_, "HMM_C_rStateCB", static_cast<std::size_t>(count) * streams);
  for (int i = 0; i < count; ++i) {
    in.readText();
    const int s = in.readInt32();
    if (s > kMaxStreams) {
      std::printf("numStream exceeds 255. \n");
      in.fail("Error in function C_rStateCB::read_bin_StateCB\n");
    }
    if (s != streams) in.fail("State %d has %d streams, the model %d\n", i, s, streams);
    in.readFloatVector("streamWeights", s, &states_.streamWeights[static_cast<std::size_t>(i) * streams]);
    for (int k = 0; k < s; ++k) {
      const int mixture = in.readInt32();
      if (mixture < 0 || mixture >= mixtures_.count)
        in.fail("C_rGMixCB::get_entry( idx=%d) out of range.\n", mixture);
      const int book = mixtures_.codeBooks[mixture];
      const int dim = pairs_.dims[codeBooks_.pairs[codeBooks_.offsets[book]]];
      if (dim != global_.dims[k])
        in.fail("State %d stream %d: code book %d has dimension %d, the stream %d\n", i, k, book, dim,
                global_.dims[k]);
      if (codeBooks_.streams[book] != -1 && codeBooks_.streams[book] != k)
        in.fail("Code book %d serves streams %d and %d\n", book, codeBooks_.streams[book], k);
      codeBooks_.streams[book] = k;
      states_.mixtures[static_cast<std::size_t>(i) * streams + k] = mixture;
    }
  }
  in.expectMagic("C_rStateCB::read_bin_StateCB", __LINE__);
}

void C_rHMMDataBase::readTransProbs(C_rModelFileReader& in) {
  in.expectMagic("C_rTransProbCB::read_bin", __LINE__);
  const int count = in.readCount("transition matrix", 8);
  transProbs_.resize(count);
  for (C_rTransProb& t : transProbs_) {
    t.name = in.readText();
    t.n = in.readCount("transition state", 4);
    if (t.n > kMaxDim) in.fail("Transition matrix [%s] has %d states\n", t.name.c_str(), t.n);
    t.matrix.assign(static_cast<std::size_t>(t.n) * (t.n + 1), 99.99f);
    for (int i = 0; i < t.n; ++i)
      for (int j = i; j <= t.n; ++j) t.matrix[static_cast<std::size_t>(i) * (t.n + 1) + j] = in.readFloat();
    for (int i = 0; i < t.n; ++i)
      for (int j = 0; j <= t.n; ++j)
        if (const float v = t.matrix[static_cast<std::size_t>(i) * (t.n + 1) + j]; v <= 0.0f)
          t.sparse.push_back({i, j, v});
  }
  in.expectMagic("C_rTransProbCB::read_bin", __LINE__);
}

void C_rHMMDataBase::readHMMs(C_rModelFileReader& in) {
  in.expectMagic("C_rHMMCB::read_bin", __LINE__);
  const int count = in.readCount("HMM", 32);
  hmms_.resize(count);
  for (int h = 0; h < count; ++h) {
    C_rHMM& hmm = hmms_[h];
    in.expectMagic("C_rHMMCB::read_bin", __LINE__);
    hmm.index = h;
    hmm.name = in.readText();
    in.readInt32();
    for (int& state : hmm.states) {
      state = in.readInt32();
      if (state < 0 || state >= states_.count)
        in.fail("C_rStateCB::get_entry( idx=%d) out of range.\n", state);
    }
    hmm.transProb = in.readInt32();
    if (hmm.transProb < 0 || hmm.transProb >= static_cast<int>(transProbs_.size()))
      in.fail("C_rTransProbCB::get_entry( idx=%d) out of range.\n", hmm.transProb);
    in.readFloat();
  }
  in.expectMagic("C_rHMMCB::read_bin", __LINE__);
}
