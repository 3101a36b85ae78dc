#include "app/keep_list.h"

#include <algorithm>
#include <cstdio>

#include "app/frm_main.h"
#include "platform/text.h"
#include "registry/remove.h"

namespace keldra::app {
namespace {

// A registry row: "R|" root in hex "|" length of the key path "|" key path, value name.
std::string RowItem(const registry::Problem& row) {
    const std::string keyPath = registry::SplitSubKey(row.location);
    char root[16];
    std::snprintf(root, sizeof root, "%X", registry::StripHkey(row.location));
    return "R|" + std::string(root) + "|" + std::to_string(keyPath.size()) + "|" + keyPath +
           row.valueName;
}

// A file: "F|" and its path in upper case, as Windows compares paths.
std::string FileItem(std::string_view path) {
    std::u16string units = text::Utf8ToUtf16(path);
    for (char16_t& unit : units) {
        unit = text::UpcaseUnit(unit);
    }
    return "F|" + text::Utf16ToUtf8(units);
}

bool Readable(std::string_view item) {
    if (item.starts_with("F|")) {
        return item.size() > 2;
    }
    if (!item.starts_with("R|")) {
        return false;
    }
    const std::size_t rootEnd = item.find('|', 2);
    if (rootEnd == std::string_view::npos || rootEnd == 2 || rootEnd > 10) {
        return false;
    }
    const std::size_t lengthEnd = item.find('|', rootEnd + 1);
    if (lengthEnd == std::string_view::npos || lengthEnd == rootEnd + 1 ||
        lengthEnd > rootEnd + 6) {
        return false;
    }
    const std::string_view length = item.substr(rootEnd + 1, lengthEnd - rootEnd - 1);
    if (!std::all_of(length.begin(), length.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const std::string_view root = item.substr(2, rootEnd - 2);
    if (!std::all_of(root.begin(), root.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); })) {
        return false;
    }
    return static_cast<std::size_t>(std::stoul(std::string(length))) <= item.size() - lengthEnd - 1;
}

std::string SlotKey(std::size_t slot) {
    return "Item" + std::to_string(slot + 1);
}

}  // namespace

void KeepList::Load() {
    loaded_ = true;
    items_.clear();
    set_.clear();
    anyFile_ = false;
    const long long stored = Val(settings_.GetSetting(kAppName, kKeepSection, "Count", "0"));
    const auto count = static_cast<std::size_t>(
        std::clamp<long long>(stored, 0, static_cast<long long>(kMaxItems)));
    bool damaged = count != static_cast<std::size_t>(std::max<long long>(stored, 0));
    for (std::size_t slot = 0; slot < count; ++slot) {
        std::string item = settings_.GetSetting(kAppName, kKeepSection, SlotKey(slot), "");
        if (item.size() > kMaxItemBytes || !Readable(item) || set_.contains(item)) {
            damaged = true;
            continue;
        }
        anyFile_ = anyFile_ || item.starts_with("F|");
        set_.insert(item);
        items_.push_back(std::move(item));
    }
    storedSlots_ = count;
    // The next change writes the list as read, without what did not read.
    damaged_ = damaged;
}

void KeepList::EnsureLoaded() {
    if (!loaded_) {
        Load();
    }
}

bool KeepList::Keeps(const registry::Problem& row) const {
    return set_.contains(RowItem(row));
}

bool KeepList::Keeps(const disk::JunkFile& file) const {
    return anyFile_ && set_.contains(FileItem(file.Path));
}

bool KeepList::Remember(const registry::Problem& row) {
    return Add(RowItem(row));
}

bool KeepList::Remember(const disk::JunkFile& file) {
    return Add(FileItem(file.Path));
}

void KeepList::Forget(const registry::Problem& row) {
    Drop(RowItem(row));
}

void KeepList::Forget(const disk::JunkFile& file) {
    Drop(FileItem(file.Path));
}

bool KeepList::Add(std::string item) {
    EnsureLoaded();
    if (set_.contains(item)) {
        return true;
    }
    if (items_.size() >= kMaxItems || item.size() > kMaxItemBytes) {
        return false;
    }
    anyFile_ = anyFile_ || item.starts_with("F|");
    set_.insert(item);
    items_.push_back(std::move(item));
    if (damaged_) {
        SaveAll();
        return true;
    }
    settings_.SaveSetting(kAppName, kKeepSection, SlotKey(items_.size() - 1), items_.back());
    settings_.SaveSetting(kAppName, kKeepSection, "Count", std::to_string(items_.size()));
    storedSlots_ = std::max(storedSlots_, items_.size());
    return true;
}

void KeepList::Drop(const std::string& item) {
    EnsureLoaded();
    if (!set_.erase(item)) {
        return;
    }
    items_.erase(std::find(items_.begin(), items_.end(), item));
    SaveAll();
}

void KeepList::SaveAll() {
    for (std::size_t slot = 0; slot < items_.size(); ++slot) {
        settings_.SaveSetting(kAppName, kKeepSection, SlotKey(slot), items_[slot]);
    }
    for (std::size_t slot = items_.size(); slot < storedSlots_; ++slot) {
        settings_.SaveSetting(kAppName, kKeepSection, SlotKey(slot), "");
    }
    settings_.SaveSetting(kAppName, kKeepSection, "Count", std::to_string(items_.size()));
    storedSlots_ = items_.size();
    damaged_ = false;
}

bool KeepList::Apply(registry::ProblemList& problems) const {
    bool changed = false;
    if (items_.empty()) {
        return changed;
    }
    for (registry::Problem& row : problems.rows) {
        if (row.marked && Keeps(row)) {
            row.marked = false;
            changed = true;
        }
    }
    return changed;
}

bool KeepList::Apply(disk::JunkList& junk) const {
    bool changed = false;
    if (!anyFile_) {
        return changed;
    }
    for (disk::JunkFile& file : junk.JunkFiles) {
        if (file.Marked && Keeps(file)) {
            file.Marked = false;
            changed = true;
        }
    }
    return changed;
}

}  // namespace keldra::app
