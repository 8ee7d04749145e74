#include "engine/core/testing/hwr_model_writer.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>

namespace vok_testing {
namespace {

class ByteWriter {
 public:
  explicit ByteWriter(WrittenFile* file) : file_(file) {}

  void Int32(int32_t v, const std::string& name = {}) { Put(static_cast<uint32_t>(v), 4, name); }
  void Int16(int16_t v, const std::string& name = {}) { Put(static_cast<uint16_t>(v), 2, name); }
  void Byte(uint8_t v, const std::string& name = {}) { Put(v, 1, name); }
  void Float(float v, const std::string& name = {}) {
    uint32_t bits = 0;
    std::memcpy(&bits, &v, 4);
    Put(bits, 4, name);
  }
  void Bytes(const std::vector<uint8_t>& v) { file_->bytes.insert(file_->bytes.end(), v.begin(), v.end()); }
  void Zeros(std::size_t n) { file_->bytes.resize(file_->bytes.size() + n, 0); }
  void Name(const char* name) {
    Record(std::string("section ") + name, 16);
    const std::size_t at = file_->bytes.size();
    Zeros(16);
    std::memcpy(file_->bytes.data() + at, name, std::strlen(name));
  }
  void Int32s(const std::vector<int32_t>& v) {
    for (int32_t x : v) Int32(x);
  }

