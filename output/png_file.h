#pragma once
#include <cstdint>
#include <span>
#include <vector>

// An 8-bit RGB raster (top row first, no row padding) as the bytes of a lossless PNG file.
// Empty when the raster does not match the size or libpng fails.
std::vector<unsigned char> EncodeRgbPng(std::span<const unsigned char> rgb, std::int32_t width,
                                        std::int32_t height);
