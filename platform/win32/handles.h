#pragma once
// Owning wrappers for the Win32 handles the adapters hold.

#include <windows.h>

#include <commctrl.h>

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
    // For a function that hands a new handle out through a pointer (RegCreateKeyExW,
    // CreateProcessW): closes the one held and gives the place for the new one.
    Value* put() {
        reset();
        return &value_;
    }
    // Closes the held handle and returns the status of the close.
    auto reset(Value value = Traits::kNone) {
        const Value old = std::exchange(value_, value);
        return old != Traits::kNone ? Traits::Close(old) : Traits::kCloseNothing;
    }

  private:
    Value value_ = Traits::kNone;
};

// A handle type, "no handle" being nullptr, closed by `CloseFn`; `kNothing` is what
// closing an empty wrapper reports (the close function's own success value).
template <typename T, auto CloseFn, auto kNothing>
struct CloseWith {
    using Value = T;
    static constexpr T kNone = nullptr;
    static constexpr auto kCloseNothing = kNothing;
    static auto Close(T value) { return CloseFn(value); }
};

// A handle type whose "no handle" is INVALID_HANDLE_VALUE, as CreateFile and
// FindFirstFile return it.
template <auto CloseFn>
struct CloseInvalidWith {
    using Value = HANDLE;
    static inline const HANDLE kNone = INVALID_HANDLE_VALUE;
    static constexpr BOOL kCloseNothing = TRUE;
    static BOOL Close(HANDLE value) { return CloseFn(value); }
};

using UniqueHKey = UniqueHandle<CloseWith<HKEY, RegCloseKey, LSTATUS{ERROR_SUCCESS}>>;
using UniqueKernelHandle = UniqueHandle<CloseWith<HANDLE, CloseHandle, BOOL{TRUE}>>;
// A started process and its first thread, as CreateProcessW hands them out; the thread is
// closed first.
struct UniqueProcess {
    UniqueProcess() = default;
    explicit UniqueProcess(const PROCESS_INFORMATION& info)
        : process(info.hProcess), thread(info.hThread), processId(info.dwProcessId) {}

    UniqueKernelHandle process;
    UniqueKernelHandle thread;
    DWORD processId = 0;
};
// An open file (CreateFile) and a folder search (FindFirstFile).
using UniqueFileHandle = UniqueHandle<CloseInvalidWith<CloseHandle>>;
using UniqueFindHandle = UniqueHandle<CloseInvalidWith<FindClose>>;
// A window this code created; child windows are destroyed with their parent, so a
// control's handle is released (not destroyed) once the parent has gone.
using UniqueHwnd = UniqueHandle<CloseWith<HWND, DestroyWindow, BOOL{TRUE}>>;
using UniqueHModule = UniqueHandle<CloseWith<HMODULE, FreeLibrary, BOOL{TRUE}>>;
// Icons loaded without LR_SHARED (or copied); shared ones belong to the system.
using UniqueHIcon = UniqueHandle<CloseWith<HICON, DestroyIcon, BOOL{TRUE}>>;
using UniqueHFont = UniqueHandle<CloseWith<HFONT, DeleteObject, BOOL{TRUE}>>;
using UniqueHBitmap = UniqueHandle<CloseWith<HBITMAP, DeleteObject, BOOL{TRUE}>>;
// An image list of our own: list views that show it are made with LVS_SHAREIMAGELISTS, so
// that they leave it to us.
using UniqueHImageList = UniqueHandle<CloseWith<HIMAGELIST, ImageList_Destroy, BOOL{TRUE}>>;
// A device context from CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<CloseWith<HDC, DeleteDC, BOOL{TRUE}>>;

// The screen's device context from GetDC(nullptr).
inline int ReleaseScreenDc(HDC dc) {
    return ReleaseDC(nullptr, dc);
}
using UniqueScreenDc = UniqueHandle<CloseWith<HDC, ReleaseScreenDc, 1>>;

// A window's device context from GetDC(window), given back to that window.
class UniqueWindowDc {
  public:
    explicit UniqueWindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~UniqueWindowDc() {
        if (dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    UniqueWindowDc(const UniqueWindowDc&) = delete;
    UniqueWindowDc& operator=(const UniqueWindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// The C++ object a window procedure serves: handed over in CreateWindowEx's last argument
// and kept in the window's user data from WM_NCCREATE on.
template <typename T>
T* WindowObject(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace keldra::platform::win32