 private:
  void Record(const std::string& name, std::size_t width) {
    if (!name.empty()) file_->fields.push_back({name, file_->bytes.size(), width});
  }
  void Put(uint32_t v, int width, const std::string& name) {
    Record(name, width);
    for (int i = 0; i < width; ++i) file_->bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  WrittenFile* file_;
};

void WriteRadicalModels(ByteWriter& w, const std::vector<vok::RadicalModel>& models, const std::string& set) {
  for (std::size_t r = 0; r < models.size(); ++r) {
    const auto& m = models[r];
    const std::string prefix = set + " radical " + std::to_string(r);
    w.Int32(m.states, prefix + " states");
    for (const auto& state : m.costs) {
      for (uint8_t c : state) w.Byte(c);
    }
    for (int s = 0; s < vok::kHwrMaxRadicalStates; ++s)
      w.Float(m.stay[s], prefix + " stay " + std::to_string(s));
    for (int s = 0; s < vok::kHwrMaxRadicalStates; ++s)
      w.Float(m.leave[s], prefix + " leave " + std::to_string(s));
  }
}

void WriteDictionary(ByteWriter& w, const std::vector<vok::RadicalDictionaryRecord>& dictionary) {
  for (std::size_t k = 0; k < dictionary.size(); ++k) {
    const auto& d = dictionary[k];
    const std::string prefix = "character " + std::to_string(k);
    w.Byte(d.strokes, prefix + " strokes");
    w.Byte(d.model_count, prefix + " model count");
    for (int m = 0; m < 3; ++m) w.Byte(d.states[m], prefix + " L" + std::to_string(m));
    for (int m = 0; m < 3; ++m) w.Byte(d.radical_counts[m], prefix + " radicals" + std::to_string(m));
    for (int i = 0; i < vok::kHwrMaxRadicals; ++i)
      w.Int16(d.radicals[i], prefix + " radical " + std::to_string(i));
  }
}

vok::RadicalModel RandomRadicalModel(std::mt19937& random) {
  vok::RadicalModel m;
  m.states = std::uniform_int_distribution<int>(1, 4)(random);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> cost(0, 40);
  for (auto& state : m.costs) {
    for (auto& c : state) c = static_cast<uint8_t>(byte(random));
  }
  for (int s = 0; s < vok::kHwrMaxRadicalStates; ++s) {
    m.stay[s] = static_cast<float>(cost(random)) + 0.75f;
    m.leave[s] = static_cast<float>(cost(random)) + 0.25f;
  }
  return m;
}

std::vector<vok::RadicalDictionaryRecord> RandomDictionary(std::mt19937& random, int characters,
                                                           const std::vector<vok::RadicalModel>& models) {
  std::vector<vok::RadicalDictionaryRecord> dictionary(characters);
  std::uniform_int_distribution<int> radical(0, static_cast<int>(models.size()) - 1);
  for (auto& d : dictionary) {
    d.strokes = static_cast<uint8_t>(std::uniform_int_distribution<int>(1, 20)(random));
    d.model_count = static_cast<uint8_t>(std::uniform_int_distribution<int>(1, 3)(random));
    int slot = 0;
    for (int m = 0; m < d.model_count; ++m) {
      const int count = std::uniform_int_distribution<int>(1, 3)(random);
      d.radical_counts[m] = static_cast<uint8_t>(count);
      int states = 0;
      for (int i = 0; i < count; ++i) {
        d.radicals[slot + i] = static_cast<int16_t>(radical(random));
        states += models[d.radicals[slot + i]].states;
      }
      d.states[m] = static_cast<uint8_t>(states);
      slot += count;
    }
  }
  return dictionary;
}

std::vector<int32_t> RandomInts(std::mt19937& random, std::size_t n, int low, int high) {
  std::vector<int32_t> v(n);
  std::uniform_int_distribution<int> d(low, high);
  for (auto& x : v) x = d(random);
  return v;
}

std::vector<uint8_t> RandomBytes(std::mt19937& random, std::size_t n) {
  std::vector<uint8_t> v(n);
  std::uniform_int_distribution<int> d(0, 255);
  for (auto& x : v) x = static_cast<uint8_t>(d(random));
  return v;
}

}  // namespace

const RecordedField& WrittenFile::Field(const std::string& name, int occurrence) const {
  for (const auto& f : fields) {
    if (f.name == name && occurrence-- == 0) return f;
  }
  throw std::out_of_range("no field " + name);
}

WrittenFile WriteHwrCharacterModel(const vok::HwrCharacterModel& model) {
  WrittenFile file;
  ByteWriter w(&file);
  const int32_t radicals = model.triple.radicals;
  const int32_t characters = model.triple.characters;
  w.Int32(512, "header length");
  w.Zeros(508);
  w.Int32(3, "NUMGESTURES");
  w.Int32(32, "FTSAMPLES");
  for (int16_t v : model.gesture_samples) w.Int16(v);
  w.Int32(8, "FTLOCATIONS");
  w.Int32(32, "CODESIZE");
  w.Int32(8, "FTFLOATS");
  w.Int32s(model.ft_code_book);
  w.Int32(64, "PrintVectorsSize");
  w.Int32s(model.print_vectors);
  w.Int32(radicals, "RADSET");
  w.Int32(15, "MAX_RAD_STATES");
  w.Int32(32, "CODESIZE");
  WriteRadicalModels(w, model.print_models, "print");
  w.Int32(characters, "NCHARS");
  w.Int32(3, "MAX_MULTIPLE_MODELS");
  w.Int32(20, "MAX_NUM_RADS");
  WriteDictionary(w, model.dictionary);
  w.Int32(5, "IMAGE_N_SUB");
  w.Int32(32, "CODESIZE");
  w.Int32(16, "IMAGESUBSIZE");
  w.Int32s(model.image_code_book);
  w.Int32(64, "CursiveVectorsSize");
  w.Int32s(model.cursive_vectors);
  w.Int32(radicals, "RADSET");
  w.Int32(32, "CODESIZE");
  w.Int32(15, "MAX_RAD_STATES");
  WriteRadicalModels(w, model.cursive_models, "cursive");
  for (int part = 0; part < 2; ++part) {
    w.Int32(part == 0 ? 8 : 5, part == 0 ? "FTLOCATIONS" : "IMAGE_N_SUB");
    w.Int32(characters, "NCHARS");
    w.Int32(32, "CODESIZE");
    w.Int32(256, "QPDFSIZE");
    const int first = part == 0 ? 0 : 8;
    const int last = part == 0 ? 8 : 33;
    for (int b = first; b < last; ++b) {
      w.Bytes(model.blocks[b].class_pdfs);
      w.Bytes(model.blocks[b].rows);
    }
  }
  w.Int32(characters, "NCHARS");
  w.Bytes(model.character_table);
  w.Int32(20000, "MAX_BIGRAMS");
  w.Bytes(model.bigram_scores);
  w.Int32(20000, "MAX_BIGRAMS");
  for (std::size_t i = 0; i < model.bigram_keys.size(); ++i) {
    w.Int32(model.bigram_keys[i], "bigram key " + std::to_string(i));
  }
  return file;
}

WrittenFile WriteHwrLatinModel(const vok::HwrLatinModel& model) {
  WrittenFile file;
  ByteWriter w(&file);
  w.Zeros(512);
  w.Name("ImageTables");
  w.Bytes(model.image_tables);
  w.Name("FTTables");
  w.Bytes(model.ft_tables);
  w.Name("ImageVectors");
  w.Int32s(model.image_code_book);
  w.Name("FTVectors");
  w.Int32s(model.ft_code_book);
  w.Name("PrintVectors");
  w.Int32s(model.print_vectors);
  w.Name("PrintHMM");
  WriteRadicalModels(w, model.print_models, "print");
  w.Name("RadDic");
  WriteDictionary(w, model.dictionary);
  return file;
}

WrittenFile WriteGestureTemplates(const std::vector<vok::GestureTemplate>& templates, int32_t version,
                                  int32_t count, int32_t points_per_stroke) {
  WrittenFile file;
  ByteWriter w(&file);
  w.Int32(0, "free");
  w.Int32(1, "one");
  w.Int32(count == INT32_MIN ? static_cast<int32_t>(templates.size()) : count, "count");
  w.Int32(points_per_stroke, "points per stroke");
  w.Int32(version, "version");
  w.Zeros(512 - 20);
  for (std::size_t r = 0; r < templates.size(); ++r) {
    const auto& t = templates[r];
    const std::string prefix = "template " + std::to_string(r);
    w.Int32(t.in_use, prefix + " in use");
    for (int i = 0; i < 16; ++i) w.Byte(static_cast<uint8_t>(t.name[i]), i == 0 ? prefix + " name" : "");
    w.Int32(t.strokes, prefix + " strokes");
    for (int s = 0; s < 3; ++s) {
      for (const auto& p : t.points[s]) {
        w.Int16(p.y);
        w.Int16(p.x);
      }
    }
  }
  return file;
}

vok::HwrCharacterModel MakeSmallCharacterModel(const vok::HwrModelTriple& triple, uint32_t seed) {
  std::mt19937 random(seed);
  vok::HwrCharacterModel model;
  model.triple = triple;
  for (auto& v : model.gesture_samples) v = static_cast<int16_t>(random() % 2000);
  model.ft_code_book = RandomInts(random, 8 * 32 * 8, -700, 700);
  model.print_vectors = RandomInts(random, 64, -3000, 3000);
  for (int r = 0; r < triple.radicals; ++r) model.print_models.push_back(RandomRadicalModel(random));
  model.dictionary = RandomDictionary(random, triple.characters, model.print_models);
  model.image_code_book = RandomInts(random, 25 * 32 * 16, 0, 60);
  model.cursive_vectors = RandomInts(random, 64, -3000, 3000);
  model.cursive_models = model.print_models;
  for (auto& m : model.cursive_models) {
    for (auto& state : m.costs) std::reverse(state.begin(), state.end());
  }
  for (int b = 0; b < vok::kHwrBlocks; ++b) {
    vok::ProbabilityBlock block;
    block.class_pdfs = RandomBytes(random, triple.characters);
    block.rows = RandomBytes(random, 32 * 256);
    model.blocks.push_back(std::move(block));
  }
  model.character_table = RandomBytes(random, triple.characters);
  model.bigram_scores = RandomBytes(random, vok::kHwrMaxBigrams);
  model.bigram_keys.resize(vok::kHwrMaxBigrams);
  for (int i = 0; i < vok::kHwrMaxBigrams; ++i) {
    const int previous = i % triple.characters;
    model.bigram_keys[i] =
        i < triple.characters * triple.characters ? (i / triple.characters) * 100000 + previous : INT32_MAX;
  }
  return model;
}

vok::HwrLatinModel MakeSmallLatinModel(uint32_t seed) {
  std::mt19937 random(seed);
  vok::HwrLatinModel model;
  model.image_tables = RandomBytes(random, 25 * 32 * 62);
  model.ft_tables = RandomBytes(random, 8 * 32 * 62);
  model.image_code_book = RandomInts(random, 25 * 32 * 16, 0, 60);
  model.ft_code_book = RandomInts(random, 8 * 32 * 8, -700, 700);
  model.print_vectors = RandomInts(random, 64, -3000, 3000);
  for (int r = 0; r < 62; ++r) model.print_models.push_back(RandomRadicalModel(random));
  model.dictionary = RandomDictionary(random, 62, model.print_models);
  return model;
}

}  // namespace vok_testing
