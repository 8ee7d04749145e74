#include "engine/LIB_C_rHMMDataBase/c_r_memory.h"

#include <cstdio>
#include <cstdlib>

C_rMemory::C_rMemory() { std::printf("Using General Purpose Alloc\n"); }

C_rMemory::~C_rMemory() { std::printf("C_rMemory dtor called, using general purpose malloc\n"); }

void* C_rMemory::allocate(const char* /*tag*/, std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void C_rMemory::free(void* block) { std::free(block); }

void C_rMemory::ReportStatus() const { std::printf("ReportStatus : using general purpose malloc\n"); }
