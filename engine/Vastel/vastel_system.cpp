#include "engine/Vastel/vastel_system.h"

#include <cstdio>
#include <string>

#include "engine/LIB_C_rHMMDataBase/c_r_hmm_data_base.h"
#include "engine/LIB_C_rHMMDataBase/c_r_multiple_hmm_data_base.h"
#include "engine/core/messages.h"

namespace {

constexpr const char* kSection = "Vastel";
// The input threads the loader asks for.
constexpr int kInputThreads = 1;

// The HMM resource path, refused when absent or longer than the loader takes.
bool HMMResourcePath(const vok::Resources& resources, std::string* path) {
  if (resources.Get(kSection, "HMMResource", path) != 0) {
    vok::LogPrint("Failed : Required File HMMResource (?) for Vastel System\n");
    return false;
  }
  if (path->size() > static_cast<std::size_t>(VastelSystem::kMaxPath)) {
    vok::LogPrint("Failed : HMMResource path longer than %d characters\n", VastelSystem::kMaxPath);
    return false;
  }
  return true;
}

}  // namespace

VastelSystem::VastelSystem() : memory_(std::make_unique<C_rMemory>()) {}

VastelSystem::~VastelSystem() {
  ReleaseDataBase();
  front_end_.reset();
  syllable_table_.reset();
  if (memory_) memory_->ReportStatus();
  memory_.reset();
}

void VastelSystem::ReleaseDataBase() {
  if (!database_) return;
  database_->free_all();
  database_.reset();
}

int VastelSystem::Load(const vok::Resources& resources) {
  if (load_called_) {
    vok::LogPrint("Failed : Vastel System is already loaded\n");
    return -1;
  }
  load_called_ = true;
  int count = 0;
  const int result = resources.GetInt(kSection, "Multiple_HMMResource", &count) == 0 ? LoadMultiple(resources)
                                                                                     : LoadSingle(resources);
  if (vok::GetLogStream() != stdout && memory_) memory_->ReportStatus();
  return result;
}

int VastelSystem::LoadSingle(const vok::Resources& resources) {
  vok::LogPrint("\nLoading Vastel\n");
  resources_ = &resources;
  std::string path;
  if (!HMMResourcePath(resources, &path)) return -1;
  if (!memory_) {
    vok::LogPrint("Out of memory");
    return -1;
  }
  auto database = std::make_unique<C_rHMMDataBase>();
  database->reset();
  database->set_Memory(memory_.get());
  std::fprintf(vok::MessageOutput(), "Reading HMM acoustic model database  [%s] \n", path.c_str());
  if (database->read_file(path.c_str(), kInputThreads, resources) != 0) {
    database->free_all();
    vok::LogPrint("Failed to load HMM DataBase\n");
    return -1;
  }
  database_ = std::move(database);
  std::string spec;
  const bool has_spec = resources.Get("FrontEnd", "FrontEndSpecFile", &spec) == 0;
  if (LoadFrontEnd(has_spec ? spec.c_str() : nullptr) != 0) return -1;
  return LoadSyllableTable(resources);
}

int VastelSystem::LoadMultiple(const vok::Resources& resources) {
  vok::LogPrint("\nLoading Vastel\n");
  resources_ = &resources;
  int count = 0;
  resources.GetInt(kSection, "Multiple_HMMResource", &count);
  if (count < 1) {
    vok::LogPrint("Failed : Vastel.Multiple_HMMResource = %d, at least 1 file is needed\n", count);
    return -1;
  }
  std::string path;
  if (!HMMResourcePath(resources, &path)) return -1;
  if (!memory_) {
    vok::LogPrint("Out of memory");
    return -1;
  }
  auto database = std::make_unique<C_rMultipleHMMDataBase>();
  database->reset();
  database->set_Memory(memory_.get());
  std::fprintf(vok::MessageOutput(), "Reading HMM acoustic model database  [%s] \n", path.c_str());
  if (database->read_file(kInputThreads, resources) != 0) {
    database->free_all();
    vok::LogPrint("Failed to load HMM DataBase\n");
    return -1;
  }
  database_ = std::move(database);
  if (LoadFrontEnd(nullptr) != 0) return -1;
  return LoadSyllableTable(resources);
}

int VastelSystem::LoadFrontEnd(const char* spec_path) {
  auto front_end = std::make_unique<C_rFrontEnd>();
  int result;
  if (!spec_path) {
    vok::LogPrint("\nStd FrontEnd Setup USED");
    result = front_end->setup_Std(kInputThreads);
  } else {
    vok::LogPrint("\nFrontEnd Setup USED from %s", spec_path);
    result = front_end->readResourceFile(spec_path, kInputThreads);
  }
  if (result != 0) {
    vok::LogPrint("Failed to load FrontEnd resource\n");
    return -1;
  }
  front_end_ = std::move(front_end);
  return 0;
}

int VastelSystem::LoadSyllableTable(const vok::Resources& resources) {
  std::string path;
  if (resources.Get(kSection, "SyllableTable", &path) != 0) {
    vok::LogPrint("Required File VastelSyllableTable (?) for Vastel System\n");
    return -1;
  }
  auto table = std::make_unique<vok::CSyllableTable>(path.c_str(), database_->get_HMMNameTable());
  if (table->status() != 0) {
    vok::LogPrint("Failed to load syllable table [%s]\n", path.c_str());
    return -1;
  }
  syllable_table_ = std::move(table);
  return 0;
}
