// The registry repair on the sandbox's real registry, undone by the sandbox's own registry
// editor: values of every type are backed up and deleted, "regedit /S" imports the repair's
// entries, and every value must be back with its type and bytes. Values the backup could
// not carry exactly must never have been deleted.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_text_file.h"
#include "registry/remove.h"
#include "registry/safe_reg.h"

namespace keldra::testing {
namespace {

using platform::win32::Narrow;
using platform::win32::UniqueHKey;
using platform::win32::UniqueKernelHandle;
using platform::win32::Wide;
using Bytes = std::vector<std::uint8_t>;

struct Stored {
    DWORD type = 0;
    Bytes data;
    friend bool operator==(const Stored&, const Stored&) = default;
};
using Snapshot = std::map<std::wstring, Stored>;

void PrintTo(const Stored& value, std::ostream* os) {
    *os << "type " << value.type << ", " << value.data.size() << " bytes:";
    for (const std::uint8_t b : value.data) {
        *os << ' ' << std::hex << static_cast<int>(b) << std::dec;
    }
}

Bytes Utf16(std::u16string_view text, bool terminated = true) {
    Bytes b = text::ToUtf16LeBytes(text);
    if (terminated) {
        b.insert(b.end(), {0, 0});
    }
    return b;
}

std::wstring WindowsFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetWindowsDirectoryW(folder, MAX_PATH);
    return folder;
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

// Runs the sandbox's registry editor with `arguments` and waits for it.
bool RunRegedit(const std::wstring& arguments) {
    const std::wstring program = WindowsFolder() + L"\\regedit.exe";
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &si, &pi)) {
        ADD_FAILURE() << "could not start regedit.exe, error " << GetLastError();
        return false;
    }
    const UniqueKernelHandle process(pi.hProcess);
    const UniqueKernelHandle thread(pi.hThread);
    if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.get(), 1);
        ADD_FAILURE() << "regedit.exe did not finish";
        return false;
    }
    return true;
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE raw = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        return {};
    }
    const UniqueKernelHandle file(raw);
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    return bytes;
}

bool WriteBytes(const std::wstring& path, std::string_view bytes) {
    HANDLE raw = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
        return false;
    }
    const UniqueKernelHandle file(raw);
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

// The line of a .reg file that starts with `first`, with its continuation lines.
std::string HexLines(std::string_view file, std::string_view first) {
    std::string lines;
    const std::size_t from = file.find(first);
    if (from == std::string_view::npos) {
        return lines;
    }
    std::size_t at = from;
    for (;;) {
        const std::size_t eol = file.find("\r\n", at);
        const std::string_view line = file.substr(at, eol - at);
        lines += std::string(line) + "\n";
        if (line.empty() || line.back() != '\\' || eol == std::string_view::npos) {
            return lines;
        }
        at = eol + 2;
    }
}

