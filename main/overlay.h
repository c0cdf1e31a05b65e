#pragma once
// Which windows get the overlay clock and where it goes on them.
#include "platform/ports.h"

namespace tavo {

// Whether the window draws its own title bar: the system draws no caption
// above its client area. Only such a window, shown and answering, in a
// window short of full screen, gets the overlay.
bool drawsOwnTitleBar(const WindowFrame& frame);

// Where the overlay stands: right-aligned clear of the caption buttons,
// along the window's top edge (screen pixels at `dpi`).
struct OverlayPlace {
  int right = 0, top = 0, height = 0, dpi = 96;
  bool operator==(const OverlayPlace&) const = default;
};
OverlayPlace overlayPlace(const WindowFrame& frame);

}  // namespace tavo
