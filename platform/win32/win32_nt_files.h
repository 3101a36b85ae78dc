#pragma once
// The file calls below the Win32 ones that the walk and removal need: opening a name
// relative to an open folder, and what a handle says about its object, each in one call
// of ntdll (the Win32 wrappers ask for more than needed, and under Wine every request is
// a round trip to its server).

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_status.h"
#include "platform/win32/handles.h"

namespace keldra::platform::win32 {

// Wine's ntdll exports its version; Windows' does not.
bool RunningOnWine();

// Upper case as the file system compares names.
std::wstring Folded(std::wstring text);
std::wstring WithoutTrailingSeparators(std::wstring path);

// The DOS path a handle resolves to ("D:\x\y.tmp", every link and junction on the way
// followed, no "\\?\" prefix); a path of no drive stays as the platform gives it and
// matches no listed path.
FileStatus FinalPath(HANDLE handle, std::wstring& path);

// Opens `name`, one name of the folder `folder` names, relative to that open folder:
// nothing above it is looked up by name. `options` are NtCreateFile's (FILE_OPEN_...),
// the sharing is everything.
FileStatus OpenRelative(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG options,
                        UniqueFileHandle& opened);

// FileAttributeTagInformation: the attributes, the reparse bit set also where only the
// tag shows it.
FileStatus HandleAttributes(HANDLE handle, std::uint32_t& attributes);
// FileInternalInformation: the object's number on its volume.
FileStatus HandleFileId(HANDLE handle, std::uint64_t& fileId);
// When the data and the entry last changed (FileBasicInformation), in 100-ns ticks.
FileStatus HandleTimes(HANDLE handle, std::uint64_t& lastWriteTime, std::uint64_t& changeTime);
// FileStandardInformation: the number of names.
FileStatus HandleLinks(HANDLE handle, std::uint32_t& links);
// The volume serial of the handle's volume. Under Wine, where every such question goes
// to the mount manager (a round trip to another process, ~0.8 ms) and the answer
// follows the drive, it is asked once per drive letter of `finalPath`.
FileStatus HandleVolumeSerial(HANDLE handle, std::wstring_view finalPath, std::uint32_t& serial);

}  // namespace keldra::platform::win32
