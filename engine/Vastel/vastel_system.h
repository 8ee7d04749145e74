// Everything a speech search needs from the acoustic side, loaded from one
// Resources store: the HMM database (one file or several merged), the front
// end and the syllable table over the database's HMM names.
#pragma once

#include <memory>

#include "engine/LIB_C_rHMMDataBase/c_r_abstract_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_front_end.h"
#include "engine/LIB_C_rHMMDataBase/c_r_memory.h"
#include "engine/core/resources.h"
#include "engine/core/syllable_table.h"

class VastelSystem {
 public:
  // The longest HMM resource path the loader accepts.
  static constexpr int kMaxPath = 255;

  VastelSystem();
  // Releases the database, the front end and the syllable table, then
  // reports and deletes the memory manager.
  ~VastelSystem();
  VastelSystem(const VastelSystem&) = delete;
  VastelSystem& operator=(const VastelSystem&) = delete;

  // The multiple path when Vastel.Multiple_HMMResource is present, else the
  // single one. 0, or -1 with a message; a second call is refused. The store
  // must outlive the record.
  int Load(const vok::Resources& resources);

  const vok::Resources* resources() const { return resources_; }
  C_rMemory* memory() const { return memory_.get(); }
  C_rAbstractHMMDataBase* database() const { return database_.get(); }
  C_rFrontEnd* front_end() const { return front_end_.get(); }
  vok::CSyllableTable* syllable_table() const { return syllable_table_.get(); }

 private:
  int LoadSingle(const vok::Resources& resources);
  int LoadMultiple(const vok::Resources& resources);
  // Front end from its specification file (null: the built-in set-up).
  int LoadFrontEnd(const char* spec_path);
  int LoadSyllableTable(const vok::Resources& resources);
  void ReleaseDataBase();

  const vok::Resources* resources_ = nullptr;
  std::unique_ptr<C_rMemory> memory_;
  std::unique_ptr<C_rAbstractHMMDataBase> database_;
  std::unique_ptr<C_rFrontEnd> front_end_;
  std::unique_ptr<vok::CSyllableTable> syllable_table_;
  bool load_called_ = false;
};
