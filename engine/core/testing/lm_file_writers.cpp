#include "engine/core/testing/lm_file_writers.h"

#include <cstdio>
#include <cstring>

namespace vok_testing {

namespace {

void Be16(Bytes* b, uint32_t v) {
  b->push_back(static_cast<uint8_t>(v >> 8));
  b->push_back(static_cast<uint8_t>(v));
}
void Be32(Bytes* b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b->push_back(static_cast<uint8_t>(v >> s));
}
void Le16(Bytes* b, uint32_t v) {
  b->push_back(static_cast<uint8_t>(v));
  b->push_back(static_cast<uint8_t>(v >> 8));
}
void Le32(Bytes* b, uint32_t v) {
  for (int s = 0; s <= 24; s += 8) b->push_back(static_cast<uint8_t>(v >> s));
}
void LeFloat(Bytes* b, float f) {
  uint32_t bits = 0;
  std::memcpy(&bits, &f, 4);
  Le32(b, bits);
}
void PutLe32(Bytes* b, std::size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) (*b)[at + static_cast<std::size_t>(k)] = static_cast<uint8_t>(v >> (8 * k));
}
void Magic(Bytes* b, const char* magic) {
  b->assign(64, 0);
  std::memcpy(b->data(), magic, std::strlen(magic));
}

}  // namespace

void OlderClassBigramModel::Set(int c1, int c2, uint8_t value) {
  const std::size_t c = static_cast<std::size_t>(classes);
  table.resize(c * c, 0);
  table[static_cast<std::size_t>(c1) * c + static_cast<std::size_t>(c2)] = value;
}

Bytes OlderClassBigramModel::Write() const {
  Bytes b;
  Be32(&b, static_cast<uint32_t>(header_length));
  b.insert(b.end(), 252, unused_fill);
  for (int32_t v : {words, classes, bias, shift}) Be32(&b, static_cast<uint32_t>(v));
  Be32(&b, 0x3F800347);  // the log base 1.0001f
  Be16(&b, person);
  Be16(&b, place);
  Be16(&b, discarded);
  b.resize(512, 0);
  const std::size_t cells = static_cast<std::size_t>(classes) * static_cast<std::size_t>(classes);
  for (std::size_t k = 0; k < cells; ++k) b.push_back(k < table.size() ? table[k] : 0);
  return b;
}

Bytes OlderPageModel::Write() const {
  Bytes b;
  Be32(&b, 512);
  b.insert(b.end(), 252, 0);
  Be32(&b, static_cast<uint32_t>(words));
  Be32(&b, static_cast<uint32_t>(classes));
  for (int32_t v : biases) Be32(&b, static_cast<uint32_t>(v));
  for (int32_t v : shifts) Be32(&b, static_cast<uint32_t>(v));
  Be32(&b, 0);
  Be16(&b, person);
  Be16(&b, place);
  b.resize(512, 0);
  const std::size_t c = static_cast<std::size_t>(classes);
  const std::size_t table = b.size();
  b.resize(table + 4 * c * c, 0);
  for (std::size_t k = 0; k < c; ++k) b.push_back(k < unigrams.size() ? unigrams[k] : 255);
  for (std::size_t k = 0; k < c; ++k) Le16(&b, k < backoffs.size() ? backoffs[k] : 0);
  for (const auto& [pair, block] : blocks) {
    const std::size_t at =
        table + 4 * (static_cast<std::size_t>(pair.first) * c + static_cast<std::size_t>(pair.second));
    const auto offset = static_cast<uint32_t>(b.size());
    for (int k = 0; k < 4; ++k)
      b[at + static_cast<std::size_t>(k)] = static_cast<uint8_t>(offset >> (24 - 8 * k));
    b.push_back(block.bigram);
    Be16(&b, block.backoff);
    Be16(&b, static_cast<uint32_t>(block.trigrams.size()));
    for (const auto& [c3, value] : block.trigrams) {
      Be16(&b, c3);
      b.push_back(value);
      b.push_back(0);
    }
  }
  return b;
}

