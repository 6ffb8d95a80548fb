// Result codes of the surface and display operations: 32-bit COM-style
// status values. Zero is success, failures are negative; codes from the
// platform's own display layer are passed through unchanged.
#pragma once

#include <cstdint>

namespace brindlemar {

using ResultCode = int32_t;

inline constexpr ResultCode kOk = 0;
inline constexpr ResultCode kInvalidArg = static_cast<int32_t>(0x80070057u);
inline constexpr ResultCode kUnexpected = static_cast<int32_t>(0x8000FFFFu);
inline constexpr ResultCode kOutOfMemory = static_cast<int32_t>(0x8007000Eu);
inline constexpr ResultCode kFail = static_cast<int32_t>(0x80004005u);

inline constexpr bool Failed(ResultCode code) { return code < 0; }

}  // namespace brindlemar
