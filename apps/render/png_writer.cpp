#include "apps/render/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace brindlemar {
namespace {

namespace fs = std::filesystem;

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

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

// The picture into an open file, which is closed. errno tells why it failed.
bool WriteAndClose(std::FILE* file, int32_t width, int32_t height, const uint8_t* rgb) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  errno = 0;
  bool ok = png && info && WriteImage(png, info, file, width, height, rgb);
  png_destroy_write_struct(&png, &info);
  ok = std::fflush(file) == 0 && ok;
  int error = errno;
  ok = std::fclose(file) == 0 && ok;
  if (error != 0) errno = error;
  return ok;
}

// The end of the path's chain of symbolic links: what a write replaces.
fs::path LinkTarget(fs::path path, std::error_code& error) {
  for (int links = 0; links <= kMaxLinks; ++links) {
    if (!fs::is_symlink(path, error)) return path;
    fs::path to = fs::read_symlink(path, error);
    if (error) return {};
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return {};
}

std::string Why(int error) { return error != 0 ? std::strerror(error) : "write error"; }

}  // namespace

bool WritePng(const std::string& path, int32_t width, int32_t height, const uint8_t* rgb, std::string& error) {
  std::error_code failure;
  fs::path target = LinkTarget(path, failure);
  fs::file_status status = target.empty() ? fs::file_status() : fs::status(target, failure);
  if (target.empty() || (failure && failure != std::errc::no_such_file_or_directory)) {
    error = "cannot write " + path + ": " + failure.message();
    return false;
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    std::FILE* file = std::fopen(target.string().c_str(), "wb");
    if (!file || !WriteAndClose(file, width, height, rgb)) {
      error = "cannot write " + path + ": " + Why(errno);
      return false;
    }
    return true;
  }

  // A name of our own beside the target; "x" refuses one that exists.
  std::random_device random;
  std::FILE* file = nullptr;
  fs::path temp;
  for (int attempt = 0; !file && attempt < 100; ++attempt) {
    temp = target;
    temp += ".tmp-" + std::to_string(random() % 1000000);
    file = std::fopen(temp.string().c_str(), "wbx");
    if (!file && errno != EEXIST) break;
  }
  if (!file) {
    error = "cannot create a file beside " + path + ": " + Why(errno);
    return false;
  }
  bool ok = WriteAndClose(file, width, height, rgb);
  int why = errno;
  if (ok && fs::exists(status)) fs::permissions(temp, status.permissions(), failure);
  if (ok) {
    fs::rename(temp, target, failure);
    ok = !failure;
    why = failure.value();
  }
  if (!ok) {
    fs::remove(temp, failure);
    error = "cannot write " + path + ": " + Why(why);
  }
  return ok;
}

}  // namespace brindlemar
