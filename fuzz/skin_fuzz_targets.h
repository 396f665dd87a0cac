#pragma once
// Fuzz entry points of the skin data layer, shared by the libFuzzer builds and
// by the plain driver that runs them as a test. Each returns 0; a broken
// invariant aborts.

#include <QByteArray>
#include <QList>
#include <cstddef>
#include <cstdint>

// The bytes are a skin file's text, loaded from memory with two small pictures.
int FuzzSkinText(const uint8_t* data, size_t size);
// The bytes are a packed skin file, and also an unpacked skin stream.
int FuzzPackedSkin(const uint8_t* data, size_t size);

// Seeds made in code (binary ones are not kept as files).
QList<QByteArray> PackedSkinSeeds();
