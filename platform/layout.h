#pragma once
// The rules that turn a window's control table into places: twips and
// pixels, frames that hold controls, groups of the dialog manager, font
// sizes. Pure functions, so they are tested on every system; the Win32
// forms (platform/win32/view_win32.h) apply them.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tavo {

inline constexpr int kTwipsPerInch = 1440;

// Nearest whole pixel, halves away from zero.
constexpr int twipsToPixels(int twips, int dpi) {
  long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + kTwipsPerInch / 2) / kTwipsPerInch
                                      : -((-scaled + kTwipsPerInch / 2) / kTwipsPerInch));
}

constexpr int pixelsToTwips(int pixels, int dpi) {
  if (dpi <= 0) return 0;
  long long scaled = static_cast<long long>(pixels) * kTwipsPerInch;
  return static_cast<int>(scaled >= 0 ? (scaled + dpi / 2) / dpi : -((-scaled + dpi / 2) / dpi));
}

// The font height in pixels (negative: character height) for a size in points.
int fontHeightPixels(double points, int dpiY);

enum class ControlKind { Frame, Option, Check, Button, Label, Text, List };

inline constexpr int kNoParent = -1;

// Control flags.
namespace cf {
inline constexpr unsigned kDefault = 1u << 0;     // Enter clicks it
inline constexpr unsigned kCancel = 1u << 1;      // Esc clicks it
inline constexpr unsigned kGroup = 1u << 2;       // starts a group (frames and option runs do anyway)
inline constexpr unsigned kTabStop = 1u << 3;
inline constexpr unsigned kDisabled = 1u << 4;
inline constexpr unsigned kNumberOnly = 1u << 5;  // text box: digits only
inline constexpr unsigned kImeOff = 1u << 6;      // text box: no input method
inline constexpr unsigned kBold = 1u << 7;        // the bold variant of the form's font
inline constexpr unsigned kHidden = 1u << 8;
}  // namespace cf

struct ControlSpec {
  ControlKind kind;
  int id;
  std::u16string_view caption;
  int left, top, width, height;  // twips; inside a frame, relative to it
  int parent = kNoParent;        // row of the enclosing frame in the same table
  unsigned flags = 0;            // cf::
  int maxLength = 0;             // text boxes: 0 = the system's limit
  std::uint32_t extraStyle = 0;  // further window style bits of the system
};

struct TwipsRect {
  int left, top, right, bottom;
  bool operator==(const TwipsRect&) const = default;
};

// Absolute position of row `index`: frames add their own offsets.
TwipsRect controlRectTwips(std::span<const ControlSpec> controls, std::size_t index);

// Whether row `index` begins a dialog-manager group: frames, the first row,
// the row after a frame, a change of parent, the first option button of a run
// and the first row after such a run, besides anything marked cf::kGroup.
bool startsGroup(std::span<const ControlSpec> controls, std::size_t index);

// The rows [first, last] of the group that row `index` is in.
struct RowRange {
  std::size_t first, last;
  bool operator==(const RowRange&) const = default;
};
RowRange groupOf(std::span<const ControlSpec> controls, std::size_t index);

}  // namespace tavo
