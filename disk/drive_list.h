#pragma once
// The drive list: one row per local fixed drive, with its label, free space and
// capacity. The disk clean walks the drives of these rows, in row order.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui_port.h"
#include "platform/volume_port.h"
#include "sysinfo/system.h"

namespace keldra::disk {

struct DriveRow {
    std::string Unidad;        // "C:"
    std::string Disco;         // the volume label
    std::string EspacioLibre;  // "38,154 MB"
    std::string Capacidad;     // "95,367 MB"
};

// Bytes as whole megabytes (rounded), digits grouped by `separator`, then " MB"; below
// half a megabyte the number is left out.
std::string MegabyteText(std::uint64_t bytes, std::string_view separator);

class DriveList {
  public:
    DriveList(platform::VolumePort& volumes, sysinfo::System& system)
        : volumes_(volumes), system_(system) {}

    // Adds a row for every fixed drive, in the platform's order, unless the list has rows
    // already: then it stays as it is.
    void FillDrives();
    // The drive's total free bytes (not only what the user's quota leaves); 0 on failure.
    std::uint64_t FreeBytes(std::string_view root);
    std::uint64_t TotalBytes(std::string_view root);

    const std::vector<DriveRow>& Rows() const { return rows_; }
    void Clear();

    // Whoever shows the list hears of every change here.
    std::function<void()> onChanged;

  private:
    void Changed() const;

    platform::VolumePort& volumes_;
    sysinfo::System& system_;
    std::vector<DriveRow> rows_;
};

// The drive list as a list view reads it: drive, label, free space, capacity.
class DriveRows final : public platform::ui::ListRows {
  public:
    explicit DriveRows(const DriveList& drives) : drives_(drives) {}
    std::size_t RowCount() const override { return drives_.Rows().size(); }
    std::string CellText(std::size_t row, std::size_t column) const override;

  private:
    const DriveList& drives_;
};

}  // namespace keldra::disk
