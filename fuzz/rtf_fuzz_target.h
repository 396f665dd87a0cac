#pragma once
// Fuzz entry point of the rich-text reader, shared by the libFuzzer build and
// the smoke test that runs it on the seed corpus and mutations of it.
// Returns 0; a broken invariant aborts.

#include <cstddef>
#include <cstdint>

int FuzzRtf(const uint8_t* data, size_t size);
