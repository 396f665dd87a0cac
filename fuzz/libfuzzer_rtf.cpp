// libFuzzer entry: a rich-text document read by our reader.
#include "fuzz/rtf_fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return FuzzRtf(data, size); }
