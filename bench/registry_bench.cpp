// The registry stage against a bare walk of the same keys, on a large generated registry.
//
//   keldra_bench.exe registry [keys] [valuesPerKey]
//
// Seeds HKCU\Software\KeldraBench (keys spread over three levels, a fifth of the values
// path-like, half of those dead), then times, alternately, a bare walk that enumerates
// the keys and values (names and data) of the eight scan locations with the same API, and
// the registry stage itself. Prints the best of three of each and their ratio.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/event_pump.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_ui.h"
#include "registry/mdl_registry.h"
#include "registry/registry_scan.h"

namespace {

using keldra::platform::RegKey;
namespace reg_root = keldra::platform::reg_root;
namespace mdl = keldra::mdlRegistry;

constexpr const wchar_t* kBenchKey = L"Software\\KeldraBench";

void Seed(int keys, int valuesPerKey) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
    CreateDirectoryW(L"C:\\keldra-bench", nullptr);
    for (int i = 0; i < 50; ++i) {
        const std::wstring file = L"C:\\keldra-bench\\live" + std::to_wstring(i) + L".dll";
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
        }
    }
    int value = 0;
    for (int k = 0; k < keys; ++k) {
        const std::wstring path = std::wstring(kBenchKey) + L"\\Vendor" + std::to_wstring(k % 40) +
                                  L"\\Product" + std::to_wstring(k % 500) + L"\\Key" +
                                  std::to_wstring(k);
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr) != ERROR_SUCCESS) {
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
            RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(data.c_str()),
                           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
}

// Enumerates one location's keys and values as the walks do, without judging anything.
class BareWalk {
  public:
    explicit BareWalk(keldra::platform::RegistryPort& registry) : registry_(registry) {}

    void Walk(RegKey root, std::string path, bool classKeyTest) {
        if (classKeyTest && keldra::registry::IsClassKeyPath(path)) {
            return;
        }
        const RegKey key = mdl::OpenKey(registry_, root, path);
        std::uint32_t subKeys = 0;
        std::uint32_t values = 0;
        mdl::QueryKeyInfo(registry_, key, subKeys, values);
        std::string name;
        std::string data;
        std::uint32_t type = 0;
        for (std::uint32_t i = 0; i < values; ++i) {
            mdl::EnumValue(registry_, key, i, name, data, type);
            bytes_ += name.size() + data.size();
        }
        for (std::uint32_t i = 0; i < subKeys; ++i) {
            const std::string sub = mdl::EnumSubKey(registry_, key, i);
            if (!sub.empty()) {
                Walk(root, path.empty() ? sub : path + "\\" + sub, classKeyTest);
            }
        }
        if (key != 0) {
            registry_.CloseKey(key);
        }
        ++keys_;
    }

    void AllLocations() {
        Walk(reg_root::kCurrentUser, "software", true);
        Walk(reg_root::kUsers, "", true);
        Walk(reg_root::kLocalMachine, "", true);
        Walk(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls",
             false);
        Walk(reg_root::kLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\VxD", true);
        Walk(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts", true);
        Walk(reg_root::kLocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
             true);
        // The file types: every extension key of the class root, and below it.
        const RegKey classes = mdl::OpenKey(registry_, reg_root::kClassesRoot, "");
        std::uint32_t subKeys = 0;
        std::uint32_t values = 0;
        mdl::QueryKeyInfo(registry_, classes, subKeys, values);
        for (std::uint32_t i = 0; i < subKeys; ++i) {
            const std::string sub = mdl::EnumSubKey(registry_, classes, i);
            if (!sub.empty() && sub.front() == '.') {
                Walk(reg_root::kClassesRoot, sub, true);
            }
        }
        registry_.CloseKey(classes);
        for (const char* start : {"software\\classes\\CLSID", "software\\classes\\TypeLib",
                                  "software\\classes\\interface"}) {
            Walk(reg_root::kLocalMachine, start, false);
        }
    }
    std::size_t keys_ = 0;
    std::size_t bytes_ = 0;

  private:
    keldra::platform::RegistryPort& registry_;
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

    BareWalk warm(registry);
    warm.AllLocations();
    double bare = 1e9;
    double staged = 1e9;
    std::size_t walkedKeys = warm.keys_;
    for (int round = 0; round < 3; ++round) {
        BareWalk walk(registry);
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
