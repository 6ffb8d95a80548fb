#include "apps/render/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace brindlemar {
namespace {

// libpng reports errors by jumping back to the setjmp; no object with a
// destructor may live in this frame.
bool WriteImage(png_structp png, png_infop info, std::FILE* file, int32_t width, int32_t height,
                const uint8_t* rgb) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  size_t rowBytes = static_cast<size_t>(width) * 3;
  for (int32_t y = 0; y < height; ++y) png_write_row(png, rgb + static_cast<size_t>(y) * rowBytes);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WritePng(const std::string& path, int32_t width, int32_t height, const uint8_t* rgb, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = "cannot create " + path + ": " + std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info && WriteImage(png, info, file, width, height, rgb);
  png_destroy_write_struct(&png, &info);
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    error = "cannot write " + path;
    std::remove(path.c_str());
  }
  return ok;
}

}  // namespace brindlemar
