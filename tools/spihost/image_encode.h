// PNG and BMP files made from an RgbImage, through stb_image_write. Free of
// Windows headers.
#pragma once

#include <cstdint>
#include <vector>

#include "dib_image.h"

// False when the picture is empty or the encoder fails.
bool EncodePng(const RgbImage& image, std::vector<std::uint8_t>& out);
bool EncodeBmp(const RgbImage& image, std::vector<std::uint8_t>& out);