class RegeditRestore : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = L"Software\\KeldraRestore-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount());
        HKEY raw = nullptr;
        ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path_.c_str(), &raw), ERROR_SUCCESS);
        key_.reset(raw);
        // A time no other repair in this prefix wrote, to find this repair's entries.
        sim_.clock.SetNow({2031, 7, static_cast<int>(1 + GetCurrentProcessId() % 28),
                           static_cast<int>(GetTickCount() / 1000 % 24), 13, 57});
    }
    void TearDown() override {
        key_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }

    void Put(std::u16string_view name, DWORD type, const Bytes& data) {
        const std::wstring wide(name.begin(), name.end());
        // The platform ends string data with a NUL of its own when the unit after the data
        // happens to be zero; a non-zero one keeps the bytes exactly as given.
        Bytes copy = data;
        copy.insert(copy.end(), {0xFF, 0xFF});
        ASSERT_EQ(RegSetValueExW(key_.get(), wide.c_str(), 0, type, copy.data(),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS)
            << Narrow(wide);
    }

    Snapshot Values() const {
        Snapshot values;
        HKEY raw = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) {
            return values;
        }
        const UniqueHKey key(raw);
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD nameLength = 16384;
            DWORD type = 0;
            DWORD size = 0;
            if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS) {
                break;
            }
            Stored value{type, Bytes(size)};
            DWORD read = size;
            RegQueryValueExW(key.get(), name, nullptr, nullptr,
                             value.data.empty() ? nullptr : value.data.data(), &read);
            value.data.resize(read);
            values.emplace(std::wstring(name, nameLength), value);
        }
        return values;
    }

    std::string Location() const { return "HKEY_CURRENT_USER\\" + Narrow(path_); }

    // Restorable values of every type.
    void PutRestorableValues() {
        Put(u"Path \\ with \"quotes\"", REG_SZ, Utf16(u"C:\\Program Files\\\"App\"\\app.exe"));
        Put(u"", REG_SZ, Utf16(u"the default value"));
        Put(u"Expand", REG_EXPAND_SZ, Utf16(u"%SystemRoot%\\system32\\gone.dll"));
        Put(u"Multi", REG_MULTI_SZ,
            Utf16(std::u16string(u"first\0second\0caf\u00E9 \u20AC\0", 20)));
        Put(u"Dword", REG_DWORD, Bytes{0xEF, 0xBE, 0xAD, 0xDE});
        Bytes hundred(100);
        for (std::size_t i = 0; i < hundred.size(); ++i) {
            hundred[i] = static_cast<std::uint8_t>(i * 37 + 13);
        }
        Put(u"Binary", REG_BINARY, hundred);
        Put(u"None", REG_NONE, Bytes{1, 0, 0x0D, 0x0A});
        Put(u"Empty binary", REG_BINARY, Bytes{});
        Put(u"Empty none", REG_NONE, Bytes{});
        Put(u"Qword", REG_QWORD, Bytes{1, 2, 3, 4, 5, 6, 7, 0x80});
        Put(u"Short dword", REG_DWORD, Bytes{1, 2});
        Put(u"Long string \u00E9", REG_SZ, Utf16(std::u16string(1000, u'x') + u"\\\""));
        Put(u"Empty string", REG_SZ, Utf16(u""));
    }

    // Values a REGEDIT4 import could not give back exactly.
    void PutValuesTheBackupCannotCarry() {
        Put(u"Line break", REG_SZ, Utf16(u"a\r\nb"));
        Put(u"No terminator", REG_SZ, Utf16(u"abc", false));
        Put(u"Inner NUL", REG_SZ, Utf16(std::u16string(u"a\0b", 3)));
        Put(u"Outside the code page", REG_SZ, Utf16(u"\u4E00"));
        Put(u"\u4E00 name", REG_DWORD, Bytes{1, 0, 0, 0});
        Put(u"Expand without NUL", REG_EXPAND_SZ, Utf16(u"%TEMP%", false));
        Put(u"Multi outside", REG_MULTI_SZ, Utf16(std::u16string(u"\u0100\0", 2)));
    }

    // The repair of a row for every value there is.
    void RemoveEveryValue(const Snapshot& before, registry::ProblemList& problems) {
        for (const auto& [name, value] : before) {
            registry::Problem row;
            row.location = Location();
            row.valueName = Narrow(name);
            problems.rows.push_back(row);
        }
        platform::win32::Win32Registry reg;
        platform::win32::Win32TextFiles files;
        registry::Remove(problems, registry::RepairPorts{reg, files, sim_.process, sim_.ui});
    }

    // Only the restorable values went; the others kept their rows and their bytes.
    void OnlyTheRestorableWent(const Snapshot& before, const Snapshot& restorable,
                               const registry::ProblemList& problems) const {
        const Snapshot after = Values();
        EXPECT_EQ(after.size(), before.size() - restorable.size());
        for (const auto& [name, value] : before) {
            const bool gone = after.count(name) == 0;
            EXPECT_EQ(gone, restorable.count(name) == 1) << Narrow(name);
            if (!gone) {
                EXPECT_EQ(after.at(name), value) << Narrow(name);
            }
        }
        ASSERT_EQ(problems.Count(), after.size());
    }

    // This repair's entries, from its comment line on, in a file of their own.
    void WriteThisRepairsEntries(std::string& entries, std::wstring& restoreFile) {
        const std::string backup = ReadBytes(L"C:\\sysbackup.reg");
        ASSERT_EQ(backup.rfind("REGEDIT4\r\n", 0), 0u) << "the backup is on C:";
        const std::string comment = registry::RepairComment(sim_.process.Now());
        const std::size_t start = backup.find(comment);
        ASSERT_NE(start, std::string::npos) << comment;
        std::size_t end = backup.find("; Keldra Maintenance repair of ", start + comment.size());
        entries = backup.substr(start, end - start);
        restoreFile =
            TempFolder() + L"keldra-restore-" + std::to_wstring(GetCurrentProcessId()) + L".reg";
        ASSERT_TRUE(WriteBytes(restoreFile, "REGEDIT4\r\n\r\n" + entries));
    }

    // "regedit /S" of those entries puts every value back with its type and bytes.
    void TheRegistryEditorBringsBack(const Snapshot& before,
                                     const std::wstring& restoreFile) const {
        ASSERT_TRUE(RunRegedit(L"/S \"" + restoreFile + L"\""));
        DeleteFileW(restoreFile.c_str());
        const Snapshot restored = Values();
        for (const auto& [name, value] : before) {
            ASSERT_EQ(restored.count(name), 1u) << Narrow(name) << " is not back";
            EXPECT_EQ(restored.at(name), value) << Narrow(name);
        }
        EXPECT_EQ(restored.size(), before.size()) << "nothing more than there was";
    }

    // The hex lines wrap exactly where the registry editor wraps its own export.
    void TheHexLinesWrapAsTheEditorsExport(const std::string& entries) const {
        const std::wstring exportFile =
            TempFolder() + L"keldra-export-" + std::to_wstring(GetCurrentProcessId()) + L".reg";
        ASSERT_TRUE(RunRegedit(L"/E \"" + exportFile + L"\" \"" + Wide(Location()) + L"\""));
        const std::string exported = ReadBytes(exportFile);
        DeleteFileW(exportFile.c_str());
        ASSERT_GE(exported.size(), 2u);
        const std::u16string exportedText = text::FromUtf16LeBytes(
            std::span(reinterpret_cast<const std::uint8_t*>(exported.data()), exported.size()));
        const std::string ours = HexLines(entries, "\"Binary\"=hex:");
        EXPECT_FALSE(ours.empty());
        EXPECT_EQ(ours, HexLines(text::Utf16ToUtf8(exportedText), "\"Binary\"=hex:"));
        EXPECT_EQ(HexLines(entries, "\"Qword\"=hex(b):"),
                  HexLines(text::Utf16ToUtf8(exportedText), "\"Qword\"=hex(b):"));
    }

    std::wstring path_;
    UniqueHKey key_;
    platform::sim::SimPlatform sim_;
};

TEST_F(RegeditRestore, TheRegistryEditorBringsBackEveryRemovedValueByteForByte) {
    PutRestorableValues();
    const Snapshot restorable = Values();
    ASSERT_EQ(restorable.size(), 13u);
    PutValuesTheBackupCannotCarry();
    const Snapshot before = Values();
    ASSERT_EQ(before.size(), 20u);

    registry::ProblemList problems;
    RemoveEveryValue(before, problems);
    ASSERT_NO_FATAL_FAILURE(OnlyTheRestorableWent(before, restorable, problems));
    std::string entries;
    std::wstring restoreFile;
    ASSERT_NO_FATAL_FAILURE(WriteThisRepairsEntries(entries, restoreFile));
    ASSERT_NO_FATAL_FAILURE(TheRegistryEditorBringsBack(before, restoreFile));
    TheHexLinesWrapAsTheEditorsExport(entries);
}

}  // namespace
}  // namespace keldra::testing
