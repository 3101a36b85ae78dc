// Custom actions of the installer package for the "Keldra Maintenance" logon entries that
// the program writes when its schedule is switched on. On removal they go with the program;
// only an entry that starts this installation's keldra.exe is deleted, one that names a copy
// elsewhere still starts that copy and stays. An upgrade keeps them: Windows skips the
// removal then, but Wine's msiexec removes the older version as if for good, so the new
// package remembers the entries before and writes them back after.
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <string>

#include "platform/win32/handles.h"

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunValueName = L"Keldra Maintenance";

using keldra::platform::win32::UniqueHKey;

// A Run key opened for reading and writing its values; empty when it cannot be opened.
UniqueHKey OpenRunKey(HKEY root, const wchar_t* path) {
    UniqueHKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY,
                      key.put()) != ERROR_SUCCESS) {
        key.release();  // what a failed open leaves there is no key
    }
    return key;
}

bool StartsWithIgnoringCase(const std::wstring& text, const std::wstring& prefix) {
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// The entry's text when it starts the program of this command (quoted path), else "".
std::wstring OurEntry(HKEY root, const std::wstring& command) {
    const UniqueHKey run = OpenRunKey(root, kRunKey);
    if (run.get() == nullptr) {
        return {};
    }
    wchar_t data[2048] = {};
    DWORD bytes = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(run.get(), kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(data),
                         &bytes) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    return StartsWithIgnoringCase(data, command) ? std::wstring(data) : std::wstring();
}

std::wstring Property(MSIHANDLE install, const wchar_t* name) {
    DWORD chars = 0;
    wchar_t empty[1] = L"";
    if (MsiGetPropertyW(install, name, empty, &chars) != ERROR_MORE_DATA) {
        return {};
    }
    std::wstring value(chars + 1, L'\0');
    chars = static_cast<DWORD>(value.size());
    if (MsiGetPropertyW(install, name, value.data(), &chars) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(chars);
    return value;
}

std::wstring ProgramCommand(std::wstring folder) {
    if (folder.empty()) {
        return {};
    }
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    return L"\"" + folder + L"keldra.exe\"";
}

void Restore(HKEY root, MSIHANDLE install) {
    const std::wstring data = Property(install, L"CustomActionData");
    if (data.empty()) {
        return;
    }
    UniqueHKey run;
    if (RegCreateKeyExW(root, kRunKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                        run.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(run.get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void RemoveIfOurs(HKEY root, const std::wstring& command) {
    if (OurEntry(root, command).empty()) {
        return;
    }
    const UniqueHKey run = OpenRunKey(root, kRunKey);
    if (run.get() != nullptr) {
        RegDeleteValueW(run.get(), kRunValueName);
    }
}

}  // namespace

// The program registers itself as "<folder>\keldra.exe" -auto (quoted path, then the word).
// Deferred; its data is the installation folder.
extern "C" UINT __stdcall RemoveLogonStart(MSIHANDLE install) {
    const std::wstring command = ProgramCommand(Property(install, L"CustomActionData"));
    if (!command.empty()) {
        RemoveIfOurs(HKEY_LOCAL_MACHINE, command);
        RemoveIfOurs(HKEY_CURRENT_USER, command);
    }
    return ERROR_SUCCESS;
}

// Immediate, before the older version is removed: the entries that start the program in
// INSTALLDIR, into the properties KELDRA_MACHINE_RUN and KELDRA_USER_RUN.
extern "C" UINT __stdcall RememberLogonStart(MSIHANDLE install) {
    const std::wstring command = ProgramCommand(Property(install, L"INSTALLDIR"));
    if (!command.empty()) {
        MsiSetPropertyW(install, L"KELDRA_MACHINE_RUN",
                        OurEntry(HKEY_LOCAL_MACHINE, command).c_str());
        MsiSetPropertyW(install, L"KELDRA_USER_RUN", OurEntry(HKEY_CURRENT_USER, command).c_str());
    }
    return ERROR_SUCCESS;
}

// Deferred, after the files are in place; the data is the remembered entry.
extern "C" UINT __stdcall RestoreMachineLogonStart(MSIHANDLE install) {
    Restore(HKEY_LOCAL_MACHINE, install);
    return ERROR_SUCCESS;
}

extern "C" UINT __stdcall RestoreUserLogonStart(MSIHANDLE install) {
    Restore(HKEY_CURRENT_USER, install);
    return ERROR_SUCCESS;
}
