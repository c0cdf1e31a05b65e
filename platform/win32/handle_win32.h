#pragma once
// Owners of the system's handles: one template, a way of letting go per kind.
#include <windows.h>

#include <utility>

namespace tavo::win32 {

template <class T, class Free>
class Handle {
 public:
  Handle() = default;
  explicit Handle(T value, Free free = {}) : value_(value), free_(free) {}
  Handle(Handle&& other) noexcept : value_(std::exchange(other.value_, T{})), free_(other.free_) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.value_, T{}));
      free_ = other.free_;
    }
    return *this;
  }
  ~Handle() { reset(); }

  T get() const { return value_; }
  explicit operator bool() const { return value_ != T{}; }
  // For a function that hands out a new handle through a pointer.
  T* out() {
    reset();
    return &value_;
  }
  void reset(T value = T{}) {
    if (value_) free_(value_);
    value_ = value;
  }

 private:
  T value_{};
  [[no_unique_address]] Free free_{};
};

struct CloseKey {
  void operator()(HKEY k) const { RegCloseKey(k); }
};
struct FreeModule {
  void operator()(HMODULE m) const { FreeLibrary(m); }
};
struct DeleteFont {
  void operator()(HFONT f) const { DeleteObject(f); }
};
struct CloseKernelObject {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct ReleaseWindowDc {
  HWND window = nullptr;
  void operator()(HDC dc) const { ReleaseDC(window, dc); }
};

using KeyHandle = Handle<HKEY, CloseKey>;
using ModuleHandle = Handle<HMODULE, FreeModule>;
using FontHandle = Handle<HFONT, DeleteFont>;
using KernelHandle = Handle<HANDLE, CloseKernelObject>;
using WindowDc = Handle<HDC, ReleaseWindowDc>;

// GetDC's device context of a window (of the screen for none), released with it.
inline WindowDc windowDc(HWND window) { return WindowDc(GetDC(window), ReleaseWindowDc{window}); }

}  // namespace tavo::win32
