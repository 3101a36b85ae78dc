// The registry stage against a bare walk of the same keys, on a large generated registry.
//
//   keldra_bench.exe registry [keys] [valuesPerKey]
//
// Seeds HKCU\Software\KeldraBench (keys spread over three levels, a fifth of the values
// path-like, half of those dead), then times, alternately, a bare walk that enumerates
// the keys and values (names and data) of the eight scan locations with RegEnumKeyExW and
// RegEnumValueW alone, and the registry stage itself. Prints the best of three of each and their
// ratio.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/event_pump.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_ui.h"
#include "registry/registry_scan.h"

namespace {

using keldra::platform::win32::UniqueFileHandle;
using keldra::platform::win32::UniqueHKey;

constexpr const wchar_t* kBenchKey = L"Software\\KeldraBench";

void Seed(int keys, int valuesPerKey) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
    CreateDirectoryW(L"C:\\keldra-bench", nullptr);
    for (int i = 0; i < 50; ++i) {
        const std::wstring file = L"C:\\keldra-bench\\live" + std::to_wstring(i) + L".dll";
        const UniqueFileHandle created(
            CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    int value = 0;
    for (int k = 0; k < keys; ++k) {
        const std::wstring path = std::wstring(kBenchKey) + L"\\Vendor" + std::to_wstring(k % 40) +
                                  L"\\Product" + std::to_wstring(k % 500) + L"\\Key" +
                                  std::to_wstring(k);
        UniqueHKey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            key.put(), nullptr) != ERROR_SUCCESS) {
            continue;
        }
        for (int v = 0; v < valuesPerKey; ++v, ++value) {
            std::wstring data;
            if (value % 5 == 0) {
                data = value % 10 == 0
                           ? L"C:\\keldra-bench\\live" + std::to_wstring(value % 50) + L".dll"
                           : L"C:\\keldra-bench\\gone" + std::to_wstring(value % 300) + L".dll,0";
            } else {
                data = L"Setting text number " + std::to_wstring(value);
            }
            const std::wstring name = L"Value" + std::to_wstring(v);
            RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        }
    }
}

// Windows compares key names without regard to case.
bool HasClassesPart(const std::wstring& path) {
    std::wstring upper(path);
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    return upper.find(L"SOFTWARE\\CLASSES") != std::wstring::npos || upper == L"INTERFACE" ||
           upper == L"TYPELIB" || upper == L"CLSID";
}

// Enumerates the keys and values (names and data) of the same locations with the
// platform's own calls only, judging nothing: the least a walk of them can cost.
class BareWalk {
  public:
    void Walk(HKEY root, const std::wstring& path, bool classKeyTest) {
        if (classKeyTest && HasClassesPart(path)) {
            return;
        }
        ++keys_;
        UniqueHKey key;
        if (RegOpenKeyExW(root, path.empty() ? nullptr : path.c_str(), 0, KEY_READ, key.put()) !=
            ERROR_SUCCESS) {
            return;
        }
        DWORD subKeys = 0;
        DWORD longestSubKey = 0;
        DWORD values = 0;
        DWORD longestValueName = 0;
        DWORD longestData = 0;
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr,
                         &values, &longestValueName, &longestData, nullptr, nullptr);
        std::vector<wchar_t> name(std::max(longestSubKey, longestValueName) + 2);
        std::vector<BYTE> data(longestData + 2);
        for (DWORD i = 0; i < values; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataBytes = static_cast<DWORD>(data.size());
            DWORD type = 0;
            if (RegEnumValueW(key.get(), i, name.data(), &nameLength, nullptr, &type, data.data(),
                              &dataBytes) == ERROR_SUCCESS) {
                bytes_ += nameLength + dataBytes;
            }
        }
        for (DWORD i = 0; i < subKeys; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            if (RegEnumKeyExW(key.get(), i, name.data(), &nameLength, nullptr, nullptr, nullptr,
                              nullptr) == ERROR_SUCCESS &&
                nameLength > 0) {
                const std::wstring sub(name.data(), nameLength);
                Walk(root, path.empty() ? sub : path + L"\\" + sub, classKeyTest);
            }
        }
    }

    void AllLocations() {
        Walk(HKEY_CURRENT_USER, L"software", true);
        Walk(HKEY_USERS, L"", true);
        Walk(HKEY_LOCAL_MACHINE, L"", true);
        Walk(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
             false);
        Walk(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\VxD", true);
        Walk(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", true);
        Walk(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", true);
        // The file types: every extension key of the class root, and below it.
        UniqueHKey classes;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, nullptr, 0, KEY_READ, classes.put()) ==
            ERROR_SUCCESS) {
            wchar_t sub[256];
            for (DWORD i = 0;; ++i) {
                DWORD length = 256;
                const LSTATUS status = RegEnumKeyExW(classes.get(), i, sub, &length, nullptr,
                                                     nullptr, nullptr, nullptr);
                if (status == ERROR_NO_MORE_ITEMS) {
                    break;
                }
                if (status == ERROR_SUCCESS && length > 0 && sub[0] == L'.') {
                    Walk(HKEY_CLASSES_ROOT, std::wstring(sub, length), true);
                }
            }
        }
        for (const wchar_t* start : {L"software\\classes\\CLSID", L"software\\classes\\TypeLib",
                                     L"software\\classes\\interface"}) {
            Walk(HKEY_LOCAL_MACHINE, start, false);
        }
    }
    std::size_t keys_ = 0;
    std::size_t bytes_ = 0;
};

double Seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int RegistryBench(int argc, wchar_t** argv) {
    const int keys = argc > 2 ? _wtoi(argv[2]) : 20000;
    const int valuesPerKey = argc > 3 ? _wtoi(argv[3]) : 3;
    std::printf("seeding %d keys with %d values each...\n", keys, valuesPerKey);
    std::fflush(stdout);
    Seed(keys, valuesPerKey);

    keldra::platform::win32::Win32Registry registry;
    keldra::platform::win32::Win32FileSystem files;
    keldra::platform::win32::Win32Ui ui;
    keldra::platform::win32::Win32Process process;
    keldra::platform::EventPump pump(ui, process, 10);
    bool cancelled = false;
    keldra::registry::ProblemList problems;
    keldra::registry::RegistryScan scan({registry, files, [&] { pump.Point(); }, nullptr},
                                        cancelled, problems);

    BareWalk warm;
    warm.AllLocations();
    double bare = 1e9;
    double staged = 1e9;
    std::size_t walkedKeys = warm.keys_;
    for (int round = 0; round < 3; ++round) {
        BareWalk walk;
        auto start = std::chrono::steady_clock::now();
        walk.AllLocations();
        bare = std::min(bare, Seconds(start));
        problems.Clear();
        start = std::chrono::steady_clock::now();
        scan.FixRegistry();
        staged = std::min(staged, Seconds(start));
    }
    std::printf("registry: %zu keys walked, %zu problems found\n", walkedKeys, problems.Count());
    std::printf("registry: bare walk %.2f s, registry stage %.2f s, ratio %.2f\n", bare, staged,
                staged / bare);
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
    return 0;
}
