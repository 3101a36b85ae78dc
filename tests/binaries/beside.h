#pragma once
// Paths of the files the tests find beside their own executable.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace keldra::testing {

inline std::wstring BesideTestProgram(std::wstring_view name) {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            std::wstring folder(path.data(), n);
            folder.erase(folder.find_last_of(L"\\/") + 1);
            return folder.append(name);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace keldra::testing
