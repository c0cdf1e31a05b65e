#include "platform/layout.h"

#include <cmath>

namespace tavo {

int fontHeightPixels(double points, int dpiY) { return -static_cast<int>(std::lround(points * dpiY / 72.0)); }

TwipsRect controlRectTwips(std::span<const ControlSpec> controls, std::size_t index) {
  const ControlSpec& c = controls[index];
  TwipsRect r{c.left, c.top, c.left + c.width, c.top + c.height};
  // Frames may sit in frames; a broken parent index (not earlier in the
  // table) ends the walk rather than looping.
  std::size_t at = index;
  for (int p = c.parent; p >= 0 && static_cast<std::size_t>(p) < at; p = controls[p].parent) {
    at = static_cast<std::size_t>(p);
    r.left += controls[at].left;
    r.right += controls[at].left;
    r.top += controls[at].top;
    r.bottom += controls[at].top;
  }
  return r;
}

bool startsGroup(std::span<const ControlSpec> controls, std::size_t index) {
  const ControlSpec& c = controls[index];
  if (index == 0 || (c.flags & cf::kGroup) || c.kind == ControlKind::Frame) return true;
  const ControlSpec& prev = controls[index - 1];
  if (prev.kind == ControlKind::Frame || prev.parent != c.parent) return true;
  // Auto option buttons clear every option of their group: a run of options
  // must be a group of its own.
  return (prev.kind == ControlKind::Option) != (c.kind == ControlKind::Option);
}

RowRange groupOf(std::span<const ControlSpec> controls, std::size_t index) {
  RowRange r{index, index};
  while (r.first > 0 && !startsGroup(controls, r.first)) --r.first;
  while (r.last + 1 < controls.size() && !startsGroup(controls, r.last + 1)) ++r.last;
  return r;
}

}  // namespace tavo
