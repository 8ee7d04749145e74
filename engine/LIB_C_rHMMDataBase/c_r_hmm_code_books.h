// Code books of the HMM database, flattened for scoring.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_memory_block.h"

struct C_rDecoderRef {
  bool present = false;
  std::string name;
  std::int32_t index = -1;
};

struct C_rGlobal {
  int numStreams = 0;
  std::vector<int> dims;
  C_rDecoderRef centre, variance, weight;
  std::vector<std::string> streamNames;
  std::vector<std::vector<float>> means, scales;
};

struct C_rDecoder {
  std::string name;
  std::vector<float> table;
};

// Centre-variance pairs with the centre codes decoded at load.
struct C_rCenterVariancePairCB {
  int count = 0;
  C_rMemoryBlock<int> dims;
  C_rMemoryBlock<float> constants;
  C_rMemoryBlock<std::uint8_t> disabled;
  C_rMemoryBlock<std::int64_t> offsets;  // first centre value of each pair
  C_rMemoryBlock<float> centres;
};

struct C_rGaussianCodeBookCB {
  int count = 0;
  C_rMemoryBlock<int> sizes;
  C_rMemoryBlock<std::int64_t> offsets;  // running offset of each book's first Gaussian
  C_rMemoryBlock<int> pairs;             // pair index of every Gaussian
  C_rMemoryBlock<int> streams;           // the stream each book serves, -1 when unused
  int maxSize = 0;
};

struct C_rGMixCB {
  int count = 0;
  C_rMemoryBlock<int> codeBooks;
  C_rMemoryBlock<float> logWeights;  // one per Gaussian of the mixture's book, at the book's offset
  C_rMemoryBlock<std::int64_t> offsets;
};

struct C_rStateCB {
  int count = 0;
  C_rMemoryBlock<float> streamWeights;  // count x streams
  C_rMemoryBlock<int> mixtures;         // count x streams
};

struct C_rTransProb {
  std::string name;
  int n = 0;
  std::vector<float> matrix;  // n rows of n + 1 columns; 99.99 marks no transition
  struct Entry {
    int from, to;
    float value;
  };
  std::vector<Entry> sparse;
};

struct C_rHMM {
  int index = 0;
  std::string name;
  int states[3] = {0, 0, 0};
  int transProb = 0;
};
