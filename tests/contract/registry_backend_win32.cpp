// The real registry of the sandbox prefix, reached through the Win32 adapter.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <winternl.h>

#include <string>
#include <vector>

#include "contract/registry_backend.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_registry.h"

namespace keldra::testing {
namespace {

using platform::win32::UniqueHKey;

std::wstring Wide(std::string_view utf8) {
    const std::u16string u16 = text::Utf8ToUtf16(utf8);
    return std::wstring(u16.begin(), u16.end());
}

// The string form of the user's SID, which names the user's branch of HKEY_USERS.
std::wstring CurrentUserSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return {};
    }
    const platform::win32::UniqueKernelHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    wchar_t* text = nullptr;
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
        return {};
    }
    std::wstring sid(text);
    LocalFree(text);
    return sid;
}

// Replaces a key's access list; nullptr for `acl` means "no list": everyone may do all.
bool SetKeyAcl(HKEY root, const std::wstring& path, PACL acl) {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, WRITE_DAC, &raw) != ERROR_SUCCESS) {
        return false;
    }
    const UniqueHKey key(raw);
    SECURITY_DESCRIPTOR sd;
    if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE)) {
        return false;
    }
    return RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
}

// Gives every key of a tree back all rights, so that it can be deleted.
void GrantAllBelow(HKEY root, const std::wstring& path) {
    SetKeyAcl(root, path, nullptr);
    HKEY raw = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) {
        return;
    }
    const UniqueHKey key(raw);
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0; RegEnumKeyW(key.get(), i, name, 256) == ERROR_SUCCESS; ++i) {
        children.emplace_back(name);
    }
    for (const auto& child : children) {
        GrantAllBelow(root, path + L"\\" + child);
    }
}

class Win32Backend final : public RegistryBackend {
  public:
    platform::RegistryPort& Port() override { return reg_; }

    bool DeleteTree(platform::RegKey root, std::string_view path) override {
        HKEY nativeRoot = reg_.Native(root);
        const std::wstring wide = Wide(path);
        GrantAllBelow(nativeRoot, wide);
        return RegDeleteTreeW(nativeRoot, wide.c_str()) == ERROR_SUCCESS;
    }

    bool Deny(platform::RegKey root, std::string_view path, bool read, bool write) override {
        if (read && write) {
            ACL empty;
            if (!InitializeAcl(&empty, sizeof empty, ACL_REVISION)) {
                return false;
            }
            return SetKeyAcl(reg_.Native(root), Wide(path), &empty);
        }
        // One entry for everyone with the rights that remain.
        const DWORD remaining = STANDARD_RIGHTS_REQUIRED |
                                (read ? (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK)
                                      : (KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY));
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0,
                                      &everyone)) {
            return false;
        }
        std::vector<BYTE> aclBuffer(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) +
                                    GetLengthSid(everyone));
        auto* acl = reinterpret_cast<PACL>(aclBuffer.data());
        const bool ok = InitializeAcl(acl, static_cast<DWORD>(aclBuffer.size()), ACL_REVISION) &&
                        AddAccessAllowedAce(acl, ACL_REVISION, remaining, everyone) &&
                        SetKeyAcl(reg_.Native(root), Wide(path), acl);
        FreeSid(everyone);
        return ok;
    }

    bool CreateLink(platform::RegKey root, std::string_view path, platform::RegKey targetRoot,
                    std::string_view targetPath) override {
        std::wstring target;
        if (targetRoot == platform::reg_root::kCurrentUser) {
            const std::wstring sid = CurrentUserSid();
            if (sid.empty()) {
                return false;
            }
            target = L"\\Registry\\User\\" + sid;
        } else if (targetRoot == platform::reg_root::kLocalMachine) {
            target = L"\\Registry\\Machine";
        } else {
            return false;
        }
        target += L"\\" + Wide(targetPath);
        HKEY raw = nullptr;
        if (RegCreateKeyExW(reg_.Native(root), Wide(path).c_str(), 0, nullptr,
                            REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &raw,
                            nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const UniqueHKey key(raw);
        // The target as the kernel names it, without a terminating NUL.
        return RegSetValueExW(key.get(), L"SymbolicLinkValue", 0, REG_LINK,
                              reinterpret_cast<const BYTE*>(target.data()),
                              static_cast<DWORD>(target.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
    }

    bool DeleteLink(platform::RegKey root, std::string_view path) override {
        HKEY raw = nullptr;
        if (RegOpenKeyExW(reg_.Native(root), Wide(path).c_str(), REG_OPTION_OPEN_LINK,
                          DELETE | KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) {
            return false;
        }
        const UniqueHKey key(raw);
        // Only the native call deletes the link key itself rather than its target.
        using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
        const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
        return ntDeleteKey != nullptr && ntDeleteKey(key.get()) == 0;
    }

    bool MakeKeyNamedWithNul(platform::RegKey root, std::string_view parent,
                             std::string_view name) override {
        return NativeKey(root, parent, name, true);
    }
    bool DeleteKeyNamedWithNul(platform::RegKey root, std::string_view parent,
                               std::string_view name) override {
        return NativeKey(root, parent, name, false);
    }

    std::size_t OpenHandleCount() const override { return reg_.OpenHandleCount(); }

  private:
    // Creates the key `name` below `parent` through NtCreateKey, whose counted name may hold
    // a NUL; or opens it and deletes it.
    bool NativeKey(platform::RegKey root, std::string_view parent, std::string_view name,
                   bool create) {
        HKEY raw = nullptr;
        if (RegOpenKeyExW(reg_.Native(root), Wide(parent).c_str(), 0, KEY_ALL_ACCESS, &raw) !=
            ERROR_SUCCESS) {
            return false;
        }
        const UniqueHKey parentKey(raw);
        std::wstring wide = Wide(name);
        UNICODE_STRING text;
        text.Buffer = wide.data();
        text.Length = static_cast<USHORT>(wide.size() * sizeof(wchar_t));
        text.MaximumLength = text.Length;
        OBJECT_ATTRIBUTES attributes{};
        attributes.Length = sizeof attributes;
        attributes.RootDirectory = parentKey.get();
        attributes.ObjectName = &text;
        attributes.Attributes = OBJ_CASE_INSENSITIVE;
        using NtCreateKeyFn = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, OBJECT_ATTRIBUTES*, ULONG,
                                           UNICODE_STRING*, ULONG, ULONG*);
        using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        const auto ntCreateKey = reinterpret_cast<NtCreateKeyFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateKey")));
        const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
        HANDLE key = nullptr;
        if (ntCreateKey == nullptr || ntDeleteKey == nullptr ||
            ntCreateKey(&key, KEY_ALL_ACCESS, &attributes, 0, nullptr, 0, nullptr) != 0) {
            return false;
        }
        const UniqueHKey made(static_cast<HKEY>(key));
        return create || ntDeleteKey(key) == 0;
    }

    platform::win32::Win32Registry reg_;
};

}  // namespace

std::unique_ptr<RegistryBackend> MakeWin32RegistryBackend() {
    return std::make_unique<Win32Backend>();
}

}  // namespace keldra::testing
