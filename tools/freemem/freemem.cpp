// freemem.exe: asks the system to trim the working set of every process it may open, then
// exits. The program starts it for its memory step and only waits for it, so it shows no
// window and writes nothing; a process it cannot open or trim is skipped.
#include <windows.h>

#include <psapi.h>

#include <vector>

#include "platform/win32/handles.h"

namespace {

using keldra::platform::win32::UniqueKernelHandle;

std::vector<DWORD> ProcessIds() {
    std::vector<DWORD> ids(1024);
    for (;;) {
        const auto capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        DWORD used = 0;
        if (!EnumProcesses(ids.data(), capacity, &used)) {
            return {};
        }
        // A full buffer may have cut the list short.
        if (used < capacity) {
            ids.resize(used / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}

UniqueKernelHandle OpenForTrimming(DWORD pid) {
    // The limited right also opens processes of higher integrity; XP lacks it.
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_SET_QUOTA, FALSE, pid);
    if (process == nullptr) {
        process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_SET_QUOTA, FALSE, pid);
    }
    return UniqueKernelHandle(process);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    for (const DWORD pid : ProcessIds()) {
        if (pid == 0) {  // the idle process
            continue;
        }
        if (const UniqueKernelHandle process = OpenForTrimming(pid)) {
            // Both limits -1: remove as many pages as possible from the working set.
            SetProcessWorkingSetSize(process.get(), static_cast<SIZE_T>(-1),
                                     static_cast<SIZE_T>(-1));
        }
    }
    return 0;
}
