#include "engine/LIB_C_rHMMDataBase/model_writer/hmm_model_writer.h"

#include <bit>
#include <cmath>
#include <fstream>
#include <sstream>

namespace hmm_model_writer {
namespace {

class Encoder {
 public:
  Encoder(File& file, ByteOrder order) : file_(file), order_(order) {}

  void Int(std::int32_t value, const std::string& field = {}) {
    if (!field.empty()) file_.offsets[field] = file_.bytes.size();
    Word(static_cast<std::uint32_t>(value));
  }
  void Float(float value) { Word(std::bit_cast<std::uint32_t>(value)); }
  void Byte(std::uint8_t value, const std::string& field = {}) {
    if (!field.empty()) file_.offsets[field] = file_.bytes.size();
    file_.bytes.push_back(value);
  }
  void Text(const std::string& text, const std::string& field = {}) {
    Int(static_cast<std::int32_t>(text.size()), field);
    file_.bytes.insert(file_.bytes.end(), text.begin(), text.end());
  }
  void Magic(const std::string& field = {}) { Int(kMagic, field); }
  void ByteVector(const std::string& label, const std::vector<std::uint8_t>& codes,
                  const std::string& field) {
    Magic();
    Text(label);
    Int(static_cast<std::int32_t>(codes.size()), field + ".m");
    for (std::uint8_t c : codes) Byte(c);
    Magic();
  }
  void FloatVector(const std::string& label, const std::vector<float>& values, const std::string& field) {
    Magic();
    Text(label);
    Int(static_cast<std::int32_t>(values.size()), field + ".m");
    for (float v : values) Float(v);
    Magic();
  }

 private:
  void Word(std::uint32_t w) {
    const std::uint8_t b[4] = {static_cast<std::uint8_t>(w >> 24), static_cast<std::uint8_t>(w >> 16),
                               static_cast<std::uint8_t>(w >> 8), static_cast<std::uint8_t>(w)};
    if (order_ == ByteOrder::kBigEndian)
      file_.bytes.insert(file_.bytes.end(), b, b + 4);
    else
      file_.bytes.insert(file_.bytes.end(), {b[3], b[2], b[1], b[0]});
  }

  File& file_;
  ByteOrder order_;
};

std::string Indexed(const char* name, std::size_t i) {
  return std::string(name) + "[" + std::to_string(i) + "]";
}

}  // namespace

void File::PatchInt32(const std::string& field, std::int32_t value, ByteOrder order) {
  const std::size_t at = offsets.at(field);
  const auto w = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) {
    const int shift = order == ByteOrder::kBigEndian ? 24 - 8 * i : 8 * i;
    bytes[at + i] = static_cast<std::uint8_t>(w >> shift);
  }
}

