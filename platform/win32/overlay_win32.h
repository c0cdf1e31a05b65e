#pragma once
// The overlay clock: a small window of Tavo's own on the title bar of a
// window that draws its own. Made on the first show, hidden rather than
// destroyed, gone with Tavo.
#include <windows.h>

#include <string>

#include "platform/ports.h"
#include "platform/win32/handle_win32.h"

namespace tavo::win32 {

class OverlayWindow : public Overlay {
 public:
  static constexpr const wchar_t* kClassName = L"TavoOverlay";

  OverlayWindow() = default;
  OverlayWindow(const OverlayWindow&) = delete;
  OverlayWindow& operator=(const OverlayWindow&) = delete;
  ~OverlayWindow() override;

  void show(WindowHandle owner, int right, int top, int height, int dpi, std::u16string_view text) override;
  void hide() override;

  HWND hwnd() const { return window_; }

 private:
  static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  bool create();
  void useFont(int dpi);
  int textWidth() const;

  FontHandle font_;  // freed after the window, which may still paint with it
  int fontDpi_ = 0;
  HWND window_ = nullptr;
  HWND owner_ = nullptr;
  std::wstring text_;
  RECT placed_{};
};

}  // namespace tavo::win32
