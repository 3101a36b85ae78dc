#include "disk/drive_list.h"

#include <cctype>

#include "sysinfo/system_texts.h"

namespace keldra::disk {

std::string MegabyteText(std::uint64_t bytes, std::string_view separator) {
    constexpr std::uint64_t kMegabyte = 1024 * 1024;
    // Rounded half up, in whole numbers, so that no count is too large to be exact.
    const std::uint64_t megabytes = bytes / kMegabyte + (bytes % kMegabyte >= kMegabyte / 2);
    return sysinfo::GroupedNumber(megabytes, separator) + " MB";
}

void DriveList::FillDrives() {
    const bool alreadyFilled = !rows_.empty();
    const std::string separator = system_.GroupSeparator();
    bool added = false;
    for (const std::string& root : sysinfo::LogicalDriveRoots(volumes_)) {
        if (system_.DriveType(root) != "Fixed drive" || alreadyFilled) {
            continue;
        }
        DriveRow row;
        for (const char c : root.substr(0, 2)) {
            row.Unidad.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        }
        row.Disco = system_.VolumeLabel(root);
        row.Capacidad = MegabyteText(TotalBytes(root), separator);
        row.EspacioLibre = MegabyteText(FreeBytes(root), separator);
        rows_.push_back(std::move(row));
        added = true;
    }
    if (added) {
        Changed();
    }
}

std::uint64_t DriveList::FreeBytes(std::string_view root) {
    platform::DiskSpace space;
    if (volumes_.DiskFreeSpaceEx(root, space) != platform::file_status::kSuccess) {
        return 0;
    }
    return space.totalFreeBytes;
}

std::uint64_t DriveList::TotalBytes(std::string_view root) {
    platform::DiskSpace space;
    if (volumes_.DiskFreeSpaceEx(root, space) != platform::file_status::kSuccess) {
        return 0;
    }
    return space.totalBytes;
}

void DriveList::Clear() {
    rows_.clear();
    Changed();
}

void DriveList::Changed() const {
    if (onChanged) {
        onChanged();
    }
}

std::string DriveRows::CellText(std::size_t row, std::size_t column) const {
    const auto& rows = drives_.Rows();
    if (row >= rows.size()) {
        return {};
    }
    switch (column) {
        case 0:
            return rows[row].Unidad;
        case 1:
            return rows[row].Disco;
        case 2:
            return rows[row].EspacioLibre;
        case 3:
            return rows[row].Capacidad;
        default:
            return {};
    }
}

}  // namespace keldra::disk