bool File::Save(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

File Write(const Model& model, ByteOrder order) {
  File file;
  Encoder e(file, order);
  e.Magic("magic");
  e.Text(model.version, "version.length");
  e.Magic("version.magic");

  e.Magic("global.magic");
  e.Int(static_cast<std::int32_t>(model.dims.size()), "global.S");
  for (std::size_t s = 0; s < model.dims.size(); ++s) e.Int(model.dims[s], Indexed("global.dim", s));
  const DecoderRef* refs[3] = {&model.centreDecoder, &model.varianceDecoder, &model.weightDecoder};
  for (int r = 0; r < 3; ++r) {
    const std::string field = Indexed("global.decoder", static_cast<std::size_t>(r));
    e.Int(refs[r]->present ? 1 : 0, field + ".flag");
    if (refs[r]->present) {
      e.Text(refs[r]->name);
      e.Int(refs[r]->index, field + ".index");
    }
  }
  for (std::size_t s = 0; s < model.streamNames.size(); ++s) {
    e.Text(model.streamNames[s]);
    e.Magic(Indexed("global.streamName", s) + ".magic");
  }
  for (std::size_t s = 0; s < model.means.size(); ++s) {
    e.Int(static_cast<std::int32_t>(model.means[s].size()), Indexed("global.mean", s) + ".n");
    for (float v : model.means[s]) e.Float(v);
    e.Magic();
    for (float v : model.scales[s]) e.Float(v);
    e.Magic();
  }
  e.Magic("global.end");

  e.Magic("decoders.magic");
  e.Int(static_cast<std::int32_t>(model.decoders.size()), "decoders.count");
  for (std::size_t i = 0; i < model.decoders.size(); ++i) {
    e.Text(model.decoders[i].name);
    e.Int(static_cast<std::int32_t>(model.decoders[i].values.size()), Indexed("decoder", i) + ".M");
    for (float v : model.decoders[i].values) e.Float(v);
  }
  e.Magic("decoders.end");

  e.Magic("pairs.magic");
  e.Int(static_cast<std::int32_t>(model.pairs.size()), "pairs.count");
  for (std::size_t i = 0; i < model.pairs.size(); ++i) {
    const Pair& p = model.pairs[i];
    const std::string field = Indexed("pair", i);
    e.Text("pair" + std::to_string(i));
    e.Byte(static_cast<std::uint8_t>(p.centre.size()), field + ".D");
    e.Text("constant");
    e.Float(p.constant);
    e.ByteVector("centre", p.centre, field + ".centre");
    e.Text("limit");
    e.Float(p.limit);
    e.ByteVector("variance", p.variance, field + ".variance");
  }
  e.Magic("pairs.end");

  e.Magic("codebooks.magic");
  e.Int(static_cast<std::int32_t>(model.codeBooks.size()), "codebooks.count");
  for (std::size_t i = 0; i < model.codeBooks.size(); ++i) {
    const std::string field = Indexed("codebook", i);
    e.Text("cb" + std::to_string(i));
    e.Int(model.codeBooks[i].attribute);
    e.Int(static_cast<std::int32_t>(model.codeBooks[i].pairs.size()), field + ".G");
    for (std::size_t g = 0; g < model.codeBooks[i].pairs.size(); ++g)
      e.Int(model.codeBooks[i].pairs[g], field + Indexed(".pair", g));
  }
  e.Magic("codebooks.end");

  e.Magic("mixtures.magic");
  e.Int(static_cast<std::int32_t>(model.mixtures.size()), "mixtures.count");
  for (std::size_t i = 0; i < model.mixtures.size(); ++i) {
    const Mixture& m = model.mixtures[i];
    const std::string field = Indexed("mixture", i);
    e.Text("mix" + std::to_string(i));
    e.Int(m.attribute);
    e.Int(static_cast<std::int32_t>(m.weights.size()), field + ".M");
    e.ByteVector("weights", m.weights, field + ".weights");
    e.Int(m.codeBook, field + ".codebook");
  }
  e.Magic("mixtures.end");

  e.Magic("states.magic");
  e.Int(static_cast<std::int32_t>(model.states.size()), "states.count");
  for (std::size_t i = 0; i < model.states.size(); ++i) {
    const State& st = model.states[i];
    const std::string field = Indexed("state", i);
    e.Text("state" + std::to_string(i));
    e.Int(static_cast<std::int32_t>(st.mixtures.size()), field + ".S");
    e.FloatVector("streamWeights", st.streamWeights, field + ".weights");
    for (std::size_t s = 0; s < st.mixtures.size(); ++s)
      e.Int(st.mixtures[s], field + Indexed(".mixture", s));
  }
  e.Magic("states.end");

  e.Magic("trans.magic");
  e.Int(static_cast<std::int32_t>(model.transProbs.size()), "trans.count");
  for (std::size_t i = 0; i < model.transProbs.size(); ++i) {
    const TransProb& t = model.transProbs[i];
    e.Text(t.name);
    e.Int(t.n, Indexed("trans", i) + ".n");
    for (float v : t.upper) e.Float(v);
  }
  e.Magic("trans.end");

  e.Magic("hmms.magic");
  e.Int(static_cast<std::int32_t>(model.hmms.size()), "hmms.count");
  for (std::size_t i = 0; i < model.hmms.size(); ++i) {
    const Hmm& h = model.hmms[i];
    const std::string field = Indexed("hmm", i);
    e.Magic(field + ".magic");
    e.Text(h.name);
    e.Int(h.stateCount, field + ".count");
    for (std::size_t s = 0; s < 3; ++s) e.Int(h.states[s], field + Indexed(".state", s));
    e.Int(h.transProb, field + ".trans");
    e.Float(h.value);
  }
  e.Magic("hmms.end");
  return file;
}

namespace {

bool AllFinite(const std::vector<float>& values) {
  for (float v : values)
    if (!std::isfinite(v)) return false;
  return true;
}

template <typename Index, typename Container>
bool InRange(Index index, const Container& container) {
  return index >= 0 && static_cast<std::size_t>(index) < container.size();
}

}  // namespace

// The first fault found, in file order.
std::string CheckReadable(const Model& model) {
  std::ostringstream fault;
  const std::size_t streams = model.dims.size();
  if (streams == 0 || streams > 255) return "the model needs 1 to 255 streams";
  for (std::size_t s = 0; s < streams; ++s) {
    if (model.dims[s] < 1 || model.dims[s] > 255) {
      fault << "stream " << s << " has dimension " << model.dims[s] << " (1 to 255 are read)";
      return fault.str();
    }
  }
  const DecoderRef* refs[3] = {&model.centreDecoder, &model.varianceDecoder, &model.weightDecoder};
  const char* roles[3] = {"centre", "variance", "weight"};
  for (int r = 0; r < 3; ++r) {
    if (!refs[r]->present) return std::string("the ") + roles[r] + " decoder is missing";
    if (!InRange(refs[r]->index, model.decoders))
      return std::string("the ") + roles[r] + " decoder index is out of range";
    if (model.decoders[static_cast<std::size_t>(refs[r]->index)].values.size() != 256)
      return std::string("the ") + roles[r] + " decoder does not hold 256 values";
  }
  for (const Decoder& decoder : model.decoders)
    if (!AllFinite(decoder.values)) return "decoder " + decoder.name + " holds a value that is not finite";
  if (model.streamNames.size() != streams || model.means.size() != streams || model.scales.size() != streams)
    return "stream names, means and scales must be given for every stream";
  for (std::size_t s = 0; s < streams; ++s) {
    const auto dim = static_cast<std::size_t>(model.dims[s]);
    if (model.means[s].size() != dim || model.scales[s].size() != dim)
      return "the means and scales of stream " + std::to_string(s) + " do not match its dimension";
    if (!AllFinite(model.means[s]) || !AllFinite(model.scales[s]))
      return "the means or scales of stream " + std::to_string(s) + " are not finite";
  }
  for (std::size_t i = 0; i < model.pairs.size(); ++i) {
    const Pair& pair = model.pairs[i];
    if (pair.centre.empty() || pair.centre.size() > 255 || pair.variance.size() != pair.centre.size())
      return "pair " + std::to_string(i) + " has inconsistent dimensions";
    if (!std::isfinite(pair.constant) || !std::isfinite(pair.limit))
      return "pair " + std::to_string(i) + " holds a value that is not finite";
  }
  for (std::size_t i = 0; i < model.codeBooks.size(); ++i) {
    const CodeBook& book = model.codeBooks[i];
    if (book.pairs.empty()) return "code book " + std::to_string(i) + " is empty";
    for (std::int32_t pair : book.pairs) {
      if (!InRange(pair, model.pairs)) return "code book " + std::to_string(i) + " names a pair out of range";
      if (model.pairs[static_cast<std::size_t>(pair)].centre.size() !=
          model.pairs[static_cast<std::size_t>(book.pairs[0])].centre.size())
        return "code book " + std::to_string(i) + " mixes dimensions";
    }
  }
  for (std::size_t i = 0; i < model.mixtures.size(); ++i) {
    const Mixture& mixture = model.mixtures[i];
    if (!InRange(mixture.codeBook, model.codeBooks))
      return "mixture " + std::to_string(i) + " names a code book out of range";
    if (mixture.weights.size() != model.codeBooks[static_cast<std::size_t>(mixture.codeBook)].pairs.size())
      return "mixture " + std::to_string(i) + " does not hold one weight per Gaussian";
  }
  for (std::size_t i = 0; i < model.states.size(); ++i) {
    const State& state = model.states[i];
    if (state.mixtures.size() != streams || state.streamWeights.size() != streams)
      return "state " + std::to_string(i) + " does not have one mixture and weight per stream";
    if (!AllFinite(state.streamWeights))
      return "state " + std::to_string(i) + " has a weight that is not finite";
    for (std::size_t s = 0; s < streams; ++s) {
      if (!InRange(state.mixtures[s], model.mixtures))
        return "state " + std::to_string(i) + " names a mixture out of range";
      const Mixture& mixture = model.mixtures[static_cast<std::size_t>(state.mixtures[s])];
      const CodeBook& book = model.codeBooks[static_cast<std::size_t>(mixture.codeBook)];
      if (model.pairs[static_cast<std::size_t>(book.pairs[0])].centre.size() !=
          static_cast<std::size_t>(model.dims[s]))
        return "state " + std::to_string(i) + " draws stream " + std::to_string(s) +
               " from Gaussians of another dimension";
    }
  }
  for (std::size_t i = 0; i < model.transProbs.size(); ++i) {
    const TransProb& trans = model.transProbs[i];
    if (trans.n < 1 || trans.upper.size() != static_cast<std::size_t>(trans.n) * (trans.n + 3) / 2)
      return "transition matrix " + std::to_string(i) + " does not hold its n x (n + 1) upper part";
    if (!AllFinite(trans.upper)) return "transition matrix " + std::to_string(i) + " is not finite";
  }
  for (std::size_t i = 0; i < model.hmms.size(); ++i) {
    const Hmm& hmm = model.hmms[i];
    if (hmm.name.empty()) return "HMM " + std::to_string(i) + " has no name";
    for (std::int32_t state : hmm.states)
      if (!InRange(state, model.states)) return "HMM " + hmm.name + " names a state out of range";
    if (!InRange(hmm.transProb, model.transProbs))
      return "HMM " + hmm.name + " names a transition matrix out of range";
  }
  return {};
}

}  // namespace hmm_model_writer
