#include "tools/train_acoustic_model/model_file.h"

#include <bit>
#include <cmath>

#include "platform/file_access.h"

namespace train_acoustic_model {

namespace w = hmm_model_writer;

namespace {

// Any limit below 1e9 keeps a pair enabled.
constexpr float kPairLimit = 1000.0f;
// Transition matrix entries of moves the topology does not have.
constexpr float kNoTransition = 99.99f;

}  // namespace

w::Model ModelFileContents(const AcousticModel& model, std::span<const float> stream_weights,
                           std::string* error) {
  std::vector<float> variances, log_weights;
  for (const std::vector<CodeBook>& stream : model.books)
    for (const CodeBook& book : stream)
      variances.insert(variances.end(), book.variances.begin(), book.variances.end());
  for (const StateMixtures& state : model.states)
    for (const std::vector<float>& stream : state.logWeights)
      log_weights.insert(log_weights.end(), stream.begin(), stream.end());
  const ByteQuantiser variance_codes = ByteQuantiser::Fit(variances);
  const ByteQuantiser weight_codes = ByteQuantiser::Fit(log_weights);

  w::Model file;
  file.centreDecoder = {true, "centre", 0};
  file.varianceDecoder = {true, "variance", 1};
  file.weightDecoder = {true, "weight", 2};
  file.decoders = {{"centre", model.centreCodes.Levels()},
                   {"variance", variance_codes.Levels()},
                   {"weight", weight_codes.Levels()}};
  // The file's code books: every book of stream 0, then of stream 1, ...
  std::vector<std::int32_t> first_book;
  for (std::size_t s = 0; s < model.books.size(); ++s) {
    const int dim = model.books[s].front().dim;
    file.dims.push_back(dim);
    file.streamNames.push_back("Stream-" + std::to_string(s));
    file.means.push_back(model.normalisation.means[s]);
    file.scales.push_back(model.normalisation.scales[s]);
    first_book.push_back(static_cast<std::int32_t>(file.codeBooks.size()));
    for (const CodeBook& book : model.books[s]) {
      w::CodeBook file_book;
      for (std::size_t g = 0; g < book.size(); ++g) {
        w::Pair pair;
        float norm = 0.0f;
        for (int d = 0; d < book.dim; ++d) {
          const std::uint8_t code = model.centreCodes.Encode(book.Centre(g)[d]);
          const float centre = model.centreCodes.Decode(code);
          pair.centre.push_back(code);
          norm += centre * centre;
          pair.variance.push_back(variance_codes.Encode(book.variances[g * book.dim + d]));
        }
        pair.constant = norm;
        pair.limit = kPairLimit;
        file_book.pairs.push_back(static_cast<std::int32_t>(file.pairs.size()));
        file.pairs.push_back(std::move(pair));
      }
      file.codeBooks.push_back(std::move(file_book));
    }
  }
  for (const StateMixtures& state : model.states) {
    w::State file_state;
    for (std::size_t s = 0; s < state.logWeights.size(); ++s) {
      w::Mixture mixture;
      mixture.codeBook = first_book[s] + state.books[s];
      for (float log_weight : state.logWeights[s]) mixture.weights.push_back(weight_codes.Encode(log_weight));
      file_state.mixtures.push_back(static_cast<std::int32_t>(file.mixtures.size()));
      file_state.streamWeights.push_back(s < stream_weights.size() ? stream_weights[s] : 1.0f);
      file.mixtures.push_back(std::move(mixture));
    }
    file.states.push_back(std::move(file_state));
  }
  for (std::size_t r = 0; r < model.transitions.size(); ++r) {
    w::TransProb trans{"trans" + std::to_string(r), 3, {}};
    for (int i = 0; i < 3; ++i) {
      const double stay = model.transitions[r].stay[i];
      for (int j = i; j <= 3; ++j) {
        if (j == i) {
          trans.upper.push_back(static_cast<float>(std::log(stay)));
        } else if (j == i + 1) {
          trans.upper.push_back(static_cast<float>(std::log(1.0 - stay)));
        } else {
          trans.upper.push_back(kNoTransition);
        }
      }
    }
    file.transProbs.push_back(std::move(trans));
  }
  for (const HmmEntry& hmm : model.hmms) {
    w::Hmm file_hmm;
    file_hmm.name = hmm.name;
    file_hmm.states = {hmm.states[0], hmm.states[1], hmm.states[2]};
    file_hmm.transProb = hmm.transitions;
    file.hmms.push_back(std::move(file_hmm));
  }
  const std::string fault = w::CheckReadable(file);
  if (error) *error = fault;
  return file;
}

bool WriteModelFile(const AcousticModel& model, std::span<const float> stream_weights,
                    const std::string& path, std::string* error) {
  std::string fault;
  const w::Model contents = ModelFileContents(model, stream_weights, &fault);
  if (!fault.empty()) {
    if (error) *error = "the model cannot be read back: " + fault;
    return false;
  }
  const w::ByteOrder order =
      std::endian::native == std::endian::little ? w::ByteOrder::kLittleEndian : w::ByteOrder::kBigEndian;
  const w::File file = w::Write(contents, order);
  if (!platform::WriteWholeFile(path, file.bytes)) {
    if (error) *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace train_acoustic_model
