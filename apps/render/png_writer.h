// Writes a picture of 8-bit red, green, blue pixels, rows from the top, as a
// PNG file through libpng. The file holds nothing but the picture (no time
// or text chunks), so the same pixels always give the same bytes.
#pragma once

#include <cstdint>
#include <string>

namespace brindlemar {

// False, with a message in error, when the file cannot be written; a file
// left half-written is removed.
bool WritePng(const std::string& path, int32_t width, int32_t height, const uint8_t* rgb, std::string& error);

}  // namespace brindlemar
