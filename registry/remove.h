#pragma once
// Registry repair: every ticked row of the problem list is tried once, in order; an unticked
// one stays untouched, with no backup entry. A row's value is
// backed up and then deleted; a row whose value was deleted leaves the list, any other row
// stays where it was. Only values are deleted, never keys.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/process_port.h"
#include "platform/registry_port.h"
#include "platform/text_file_port.h"
#include "platform/ui_port.h"
#include "registry/problem_list.h"

namespace keldra::registry {

struct RepairPorts {
    platform::RegistryPort& registry;
    platform::TextFilePort& files;
    const platform::ProcessPort& process;
    platform::ui::UiPort& ui;
};

// The root key handle named by the text before the first backslash, blanks around it
// trimmed and matched with case; 0 when it names none or there is no backslash.
platform::RegKey StripHkey(std::string_view strkey);

// The text after the first backslash; all of it when there is none.
std::string SplitSubKey(std::string_view strkey);

// Repairs every row of `problems`: a value is deleted only once its backup entry is on disk.
// Pending window events run after each row.
void Remove(ProblemList& problems, const RepairPorts& ports);

}  // namespace keldra::registry
