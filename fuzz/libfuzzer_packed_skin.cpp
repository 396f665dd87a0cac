// libFuzzer entry: packed skin files and unpacked skin streams.
#include "fuzz/skin_fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzPackedSkin(data, size);
}
