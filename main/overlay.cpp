#include "main/overlay.h"

#include "platform/layout.h"

namespace tavo {

namespace {

// The caption buttons' room at 96 DPI, in logical pixels.
constexpr int kButtonsRoom = 144;

bool coversMonitor(const Rect& r, const Rect& m) {
  return r.left <= m.left && r.top <= m.top && r.right >= m.right && r.bottom >= m.bottom;
}

}  // namespace

bool drawsOwnTitleBar(const WindowFrame& f) {
  if (!f.visible || f.minimized || f.toolWindow || f.hung) return false;
  return f.client.top - f.window.top <= f.frameWidth && !coversMonitor(f.window, f.monitor);
}

OverlayPlace overlayPlace(const WindowFrame& f) {
  const int room = twipsToPixels(kButtonsRoom * kTwipsPerInch / 96, f.dpi);
  return {static_cast<int>(f.window.right) - room, static_cast<int>(f.client.top), f.captionHeight, f.dpi};
}

}  // namespace tavo
