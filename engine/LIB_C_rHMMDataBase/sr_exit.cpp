#include "engine/LIB_C_rHMMDataBase/sr_exit.h"

#include <cstdio>

int SR_Exit(const char* text) {
  std::printf("[%s]. Exiting.\n", text);
  std::fflush(stdout);
  return -1;
}

int SR_MCheck(const void* pointer) {
  if (pointer != nullptr) return 0;
  std::printf("SR_MCheck : memory = NULL. error.\n");
  return -1;
}

bool SR_CheckInputIndex(int idx, int count, const char* function) {
  if (idx >= 0 && idx < count) return true;
  std::printf("Error in idx = %d, valid range = 0..%d\n", idx, count - 1);
  std::printf("Error in function : %s\n", function);
  if (idx >= 0) std::printf("Input Thread idx [%d] is unitialised\n", idx);
  SR_Exit("Error");
  return false;
}
