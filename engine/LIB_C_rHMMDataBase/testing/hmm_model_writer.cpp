#include "engine/LIB_C_rHMMDataBase/testing/hmm_model_writer.h"

#include <bit>
#include <cmath>
#include <fstream>

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

Model Synthetic(const SyntheticShape& shape) {
  std::uint32_t seed = shape.seed;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  auto code = [&] { return static_cast<std::uint8_t>(next() & 0xFF); };

  Model model;
  model.dims = shape.dims;
  model.centreDecoder = {true, "centre", 0};
  model.varianceDecoder = {true, "variance", 1};
  model.weightDecoder = {true, "weight", 2};
  const int streams = static_cast<int>(shape.dims.size());
  for (int s = 0; s < streams; ++s) {
    model.streamNames.push_back("stream" + std::to_string(s));
    std::vector<float> mean, scale;
    for (int d = 0; d < shape.dims[s]; ++d) {
      mean.push_back(static_cast<float>(static_cast<int>(next() % 200) - 100) / 50.0f);
      scale.push_back(0.5f + static_cast<float>(next() % 100) / 50.0f);
    }
    model.means.push_back(mean);
    model.scales.push_back(scale);
  }
  Decoder centre{"centre", {}}, variance{"variance", {}}, weight{"weight", {}};
  for (int c = 0; c < 256; ++c) {
    centre.values.push_back((c - 127.5f) / 64.0f);
    variance.values.push_back(0.1f + c / 128.0f);
    weight.values.push_back(-0.05f * c);
  }
  model.decoders = {centre, variance, weight};

  std::vector<std::vector<int>> streamCodeBooks(streams);
  for (int s = 0; s < streams; ++s) {
    for (int b = 0; b < shape.codeBooksPerStream; ++b) {
      CodeBook book;
      for (int g = 0; g < shape.gaussiansPerCodeBook; ++g) {
        Pair pair;
        for (int d = 0; d < shape.dims[s]; ++d) {
          pair.centre.push_back(static_cast<std::uint8_t>(96 + next() % 64));
          pair.variance.push_back(code());
        }
        pair.constant = static_cast<float>(next() % 1000) / 100.0f;
        pair.limit = 100.0f;
        book.pairs.push_back(static_cast<std::int32_t>(model.pairs.size()));
        model.pairs.push_back(pair);
      }
      streamCodeBooks[s].push_back(static_cast<int>(model.codeBooks.size()));
      model.codeBooks.push_back(book);
    }
  }
  for (int i = 0; i < shape.numStates; ++i) {
    State state;
    for (int s = 0; s < streams; ++s) {
      Mixture mixture;
      mixture.codeBook = streamCodeBooks[s][next() % streamCodeBooks[s].size()];
      for (int g = 0; g < shape.gaussiansPerCodeBook; ++g)
        mixture.weights.push_back(static_cast<std::uint8_t>(next() % 120));
      state.mixtures.push_back(static_cast<std::int32_t>(model.mixtures.size()));
      state.streamWeights.push_back(1.0f);
      model.mixtures.push_back(mixture);
    }
    model.states.push_back(state);
  }
  TransProb trans{"trans3", 3, {}};
  for (int r = 0; r < 3; ++r)
    for (int c = r; c <= 3; ++c) trans.upper.push_back(c - r <= 1 ? -0.693f : 99.99f);
  model.transProbs.push_back(trans);
  for (int h = 0; h * 3 + 2 < shape.numStates; ++h) {
    Hmm hmm;
    hmm.name = h == 0 ? "SIL" : "hmm" + std::to_string(h);
    hmm.states = {3 * h, 3 * h + 1, 3 * h + 2};
    model.hmms.push_back(hmm);
  }
  return model;
}

}  // namespace hmm_model_writer
