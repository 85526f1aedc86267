// SPDX-License-Identifier: Zlib
#include "PngFiles.h"

#include <png.h>

#include <cstdio>

namespace media {

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void NoFlush(png_structp) {}

}  // namespace

bool Png_Read(const std::string& path, RgbaImage* image, std::string* error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    *error = path + ": " + png.message;
    return false;
  }
  png.format = PNG_FORMAT_RGBA;
  image->width = static_cast<int>(png.width);
  image->height = static_cast<int>(png.height);
  image->rgba.assign(PNG_IMAGE_SIZE(png), 0);
  if (!png_image_finish_read(&png, nullptr, image->rgba.data(), 0, nullptr)) {
    *error = path + ": " + png.message;
    png_image_free(&png);
    return false;
  }
  return true;
}

bool Png_Encode(const uint8_t* rgba, int width, int height, std::vector<uint8_t>* out, std::string* error) {
  out->clear();
  if (!rgba || width <= 0 || height <= 0) {
    *error = "PNG encoding: no pixels";
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *error = "PNG encoding failed";
    return false;
  }
  png_set_write_fn(png, out, AppendBytes, NoFlush);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t stride = static_cast<size_t>(width) * 4;
  for (int y = 0; y < height; ++y) png_write_row(png, const_cast<png_bytep>(rgba + static_cast<size_t>(y) * stride));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool Png_Write(const std::string& path, const uint8_t* rgba, int width, int height, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!Png_Encode(rgba, width, height, &bytes, error)) {
    *error = path + ": " + *error;
    return false;
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    *error = path + ": cannot be written";
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) *error = path + ": cannot be written";
  return ok;
}

}  // namespace media
