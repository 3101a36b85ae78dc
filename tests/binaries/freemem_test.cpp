// freemem.exe as the program starts it: from the program's folder, waited for, exit code read.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "binaries/beside.h"
#include "platform/win32/handles.h"

namespace keldra::testing {
namespace {

using platform::win32::UniqueKernelHandle;

TEST(FreeMem, RunsQuietlyAndExitsZeroWithinTenSeconds) {
    const std::wstring path = BesideTestProgram(L"freemem.exe");
    // Its output, if any, lands in a pipe.
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE read_raw = nullptr;
    HANDLE write_raw = nullptr;
    ASSERT_TRUE(CreatePipe(&read_raw, &write_raw, &inherit, 1 << 16));
    const UniqueKernelHandle read_end(read_raw);
    UniqueKernelHandle write_end(write_raw);
    ASSERT_TRUE(SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0));

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nullptr;
    si.hStdOutput = write_end.get();
    si.hStdError = write_end.get();
    std::wstring command = L"\"" + path + L"\"";
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               nullptr, &si, &pi))
        << "could not start freemem.exe, error " << GetLastError();
    const UniqueKernelHandle process(pi.hProcess);
    const UniqueKernelHandle thread(pi.hThread);
    write_end.reset();

    ASSERT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0)
        << "freemem.exe still runs after 10 s";
    DWORD code = 1;
    ASSERT_TRUE(GetExitCodeProcess(process.get(), &code));
    EXPECT_EQ(code, 0u);

    // Every write end is closed now, so this returns at once: with the output or with none.
    char first = 0;
    DWORD got = 0;
    ReadFile(read_end.get(), &first, 1, &got, nullptr);
    EXPECT_EQ(got, 0u) << "freemem.exe wrote output";
}

TEST(FreeMem, IsAWindowsSubsystemProgram) {
    // A console program would flash a console window whenever the program starts it.
    HANDLE raw = CreateFileW(BesideTestProgram(L"freemem.exe").c_str(), GENERIC_READ,
                             FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    const UniqueKernelHandle file(raw);
    std::vector<char> head(4096);
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &got, nullptr));
    IMAGE_DOS_HEADER dos;
    ASSERT_GE(got, sizeof dos);
    std::memcpy(&dos, head.data(), sizeof dos);
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    IMAGE_NT_HEADERS nt;
    ASSERT_GE(got, dos.e_lfanew + sizeof nt);
    std::memcpy(&nt, head.data() + dos.e_lfanew, sizeof nt);
    ASSERT_EQ(nt.Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

}  // namespace
}  // namespace keldra::testing
