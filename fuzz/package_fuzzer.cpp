// libFuzzer entry point; the target itself is fuzzPackage in FuzzTargets.cpp.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return lorvane::fuzz::fuzzPackage(data, size); }
