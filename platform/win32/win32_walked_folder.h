#pragma once
// Folder listings through the folder's own handle, and the junk walk's folders, whose
// files and subfolders are opened relative to that handle.

#include <memory>
#include <string_view>
#include <vector>

#include "platform/file_port.h"

namespace keldra::platform::win32 {

// The room a listing request fills, reused from folder to folder by its owner.
using ListingBuffer = std::vector<unsigned char>;

// One folder's entries (FileIdBothDirectoryInfo of the folder's handle). With `noFollow`
// the folder must be no reparse point and resolve to the path given.
FileStatus ListByPath(std::string_view folder, bool noFollow, ListingBuffer& buffer,
                      std::vector<FolderEntry>& entries);

// A start folder of the walk, judged as ListByPath with `noFollow` judges it. The folder
// and everything opened from it use `buffer`, which must outlive them.
FileStatus OpenWalkedStart(std::string_view folder, ListingBuffer& buffer,
                           std::unique_ptr<WalkedFolder>& opened);

}  // namespace keldra::platform::win32
