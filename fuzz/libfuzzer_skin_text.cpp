// libFuzzer entry: skin file text loaded from memory.
#include "fuzz/skin_fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzSkinText(data, size);
}
