#pragma once
// Owning wrappers for the Win32 handles the adapters hold.

#include <windows.h>

#include <utility>

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

}  // namespace keldra::platform::win32
