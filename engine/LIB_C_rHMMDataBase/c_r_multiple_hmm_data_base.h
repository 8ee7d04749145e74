// Several model files merged into one database with one name space.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_abstract_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"

class C_rMultipleHMMDataBase : public C_rAbstractHMMDataBase {
 public:
  C_rMultipleHMMDataBase();
  ~C_rMultipleHMMDataBase() override;

  void reset() override;
  void free_all() override;
  vok::SymbolTable* get_HMMNameTable() override { return names_.get(); }
  float get_StateScore(int hmm, int state, int thread) override;
  int get_numState() const override;
  int get_numHMM() const override { return static_cast<int>(routes_.size()); }
  int get_HMMIndex(const char* name) const override;
  // Passed to databases 1 to K - 1, then to database 0; -1 when any refuses.
  int assign_ThreadInput(int thread, int frame, const C_rStreamVectors& input) override;

  void set_Memory(C_rMemory* memory) { memory_ = memory; }
  // Vastel.Multiple_HMMResource files: Vastel.HMMResource, then
  // Vastel.HMMResource_1 onward. 0, or -1 with a message.
  int read_file(int threads, const vok::Resources& resources);
  int get_NumDataBases() const { return static_cast<int>(bases_.size()); }
  C_rHMMDataBase* get_DataBase(int i) { return bases_[i].get(); }

 private:
  struct Route {
    std::uint16_t base;
    std::uint16_t local;
  };

  int merge();

  C_rMemory* memory_ = nullptr;
  std::vector<std::unique_ptr<C_rHMMDataBase>> bases_;
  std::unique_ptr<vok::SymbolTable> names_;
  std::vector<Route> routes_;
};
