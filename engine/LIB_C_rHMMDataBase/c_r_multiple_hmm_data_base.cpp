#include "engine/LIB_C_rHMMDataBase/c_r_multiple_hmm_data_base.h"

#include <cstdio>
#include <string>

#include "engine/core/resources.h"
#include "engine/core/symbol_table.h"

namespace {

constexpr int kMaxDataBases = 0xFFFF;

}  // namespace

C_rMultipleHMMDataBase::C_rMultipleHMMDataBase() = default;

C_rMultipleHMMDataBase::~C_rMultipleHMMDataBase() { free_all(); }

void C_rMultipleHMMDataBase::reset() {
  free_all();
  memory_ = nullptr;
}

void C_rMultipleHMMDataBase::free_all() {
  bases_.clear();
  names_.reset();
  routes_.clear();
}

int C_rMultipleHMMDataBase::read_file(int threads, const vok::Resources& resources) {
  if (!bases_.empty()) {
    std::printf("apHMMDatBase[v_idx = %d] is already defined\n", 0);
    return -1;
  }
  int count = 0;
  if (resources.GetInt("Vastel", "Multiple_HMMResource", &count) != 0) {
    std::printf("Missing Vastel::Multiple_HMMResource parameter\n");
    return -1;
  }
  if (count < 1 || count > kMaxDataBases) {
    std::printf("Vastel::Multiple_HMMResource = %d out of range 1..%d\n", count, kMaxDataBases);
    return -1;
  }
  if (memory_ == nullptr) {
    std::printf("Failed to load HMMDataBase. Out of memory\n");
    return -1;
  }
  for (int i = 0; i < count; ++i) {
    std::string key = i == 0 ? "HMMResource" : "HMMResource_" + std::to_string(i);
    std::string path;
    auto base = std::make_unique<C_rHMMDataBase>();
    base->set_Memory(memory_);
    base->set_KeepVariances(false);
    if (resources.Get("Vastel", key.c_str(), &path) != 0 ||
        base->read_file(path.c_str(), threads, resources) != 0) {
      std::printf("Failed to load HMM DataBase\n");
      free_all();
      return -1;
    }
    bases_.push_back(std::move(base));
  }
  if (merge() != 0) {
    free_all();
    return -1;
  }
  return 0;
}

int C_rMultipleHMMDataBase::merge() {
  int total = 0;
  for (const auto& base : bases_) {
    if (base->get_numHMM() > 0xFFFF) {
      std::printf("Database of %d HMMs cannot be merged\n", base->get_numHMM());
      return -1;
    }
    total += base->get_numHMM();
  }
  names_ = std::make_unique<vok::SymbolTable>(total);
  for (std::size_t b = 0; b < bases_.size(); ++b) {
    const vok::SymbolTable* local = bases_[b]->get_HMMNameTable();
    for (int h = 0; h < bases_[b]->get_numHMM(); ++h) {
      std::string name = local->GetName(h) != nullptr ? local->GetName(h) : "";
      // A name taken by an earlier file gets the file's suffix; a suffixed
      // name that is taken as well gets the suffix again.
      while (names_->Find(name.c_str()) >= 0) name += "_ext" + std::to_string(b);
      if (names_->AddNew(name.c_str()) < 0) {
        std::printf("Merged HMM name table is full at [%s]\n", name.c_str());
        return -1;
      }
      routes_.push_back({static_cast<std::uint16_t>(b), static_cast<std::uint16_t>(h)});
    }
  }
  return 0;
}

float C_rMultipleHMMDataBase::get_StateScore(int hmm, int state, int thread) {
  if (hmm < 0 || hmm >= static_cast<int>(routes_.size())) {
    std::printf("C_rMultipleHMMDataBase::get_StateScore( hmm=%d) out of range.\n", hmm);
    return C_rHMMDataBase::kFloorScore;
  }
  const Route route = routes_[hmm];
  return bases_[route.base]->get_StateScore(route.local, state, thread);
}

int C_rMultipleHMMDataBase::get_numState() const {
  int total = 0;
  for (const auto& base : bases_) total += base->get_numState();
  return total;
}

int C_rMultipleHMMDataBase::get_HMMIndex(const char* name) const { return names_ ? names_->Find(name) : -1; }

int C_rMultipleHMMDataBase::assign_ThreadInput(int thread, int frame, const C_rStreamVectors& input) {
  if (bases_.empty()) return -1;
  int status = 0;
  for (std::size_t b = 1; b < bases_.size(); ++b)
    if (bases_[b]->assign_ThreadInput(thread, frame, input) != 0) status = -1;
  if (bases_[0]->assign_ThreadInput(thread, frame, input) != 0) status = -1;
  return status;
}
