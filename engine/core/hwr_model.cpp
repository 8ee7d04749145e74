#include "engine/core/hwr_model.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/core/byte_order.h"
#include "engine/core/messages.h"

namespace vok {
namespace {

// Reads little-endian fields one by one; every read checks the bytes left.
class FieldReader {
 public:
  FieldReader(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Int32(int32_t* value) {
    if (!Has(4)) return false;
    *value = static_cast<int32_t>(LoadLittleEndian32(data_ + offset_));
    offset_ += 4;
    return true;
  }
  bool Int16(int16_t* value) {
    if (!Has(2)) return false;
    *value = static_cast<int16_t>(LoadLittleEndian16(data_ + offset_));
    offset_ += 2;
    return true;
  }
  bool Float32(float* value) {
    int32_t bits = 0;
    if (!Int32(&bits)) return false;
    std::memcpy(value, &bits, sizeof *value);
    return true;
  }
  bool Bytes(uint8_t* out, std::size_t count) {
    if (!Has(count)) return false;
    std::memcpy(out, data_ + offset_, count);
    offset_ += count;
    return true;
  }
  bool Skip(std::size_t count) {
    if (!Has(count)) return false;
    offset_ += count;
    return true;
  }
  bool Int32s(std::vector<int32_t>* out, std::size_t count) {
    if (!Has(count * 4)) return false;
    out->resize(count);
    for (auto& v : *out) Int32(&v);
    return true;
  }
  bool Has(std::size_t count) const { return size_ - offset_ >= count; }
  std::size_t offset() const { return offset_; }

 private:
  const uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

bool ShortFile(const FieldReader& reader) {
  WarningMessage("handwriting model ends early at byte %zu", reader.offset());
  return false;
}

// One count field that must hold `expected`; its message names it.
bool CheckField(FieldReader& reader, const char* name, int32_t expected) {
  int32_t value = 0;
  if (!reader.Int32(&value)) return ShortFile(reader);
  if (value != expected) {
    WarningMessage("%s = %d", name, value);
    return false;
  }
  return true;
}

struct Check {
  const char* name;
  int32_t expected;
};

template <std::size_t N>
bool CheckFields(FieldReader& reader, const Check (&checks)[N]) {
  for (const Check& check : checks) {
    if (!CheckField(reader, check.name, check.expected)) return false;
  }
  return true;
}

bool CostInRange(float cost) { return std::isfinite(cost) && std::fabs(cost) <= kHwrMaxTransitionCost; }

bool ReadRadicalModels(FieldReader& reader, int count, std::vector<RadicalModel>* models) {
  if (!reader.Has(static_cast<std::size_t>(count) * kHwrRadicalModelBytes)) return ShortFile(reader);
  models->resize(count);
  for (int r = 0; r < count; ++r) {
    RadicalModel& model = (*models)[r];
    reader.Int32(&model.states);
    if (model.states < 1 || model.states > kHwrMaxRadicalStates) {
      WarningMessage("radical model %d: states = %d", r, model.states);
      return false;
    }
    for (auto& state : model.costs) reader.Bytes(state.data(), state.size());
    for (auto* costs : {&model.stay, &model.leave}) {
      for (float& cost : *costs) {
        reader.Float32(&cost);
        if (!CostInRange(cost)) {
          WarningMessage("radical model %d: transition cost out of range", r);
          return false;
        }
      }
    }
  }
  return true;
}

bool ReadDictionary(FieldReader& reader, int count, const std::vector<RadicalModel>& models,
                    std::vector<RadicalDictionaryRecord>* dictionary) {
  if (!reader.Has(static_cast<std::size_t>(count) * kHwrDictionaryRecordBytes)) return ShortFile(reader);
  dictionary->resize(count);
  for (int k = 0; k < count; ++k) {
    RadicalDictionaryRecord& record = (*dictionary)[k];
    reader.Bytes(&record.strokes, 1);
    reader.Bytes(&record.model_count, 1);
    reader.Bytes(record.states.data(), record.states.size());
    reader.Bytes(record.radical_counts.data(), record.radical_counts.size());
    for (int16_t& radical : record.radicals) reader.Int16(&radical);
    if (record.model_count < 1 || record.model_count > kHwrMaxModels) {
      WarningMessage("character %d: model count = %d", k, record.model_count);
      return false;
    }
    int slot = 0;
    for (int m = 0; m < record.model_count; ++m) {
      const int radicals = record.radical_counts[m];
      if (radicals < 1 || slot + radicals > kHwrMaxRadicals) {
        WarningMessage("character %d: radical count = %d", k, radicals);
        return false;
      }
      int states = 0;
      for (int i = slot; i < slot + radicals; ++i) {
        const int radical = record.radicals[i];
        if (radical < 0 || radical >= static_cast<int>(models.size())) {
          WarningMessage("character %d: radical = %d", k, radical);
          return false;
        }
        states += models[radical].states;
      }
      if (states != record.states[m]) {
        WarningMessage("character %d: states = %d", k, record.states[m]);
        return false;
      }
      slot += radicals;
    }
  }
  return true;
}

bool ReadBlocks(FieldReader& reader, int count, int characters, std::vector<ProbabilityBlock>* blocks) {
  const std::size_t block_bytes = static_cast<std::size_t>(characters) + kHwrCodes * kHwrPdfs;
  if (!reader.Has(block_bytes * count)) return ShortFile(reader);
  for (int b = 0; b < count; ++b) {
    ProbabilityBlock block;
    block.class_pdfs.resize(characters);
    block.rows.resize(kHwrCodes * kHwrPdfs);
    reader.Bytes(block.class_pdfs.data(), block.class_pdfs.size());
    reader.Bytes(block.rows.data(), block.rows.size());
    blocks->push_back(std::move(block));
  }
  return true;
}

bool ReadSectionName(FieldReader& reader, const char* name) {
  uint8_t stored[kHwrSectionNameBytes];
  if (!reader.Bytes(stored, sizeof stored)) return ShortFile(reader);
  uint8_t expected[kHwrSectionNameBytes] = {};
  std::memcpy(expected, name, std::strlen(name));
  if (std::memcmp(stored, expected, sizeof stored) != 0) {
    WarningMessage("handwriting model: section %s expected", name);
    return false;
  }
  return true;
}

bool ReadCharacterModel(FieldReader& reader, HwrCharacterModel& model) {
  const int radicals = model.triple.radicals;
  const int characters = model.triple.characters;
  if (!CheckField(reader, "header length", kHwrHeaderSize) || !reader.Skip(kHwrHeaderSize - 4)) return false;
  if (!CheckFields(reader, {{"NUMGESTURES", kHwrGestureSamples}, {"FTSAMPLES", 32}})) return false;
  if (!reader.Has(model.gesture_samples.size() * 2)) return ShortFile(reader);
  for (int16_t& v : model.gesture_samples) reader.Int16(&v);

  if (!CheckFields(
          reader, {{"FTLOCATIONS", kHwrFtLocations}, {"CODESIZE", kHwrCodes}, {"FTFLOATS", kHwrFtDimension}}))
    return false;
  if (!reader.Int32s(&model.ft_code_book, kHwrFtLocations * kHwrCodes * kHwrFtDimension))
    return ShortFile(reader);
  if (!CheckField(reader, "PrintVectorsSize", kHwrCodes * kHwrStepDimension)) return false;
  if (!reader.Int32s(&model.print_vectors, kHwrCodes * kHwrStepDimension)) return ShortFile(reader);

  if (!CheckFields(reader,
                   {{"RADSET", radicals}, {"MAX_RAD_STATES", kHwrMaxRadicalStates}, {"CODESIZE", kHwrCodes}}))
    return false;
  if (!ReadRadicalModels(reader, radicals, &model.print_models)) return false;
  if (!CheckFields(reader, {{"NCHARS", characters},
                            {"MAX_MULTIPLE_MODELS", kHwrMaxModels},
                            {"MAX_NUM_RADS", kHwrMaxRadicals}}))
    return false;
  if (!ReadDictionary(reader, characters, model.print_models, &model.dictionary)) return false;

  if (!CheckFields(
          reader,
          {{"IMAGE_N_SUB", kHwrImageSub}, {"CODESIZE", kHwrCodes}, {"IMAGESUBSIZE", kHwrImageDimension}}))
    return false;
  if (!reader.Int32s(&model.image_code_book, kHwrImageBlocks * kHwrCodes * kHwrImageDimension))
    return ShortFile(reader);
  if (!CheckField(reader, "CursiveVectorsSize", kHwrCodes * kHwrStepDimension)) return false;
  if (!reader.Int32s(&model.cursive_vectors, kHwrCodes * kHwrStepDimension)) return ShortFile(reader);
  if (!CheckFields(reader,
                   {{"RADSET", radicals}, {"CODESIZE", kHwrCodes}, {"MAX_RAD_STATES", kHwrMaxRadicalStates}}))
    return false;
  if (!ReadRadicalModels(reader, radicals, &model.cursive_models)) return false;

  if (!CheckFields(reader, {{"FTLOCATIONS", kHwrFtLocations},
                            {"NCHARS", characters},
                            {"CODESIZE", kHwrCodes},
                            {"QPDFSIZE", kHwrPdfs}}))
    return false;
  if (!ReadBlocks(reader, kHwrFtLocations, characters, &model.blocks)) return false;
  if (!CheckFields(reader, {{"IMAGE_N_SUB", kHwrImageSub},
                            {"NCHARS", characters},
                            {"CODESIZE", kHwrCodes},
                            {"QPDFSIZE", kHwrPdfs}}))
    return false;
  if (!ReadBlocks(reader, kHwrImageBlocks, characters, &model.blocks)) return false;

  if (!CheckField(reader, "NCHARS", characters)) return false;
  model.character_table.resize(characters);
  if (!reader.Bytes(model.character_table.data(), characters)) return ShortFile(reader);
  if (!CheckField(reader, "MAX_BIGRAMS", kHwrMaxBigrams)) return false;
  model.bigram_scores.resize(kHwrMaxBigrams);
  if (!reader.Bytes(model.bigram_scores.data(), kHwrMaxBigrams)) return ShortFile(reader);
  if (!CheckField(reader, "MAX_BIGRAMS", kHwrMaxBigrams)) return false;
  if (!reader.Int32s(&model.bigram_keys, kHwrMaxBigrams)) return ShortFile(reader);
  for (int i = 1; i < kHwrMaxBigrams; ++i) {
    if (model.bigram_keys[i] < model.bigram_keys[i - 1]) {
      WarningMessage("bigram key %d out of order", i);
      return false;
    }
  }
  return true;
}

}  // namespace

std::size_t HwrCharacterModelFileSize(const HwrModelTriple& triple) {
  const std::size_t radicals = triple.radicals;
  const std::size_t characters = triple.characters;
  return kHwrHeaderSize + (8 + kHwrGestureSamples * 32 * 4) +
         (12 + kHwrFtLocations * kHwrCodes * kHwrFtDimension * 4) +
         2 * (4 + kHwrCodes * kHwrStepDimension * 4) + 2 * (12 + radicals * kHwrRadicalModelBytes) +
         (12 + characters * kHwrDictionaryRecordBytes) +
         (12 + kHwrImageBlocks * kHwrCodes * kHwrImageDimension * 4) + 2 * 16 +
         kHwrBlocks * (characters + kHwrCodes * kHwrPdfs) + (4 + characters) + (4 + kHwrMaxBigrams) +
         (4 + kHwrMaxBigrams * 4);
}

std::size_t HwrLatinModelFileSize() {
  const std::size_t classes = kLatinModelTriple.characters;
  return kHwrHeaderSize + 7 * kHwrSectionNameBytes + kHwrBlocks * kHwrCodes * classes +
         (kHwrImageBlocks * kHwrCodes * kHwrImageDimension + kHwrFtLocations * kHwrCodes * kHwrFtDimension +
          kHwrCodes * kHwrStepDimension) *
             4 +
         classes * (kHwrRadicalModelBytes + kHwrDictionaryRecordBytes);
}

std::unique_ptr<HwrCharacterModel> ReadHwrCharacterModel(const uint8_t* data, std::size_t size,
                                                         const HwrModelTriple& triple) {
  if (triple.radicals < 1 || triple.radicals > 32767 || triple.characters < 1 || triple.characters > 100000)
    return nullptr;
  auto model = std::make_unique<HwrCharacterModel>();
  model->triple = triple;
  FieldReader reader(data, size);
  if (!ReadCharacterModel(reader, *model)) return nullptr;
  return model;
}

std::unique_ptr<HwrLatinModel> ReadHwrLatinModel(const uint8_t* data, std::size_t size) {
  const int classes = kLatinModelTriple.characters;
  auto model = std::make_unique<HwrLatinModel>();
  FieldReader reader(data, size);
  if (!reader.Skip(kHwrHeaderSize)) {
    ShortFile(reader);
    return nullptr;
  }
  const auto tables = [&](const char* name, std::vector<uint8_t>* out, std::size_t count) {
    if (!ReadSectionName(reader, name)) return false;
    out->resize(count);
    return reader.Bytes(out->data(), count) || ShortFile(reader);
  };
  const auto vectors = [&](const char* name, std::vector<int32_t>* out, std::size_t count) {
    return ReadSectionName(reader, name) && (reader.Int32s(out, count) || ShortFile(reader));
  };
  if (!tables("ImageTables", &model->image_tables, kHwrImageBlocks * kHwrCodes * classes) ||
      !tables("FTTables", &model->ft_tables, kHwrFtLocations * kHwrCodes * classes) ||
      !vectors("ImageVectors", &model->image_code_book, kHwrImageBlocks * kHwrCodes * kHwrImageDimension) ||
      !vectors("FTVectors", &model->ft_code_book, kHwrFtLocations * kHwrCodes * kHwrFtDimension) ||
      !vectors("PrintVectors", &model->print_vectors, kHwrCodes * kHwrStepDimension) ||
      !ReadSectionName(reader, "PrintHMM") || !ReadRadicalModels(reader, classes, &model->print_models) ||
      !ReadSectionName(reader, "RadDic") ||
      !ReadDictionary(reader, classes, model->print_models, &model->dictionary))
    return nullptr;
  return model;
}

}  // namespace vok
