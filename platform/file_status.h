#pragma once
// Status codes and attribute bits of the file ports, with the values Windows uses, so the
// logic and its tests see the same answers from the real machine and the simulated one.

#include <cstdint>

namespace keldra::platform {

// A Win32 error code (GetLastError): 0 on success.
using FileStatus = std::uint32_t;

namespace file_status {
inline constexpr FileStatus kSuccess = 0;
inline constexpr FileStatus kFileNotFound = 2;
inline constexpr FileStatus kPathNotFound = 3;
inline constexpr FileStatus kAccessDenied = 5;
inline constexpr FileStatus kNotSameDevice = 17;
inline constexpr FileStatus kNotReady = 21;
inline constexpr FileStatus kSharingViolation = 32;
inline constexpr FileStatus kBadNetPath = 53;
inline constexpr FileStatus kFileExists = 80;
inline constexpr FileStatus kInvalidParameter = 87;
inline constexpr FileStatus kInsufficientBuffer = 122;
inline constexpr FileStatus kInvalidName = 123;
inline constexpr FileStatus kDirNotRoot = 144;
inline constexpr FileStatus kDirNotEmpty = 145;
inline constexpr FileStatus kBadPathname = 161;
inline constexpr FileStatus kAlreadyExists = 183;
inline constexpr FileStatus kDirectory = 267;
// A folder or file that is, or lies behind, a link or junction, refused (ERROR_STOPPED_ON_SYMLINK).
inline constexpr FileStatus kStoppedOnLink = 681;
}  // namespace file_status

namespace file_attribute {
inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kSystem = 0x4;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
inline constexpr std::uint32_t kTemporary = 0x100;
inline constexpr std::uint32_t kReparsePoint = 0x400;
// What a failed attribute query returns (INVALID_FILE_ATTRIBUTES).
inline constexpr std::uint32_t kInvalid = 0xFFFFFFFF;
}  // namespace file_attribute

}  // namespace keldra::platform
