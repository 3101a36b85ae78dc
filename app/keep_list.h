#pragma once
// The items the user chose to keep: a registry row or a junk file unticked in a results
// window is remembered in the settings store (section "Keep" of the program's key), and in
// every later pass it is listed unticked, so that no fixing, by hand, automatic or
// scheduled, removes it. Ticking it again forgets it. Registry rows are matched by root,
// key path and value name exactly as stored; files by their full path without regard to
// case.
//
// The list is bounded: at most kMaxItems items of at most kMaxItemBytes each. A stored list
// that is damaged (a count that is no number or far too large, items that do not read)
// costs at most kMaxItems reads of the store, and what does not read is dropped; a pass
// never waits on it for longer.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "disk/junk_files.h"
#include "platform/settings_port.h"
#include "registry/problem_list.h"

namespace keldra::app {

inline constexpr std::string_view kKeepSection = "Keep";

class KeepList {
  public:
    static constexpr std::size_t kMaxItems = 1000;
    static constexpr std::size_t kMaxItemBytes = 16 * 1024;

    explicit KeepList(platform::SettingsPort& settings) : settings_(settings) {}

    // Reads the stored list again.
    void Load();
    std::size_t Count() const { return items_.size(); }

    bool Keeps(const registry::Problem& row) const;
    bool Keeps(const disk::JunkFile& file) const;

    // The user unticked or ticked an item. False when it could not be remembered (the list
    // is full, or the item too long): it then stays unticked for this pass only.
    bool Remember(const registry::Problem& row);
    bool Remember(const disk::JunkFile& file);
    void Forget(const registry::Problem& row);
    void Forget(const disk::JunkFile& file);

    // Unticks every listed item the list keeps; true when that changed a row.
    bool Apply(registry::ProblemList& problems) const;
    bool Apply(disk::JunkList& junk) const;

  private:
    void EnsureLoaded();
    bool Add(std::string item);
    void Drop(const std::string& item);
    // Writes the whole list, in order, and clears what a longer stored list held beyond it.
    void SaveAll();

    platform::SettingsPort& settings_;
    bool loaded_ = false;
    // What the store holds differs from the list read (items that did not read, a count
    // out of range): the next change writes the whole list.
    bool damaged_ = false;
    // Item keys beyond the list's end that the store may still hold.
    std::size_t storedSlots_ = 0;
    std::vector<std::string> items_;
    std::unordered_set<std::string> set_;
    bool anyFile_ = false;
};

}  // namespace keldra::app