Bytes SemiClassTrigramModel::Write() const {
  Bytes b;
  Magic(&b, version == 2   ? "OPELU_SemiClassTrigram2.0"
            : version == 1 ? "OPELU_SemiClassTrigram1.0"
                           : "OPELU_SemiClassTrigram9.9");
  int32_t trigrams = 0;
  for (const Word& w : words) {
    trigrams += static_cast<int32_t>(w.records.size());
    for (const auto& g : w.groups) trigrams += static_cast<int32_t>(g.second.records.size());
  }
  const std::size_t header = b.size();
  for (int32_t v : {0, static_cast<int32_t>(words.size()), classes, trigrams, 0, average_backoff, ceiling,
                    bias, shift, 0, 0})
    Le32(&b, static_cast<uint32_t>(v));
  PutLe32(&b, header, static_cast<uint32_t>(b.size()));
  PutLe32(&b, header + 36, static_cast<uint32_t>(b.size()));
  Le32(&b, static_cast<uint32_t>(words.size()));
  for (const Word& w : words) {
    b.push_back(static_cast<uint8_t>(w.text.size()));
    b.insert(b.end(), w.text.begin(), w.text.end());
    int32_t records = static_cast<int32_t>(w.records.size());
    if (version == 2) {
      records = 0;
      for (const auto& g : w.groups) records += static_cast<int32_t>(g.second.records.size());
    }
    Le32(&b, static_cast<uint32_t>(records));
    if (version == 2) Le16(&b, static_cast<uint32_t>(w.groups.size()));
  }
  Le32(&b, static_cast<uint32_t>(class_words.size()));
  for (uint16_t id : class_words) Le16(&b, id);
  PutLe32(&b, header + 40, static_cast<uint32_t>(b.size()));
  Le16(&b, 0);
  for (const Word& w : words) {
    Le16(&b, 0);
    Le16(&b, w.unigram);
    if (version == 2) {
      Le32(&b, 0);
      Le16(&b, static_cast<uint32_t>(w.groups.size()));
      for (const auto& [group_b, g] : w.groups) {
        Le16(&b, group_b);
        Le16(&b, static_cast<uint32_t>(g.records.size()));
        Le16(&b, g.bigram);
      }
      Le32(&b, 0);
      for (const auto& g : w.groups)
        for (const auto& [a, value] : g.second.records) {
          Le16(&b, a);
          b.push_back(value);
        }
    } else {
      Le32(&b, static_cast<uint32_t>(w.records.size()));
      for (const auto& [key, value] : w.records) {  // sorted by b, then a
        Le16(&b, key.second);
        Le16(&b, key.first);
        Le16(&b, value);
      }
    }
  }
  return b;
}

Bytes SemiClassTrigramModel::WriteMasses() const {
  Bytes b;
  Le32(&b, static_cast<uint32_t>(masses.size()));
  b.resize(64, 0);
  for (float m : masses) LeFloat(&b, m);
  for (float a : alphas) LeFloat(&b, a);
  return b;
}

Bytes SemiClassBigramModel::Write() const {
  Bytes b;
  Magic(&b, "OPELU_SemiClassBigram_1.0");
  int32_t bigrams = 0;
  for (const Word& w : words) bigrams += static_cast<int32_t>(w.scores.size());
  const std::size_t header = b.size();
  for (int32_t v :
       {0, static_cast<int32_t>(words.size()), classes, bias, shift, 0, ceiling, bigrams, 0, 0, 0, 0, 0})
    Le32(&b, static_cast<uint32_t>(v));
  PutLe32(&b, header + 40, static_cast<uint32_t>(b.size()));
  Le32(&b, static_cast<uint32_t>(words.size()));
  for (const Word& w : words) {
    b.push_back(static_cast<uint8_t>(w.text.size()));
    b.insert(b.end(), w.text.begin(), w.text.end());
    Le32(&b, 0);
    LeFloat(&b, w.weight);
  }
  PutLe32(&b, header + 44, static_cast<uint32_t>(b.size()));
  for (const Word& w : words) {
    Le32(&b, 0);
    std::map<uint16_t, uint8_t> lists[8];
    for (const auto& [h, score] : w.scores) lists[(h >> 8) & 7][h] = score;
    for (const auto& list : lists) Le16(&b, static_cast<uint32_t>(list.size()));
    for (const auto& list : lists)
      for (const auto& [h, score] : list) {
        b.push_back(static_cast<uint8_t>(h & 255));
        b.push_back(score);
      }
  }
  PutLe32(&b, header + 48, static_cast<uint32_t>(b.size()));
  Le32(&b, static_cast<uint32_t>(masses.size()));
  for (float m : masses) LeFloat(&b, m);
  return b;
}

Bytes WritePageCache(const std::vector<PageCacheRecord>& records) {
  Bytes b;
  Le32(&b, static_cast<uint32_t>(records.size()));
  for (const PageCacheRecord& r : records) {
    Le16(&b, r.score);
    for (uint16_t k : r.key) Le16(&b, k);
  }
  return b;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace vok_testing
