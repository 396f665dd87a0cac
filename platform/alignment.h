#pragma once
// Horizontal text alignment, numbered as the host framework numbers it.

#include <cstdint>

enum TAlignment : uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
