// HMM acoustic model database read from one model file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/LIB_C_rHMMDataBase/c_r_abstract_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_hmm_code_books.h"
#include "engine/LIB_C_rHMMDataBase/c_r_input_thread.h"
#include "engine/LIB_C_rHMMDataBase/c_r_memory.h"
#include "engine/LIB_C_rHMMDataBase/c_r_mixture_groups.h"

class C_rModelFileReader;

namespace vok {
class Resources;
}

class C_rHMMDataBase : public C_rAbstractHMMDataBase {
 public:
  // Score of a state or Gaussian that cannot win, and of a failed request.
  static constexpr float kFloorScore = -1e32f;

  C_rHMMDataBase();
  ~C_rHMMDataBase() override;
  C_rHMMDataBase(const C_rHMMDataBase&) = delete;
  C_rHMMDataBase& operator=(const C_rHMMDataBase&) = delete;

  void reset() override;
  void free_all() override;
  vok::SymbolTable* get_HMMNameTable() override { return names_.get(); }
  float get_StateScore(int hmm, int state, int thread) override;
  int get_numState() const override { return states_.count; }
  int get_numHMM() const override { return static_cast<int>(hmms_.size()); }
  int get_HMMIndex(const char* name) const override;
  int assign_ThreadInput(int thread, int frame, const C_rStreamVectors& input) override;

  void set_Memory(C_rMemory* memory) { memory_ = memory; }
  void set_KeepVariances(bool keep) { keepVariances_ = keep; }
  // 0, or -1 with a message: unreadable or corrupt file, wrong version,
  // missing decoder reference or setting.
  int read_file(const char* path, int threads, const vok::Resources& resources);
  int set_max_num_thread(int n);
  int set_HMMDataBaseBeamWidth(int thread, float value);
  int set_LogDensityWeight(int thread, float weight);

  int get_NumStreams() const { return global_.numStreams; }
  int get_StreamDim(int s) const { return global_.dims[s]; }
  int get_NumThreads() const { return static_cast<int>(threads_.size()); }
  const C_rInputThread* get_InputThread(int thread) const;
  const C_rHMM* get_HMM(int hmm) const;
  const C_rTransProb* get_TransProb(int index) const;
  bool has_LDA() const { return !lda_.empty(); }

  // The code books as loaded, read-only, for the tests' reference scoring.
  const C_rGlobal& get_Global() const { return global_; }
  const C_rCenterVariancePairCB& get_Pairs() const { return pairs_; }
  const C_rGaussianCodeBookCB& get_CodeBooks() const { return codeBooks_; }
  const C_rGMixCB& get_Mixtures() const { return mixtures_; }
  const C_rStateCB& get_States() const { return states_; }
  const std::vector<float>& get_LDA() const { return lda_; }

 private:
  void readModel(C_rModelFileReader& in, const char* path);
  void readGlobal(C_rModelFileReader& in);
  void readDecoders(C_rModelFileReader& in);
  void readPairs(C_rModelFileReader& in);
  void readCodeBooks(C_rModelFileReader& in);
  void readMixtures(C_rModelFileReader& in);
  void readStates(C_rModelFileReader& in);
  void readTransProbs(C_rModelFileReader& in);
  void readHMMs(C_rModelFileReader& in);
  int readSettings(const vok::Resources& resources);
  int readLDA(const char* path);
  C_rInputThread* thread(int idx, const char* function);
  void evaluateCodeBook(C_rInputThread& t, int book, int stream);
  float mixtureScore(C_rInputThread& t, int mixture, int stream);
  void sumMixturesOfBook(C_rInputThread& t, int book, int asked);
  void sumGroup(C_rInputThread& t, int group, int book);
  void sumPass(C_rInputThread& t, int book);
  void keepSums(C_rInputThread& t, const int* mixtures, int count, const float* totals, const float* best);

  C_rMemory* memory_ = nullptr;
  bool keepVariances_ = false;
  bool loaded_ = false;
  bool threadsSet_ = false;
  C_rGlobal global_;
  std::vector<C_rDecoder> decoders_;
  C_rCenterVariancePairCB pairs_;
  C_rGaussianCodeBookCB codeBooks_;
  C_rGMixCB mixtures_;
  C_rMixtureGroups mixtureGroups_;
  C_rStateCB states_;
  std::vector<C_rTransProb> transProbs_;
  std::vector<C_rHMM> hmms_;
  std::vector<std::unique_ptr<C_rInputThread>> threads_;
  std::unique_ptr<vok::SymbolTable> names_;
  int ldaRows_ = 0;
  int ldaColumns_ = 0;
  std::vector<float> lda_;
};
