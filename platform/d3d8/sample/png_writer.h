// Writes 32-bit B, G, R, A rows as an RGB PNG file.
#pragma once

#include <cstdint>

bool WritePng(const char* path, const uint8_t* bgra, int width, int height, int pitch);
