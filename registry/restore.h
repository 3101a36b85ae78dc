#pragma once
// Undoing the latest repair: the values whose entries follow the last repair comment of
// the backup file in use are written back, each with its own type and bytes, through the
// registry layer. The file in use is the one, among those a repair may write to, whose
// last repair comment is the latest. A value that exists again is left as it is; a file
// that cannot be read in full restores nothing.

#include <cstddef>
#include <string>
#include <vector>

#include "platform/registry_port.h"
#include "platform/text_file_port.h"

namespace keldra::registry {

struct RestoreOutcome {
    enum class Result {
        Done,        // the file was read and each of its values tried
        NoBackup,    // no file holds a repair of this program
        Unreadable,  // the file in use could not be read in full: nothing written
    };
    struct Value {
        std::string location;  // root name, a backslash, the key path
        std::string name;
        platform::RegStatus status = platform::reg_status::kSuccess;
    };

    Result result = Result::NoBackup;
    std::string file;
    std::size_t badLine = 0;  // from 1, when unreadable
    std::size_t total = 0;    // values of the latest repair
    std::size_t restored = 0;
    std::vector<Value> existing;  // left as they are
    std::vector<Value> failed;    // could not be written
};

RestoreOutcome RestoreLatestRepair(platform::RegistryPort& registry, platform::TextFilePort& files);

}  // namespace keldra::registry
