#pragma once
// The registry problems a scan found, in the order found; the registry results window
// shows them and the repair works through them.

#include <cstdint>
#include <string>
#include <vector>

namespace keldra::registry {

struct Problem {
    std::string location;  // root name and key path
    std::string valueName;
    std::string valueData;
    std::string reason;
    std::string type;
    std::string attributes;
    std::uint32_t root = 0;
};

struct ProblemList {
    std::vector<Problem> rows;
    std::size_t Count() const { return rows.size(); }
    void Clear() { rows.clear(); }
};

}  // namespace keldra::registry
