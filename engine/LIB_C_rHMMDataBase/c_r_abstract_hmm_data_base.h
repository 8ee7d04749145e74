// What the searches ask of an HMM acoustic model database.
#pragma once

#include "engine/LIB_C_rHMMDataBase/c_r_front_end_input.h"

namespace vok {
class SymbolTable;
}

class C_rAbstractHMMDataBase {
 public:
  virtual ~C_rAbstractHMMDataBase() = default;
  virtual void reset() = 0;
  virtual void free_all() = 0;
  // HMM names; id = HMM index.
  virtual vok::SymbolTable* get_HMMNameTable() = 0;
  // Log score of state (0 to 2) of an HMM for the thread's current frame.
  virtual float get_StateScore(int hmm, int state, int thread) = 0;
  virtual int get_numState() const = 0;
  virtual int get_numHMM() const = 0;
  virtual int get_HMMIndex(const char* name) const = 0;
  // The observation of a new frame for an input thread; 0 or -1.
  virtual int assign_ThreadInput(int thread, int frame, const C_rStreamVectors& input) = 0;
};
