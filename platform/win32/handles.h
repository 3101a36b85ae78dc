#pragma once
// Owning wrappers for the Win32 handles the adapters hold.

#include <windows.h>

#include <utility>

// The process port has a member named like this macro of <windows.h>; the adapters call
// the W function by its own name, so the macro would only rename the override.
#undef SetCurrentDirectory

namespace keldra::platform::win32 {

template <typename Traits>
class UniqueHandle {
  public:
    using Value = typename Traits::Value;

    UniqueHandle() = default;
    explicit UniqueHandle(Value value) : value_(value) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : value_(std::exchange(other.value_, Traits::kNone)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.value_, Traits::kNone));
        }
        return *this;
    }

    Value get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::kNone; }
    Value release() { return std::exchange(value_, Traits::kNone); }
    // Closes the held handle and returns the status of the close.
    auto reset(Value value = Traits::kNone) {
        const Value old = std::exchange(value_, value);
        return old != Traits::kNone ? Traits::Close(old) : Traits::kCloseNothing;
    }

  private:
    Value value_ = Traits::kNone;
};

struct HKeyTraits {
    using Value = HKEY;
    static constexpr HKEY kNone = nullptr;
    static constexpr LSTATUS kCloseNothing = ERROR_SUCCESS;
    static LSTATUS Close(HKEY key) { return RegCloseKey(key); }
};
using UniqueHKey = UniqueHandle<HKeyTraits>;

struct KernelHandleTraits {
    using Value = HANDLE;
    static inline const HANDLE kNone = nullptr;
    static constexpr BOOL kCloseNothing = TRUE;
    static BOOL Close(HANDLE h) { return CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct HwndTraits {
    using Value = HWND;
    static constexpr HWND kNone = nullptr;
    static constexpr BOOL kCloseNothing = TRUE;
    static BOOL Close(HWND window) { return DestroyWindow(window); }
};
// A window this code created; child windows are destroyed with their parent, so a
// control's handle is released (not destroyed) once the parent has gone.
using UniqueHwnd = UniqueHandle<HwndTraits>;

struct HModuleTraits {
    using Value = HMODULE;
    static constexpr HMODULE kNone = nullptr;
    static constexpr BOOL kCloseNothing = TRUE;
    static BOOL Close(HMODULE module) { return FreeLibrary(module); }
};
using UniqueHModule = UniqueHandle<HModuleTraits>;

// Icons loaded without LR_SHARED (or copied); shared ones belong to the system.
struct HIconTraits {
    using Value = HICON;
    static constexpr HICON kNone = nullptr;
    static constexpr BOOL kCloseNothing = TRUE;
    static BOOL Close(HICON icon) { return DestroyIcon(icon); }
};
using UniqueHIcon = UniqueHandle<HIconTraits>;

template <typename GdiObject>
struct GdiObjectTraits {
    using Value = GdiObject;
    static constexpr GdiObject kNone = nullptr;
    static constexpr BOOL kCloseNothing = TRUE;
    static BOOL Close(GdiObject object) { return DeleteObject(object); }
};
using UniqueHFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using UniqueHBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;

// The screen's device context from GetDC(nullptr).
struct ScreenDcTraits {
    using Value = HDC;
    static constexpr HDC kNone = nullptr;
    static constexpr int kCloseNothing = 1;
    static int Close(HDC dc) { return ReleaseDC(nullptr, dc); }
};
using UniqueScreenDc = UniqueHandle<ScreenDcTraits>;

// A device context from CreateCompatibleDC.
struct MemoryDcTraits {
    using Value = HDC;
    static constexpr HDC kNone = nullptr;
    static constexpr BOOL kCloseNothing = TRUE;
    static BOOL Close(HDC dc) { return DeleteDC(dc); }
};
using UniqueMemoryDc = UniqueHandle<MemoryDcTraits>;

}  // namespace keldra::platform::win32
