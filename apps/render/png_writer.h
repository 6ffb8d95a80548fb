// Writes a picture of 8-bit red, green, blue pixels, rows from the top, as a
// PNG file through libpng. The file holds nothing but the picture (no time
// or text chunks), so the same pixels always give the same bytes.
//
// A file or a missing path is replaced whole: the picture goes into a
// temporary file beside it (beside the end of a chain of symbolic links) that
// is renamed into place once it is complete, so a failed write leaves what
// was there as it was. Something else at the path (a device, a pipe) is
// written in place. Nothing but the temporary file is ever removed.
#pragma once

#include <cstdint>
#include <string>

namespace brindlemar {

// False, with a message in error, when the file cannot be written.
bool WritePng(const std::string& path, int32_t width, int32_t height, const uint8_t* rgb, std::string& error);

}  // namespace brindlemar
