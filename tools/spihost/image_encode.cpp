#include "image_encode.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

void Collect(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

bool Usable(const RgbImage& image) {
  return image.width > 0 && image.height > 0 &&
         image.rgb.size() == static_cast<std::size_t>(image.width) * image.height * 3;
}

}  // namespace

bool EncodePng(const RgbImage& image, std::vector<std::uint8_t>& out) {
  out.clear();
  if (!Usable(image)) return false;
  return stbi_write_png_to_func(Collect, &out, image.width, image.height, 3, image.rgb.data(),
                                image.width * 3) != 0;
}

bool EncodeBmp(const RgbImage& image, std::vector<std::uint8_t>& out) {
  out.clear();
  if (!Usable(image)) return false;
  return stbi_write_bmp_to_func(Collect, &out, image.width, image.height, 3, image.rgb.data()) != 0;
}
