#include "platform/win32/win32_accessible.h"

#include <oleacc.h>

#include <atomic>
#include <string>
#include <utility>

// COM interfaces are released, never deleted through: they have no virtual destructor.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace keldra::platform::win32 {
namespace {

// Spelled out: MinGW's oleacc import library also exports IID_IAccessible, and a program
// linked against it would take the address of the import stub for the identifier.
constexpr IID kIAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// Everything but the role, the state and the default action comes from the object the
// system makes for a static control, so the name stays the label's text.
class LinkAccessible final : public IAccessible {
  public:
    LinkAccessible(HWND window, IAccessible* inner, std::function<bool()> isLink,
                   std::function<void()> follow)
        : window_(window), inner_(inner), isLink_(std::move(isLink)), follow_(std::move(follow)) {}
    LinkAccessible(const LinkAccessible&) = delete;
    LinkAccessible& operator=(const LinkAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, kIAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --count_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return inner_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return inner_->GetIDsOfNames(riid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argument) override {
        return inner_->Invoke(id, riid, locale, flags, params, result, exception, argument);
    }

    // IAccessible: what makes it a link.
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!Self(child) || !isLink_()) {
            return inner_->get_accRole(child, role);
        }
        if (role == nullptr) {
            return E_POINTER;
        }
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LINK;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT result = inner_->get_accState(child, state);
        if (SUCCEEDED(result) && Self(child) && isLink_() && state != nullptr &&
            state->vt == VT_I4) {
            state->lVal |= STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!Self(child) || !isLink_()) {
            return inner_->get_accDefaultAction(child, action);
        }
        if (action == nullptr) {
            return E_POINTER;
        }
        *action = SysAllocString(L"Jump");
        return *action != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!Self(child) || !isLink_()) {
            return inner_->accDoDefaultAction(child);
        }
        follow_();
        return S_OK;
    }

    // IAccessible: the rest as the static control's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return inner_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return inner_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return inner_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!Self(child)) {
            return inner_->get_accName(child, name);
        }
        if (name == nullptr) {
            return E_POINTER;
        }
        // The text as the label shows it: the standard object takes "&" for a mnemonic
        // and drops it, where the label (SS_NOPREFIX) shows it.
        const int length = GetWindowTextLengthW(window_);
        std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(window_, text.data(), length + 1)));
        *name = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *name != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return inner_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return inner_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return inner_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return inner_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return inner_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return inner_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return inner_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return inner_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return inner_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return inner_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

  private:
    ~LinkAccessible() { inner_->Release(); }
    static bool Self(const VARIANT& child) {
        return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
    }

    const HWND window_;
    IAccessible* const inner_;
    const std::function<bool()> isLink_;
    const std::function<void()> follow_;
    std::atomic<ULONG> count_{1};
};

}  // namespace

LRESULT LinkAccessibleObject(HWND window, WPARAM wParam, LPARAM lParam,
                             std::function<bool()> isLink, std::function<void()> follow) {
    if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) {
        return 0;
    }
    IAccessible* inner = nullptr;
    if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, kIAccessible,
                                         reinterpret_cast<void**>(&inner))) ||
        inner == nullptr) {
        return 0;
    }
    LinkAccessible* link = nullptr;
    try {
        link = new LinkAccessible(window, inner, std::move(isLink), std::move(follow));
    } catch (...) {
        inner->Release();
        return 0;
    }
    const LRESULT result = LresultFromObject(kIAccessible, wParam, link);
    link->Release();  // LresultFromObject holds its own reference
    return result > 0 ? result : 0;
}

}  // namespace keldra::platform::win32
