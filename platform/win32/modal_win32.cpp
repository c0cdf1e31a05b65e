// The modal loop of a form: its owner disabled, a nested message loop.
#include "platform/win32/view_win32.h"

namespace tavo::win32 {

int Form::runModal(HWND owner) {
  if (!window_ || modal_) return 0;
  modal_ = true;
  modalDone_ = false;
  modalResult_ = 0;
  bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  HWND first = GetNextDlgTabItem(window_, nullptr, FALSE);
  if (first) SetFocus(first);
  MSG msg;
  while (!modalDone_ && window_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // A quit request belongs to the main loop: leave and hand it on.
      PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 0);
      break;
    }
    dispatchFormMessage(msg);
  }
  // The owner is enabled before this window goes, so activation returns to it.
  if (owner && ownerWasEnabled) EnableWindow(owner, TRUE);
  if (window_) {
    ShowWindow(window_, SW_HIDE);
    if (owner) SetActiveWindow(owner);
  }
  destroy();
  modal_ = false;
  return modalResult_;
}

void Form::endModal(int result) {
  modalResult_ = result;
  modalDone_ = true;
  // Wakes GetMessage when this is called from outside a message.
  if (window_) PostMessageW(window_, WM_NULL, 0, 0);
}

}  // namespace tavo::win32
