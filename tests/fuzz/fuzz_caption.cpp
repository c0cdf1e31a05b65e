// The caption clock cycle over an in-memory desktop, driven by a script read
// from the input: windows open, come to the front, put up titles of their
// own, edit the title that carries the clock, hang and close, while the time
// runs and the placement of the clock changes.
//
// Titles of a window's own never hold an ASCII digit and the clock always
// does, so the result is known exactly: the window in front shows the clock
// once, at the placed side, around its own title; every other window shows
// its own title again; an excluded window is never touched; a quiet tick
// writes nothing; no error is ever reported.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>

#include "base/text.h"
#include "main/cycle.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/recording_signals.h"

namespace {

using tavo::WindowHandle;

constexpr std::u16string_view kClasses[] = {u"Notepad", u"#32770", u"CabinetWClass", u"notepad", u"Notepad ", u""};
constexpr std::u16string_view kPatterns[] = {u"%h:nn%", u"%h:nn:ss%", u"%tt h:nn%", u"%hh:nn%,%mmm%,%d%",
                                             u"%h:nn:ss%,%yy%,%m%/%d%,%aaa%"};

// Names the failed check's line, so a crash found by the fuzzer reads quickly.
void check(bool ok, int line = __builtin_LINE()) {
  if (ok) return;
  std::fprintf(stderr, "fuzz_caption: check on line %d failed\n", line);
  std::abort();
}

struct Placement {
  std::uint8_t right = 0, equal = 1;
  bool known() const { return right <= 1 && equal <= 1; }
  friend bool operator==(const Placement&, const Placement&) = default;
};

std::u16string compose(std::u16string_view clock, std::u16string_view own, Placement p) {
  const std::u16string sep = p.equal == 1 ? u" = " : u" ";
  return p.right == 0 ? std::u16string(clock) + sep + std::u16string(own) : std::u16string(own) + sep + std::u16string(clock);
}

// What the script knows about a window.
struct Tracked {
  std::u16string own;   // the title the window last gave itself
  bool known = true;    // false once its title can no longer be predicted (lost writes)
  bool hung = false;
  Placement placed;     // placement in force when the cycle last composed its title
  std::u16string seen;  // what it showed after the last tick
};

class Script {
 public:
  explicit Script(FuzzedDataProvider& in) : in_(in) {
    place();
    state_.clockPattern = literal() + std::u16string(in_.PickValueInArray(kPatterns)) + literal();
    for (int n = in_.ConsumeIntegralInRange(0, 3); n > 0; --n)
      if (const auto c = in_.PickValueInArray(kClasses); !c.empty()) state_.roster.emplace_back(c);
    clock_.time = tavo::DateTime{2026, 12, 31, in_.ConsumeIntegralInRange(0, 23), in_.ConsumeIntegralInRange(0, 59),
                                 in_.ConsumeIntegralInRange(0, 59)};
  }

  void run() {
    for (int steps = 0; in_.remaining_bytes() > 0 && steps < 200; ++steps) {
      const std::uint8_t op = in_.ConsumeIntegral<std::uint8_t>();
      switch (op & 0x7F) {
        case 0: advance(in_.ConsumeIntegralInRange(1, 59)); break;
        case 1: advance(60 * in_.ConsumeIntegralInRange(1, 1439)); break;
        case 2:
          if (windows_.size() < 12) {
            const auto cls = in_.PickValueInArray(kClasses);
            Tracked w;
            w.own = title();
            windows_[desktop_.open(std::u16string(cls), w.own)] = w;
            pending_ = true;
          }
          break;
        case 3:
          if (const WindowHandle w = pickWindow()) desktop_.bringToFront(w);
          pending_ = true;
          break;
        case 4:
          if (const WindowHandle w = in_.ConsumeBool() ? desktop_.foregroundWindow() : pickWindow()) {
            desktop_.close(w);
            windows_.erase(w);
            pending_ = true;
          }
          break;
        case 5: rename(desktop_.foregroundWindow()); break;
        case 6: editFront(); continue;  // ticks on its own
        case 7:
          place();
          pending_ = true;
          break;
        case 8:
          if (const WindowHandle w = pickWindow()) {
            Tracked& t = windows_[w];
            t.hung = !t.hung;
            t.known = false;  // what it shows depends on which writes it missed
            desktop_.hang(w, t.hung);
            pending_ = true;
          }
          break;
        case 9: rename(pickWindow()); break;
        default: break;  // a plain tick
      }
      if ((op & 0x80) == 0) tick();  // otherwise the next event falls on the same tick
    }
    if (pending_) tick();
    // At exit the window in front gets its own title back too.
    cycle_.restoreCurrent();
    check(prompt_.shown.empty());
    for (auto& [w, t] : windows_) check(!t.known || t.hung || desktop_.title(w) == t.own);
  }

 private:
  // Now and then a stored value out of range.
  std::uint8_t placementValue() {
    const std::uint8_t v = in_.ConsumeIntegral<std::uint8_t>();
    return v < 250 ? v % 2 : v;
  }
  void place() {
    placement_ = {placementValue(), placementValue()};
    state_.clockRight = placement_.right;
    state_.equalSeparate = placement_.equal;
  }

  // Literal text around the clock's placeholders: anything but "%", "\" and NUL.
  std::u16string literal() {
    std::u16string s = tavo::utf16(in_.ConsumeRandomLengthString(40));
    std::erase_if(s, [](char16_t c) { return c == u'%' || c == u'\\' || c == 0; });
    return s;
  }

  // A title of a window's own, without NUL and ASCII digits: the spell
  // checker's, UTF-8, or raw UTF-16 (unpaired surrogates too).
  std::u16string title() {
    const std::uint8_t kind = in_.ConsumeIntegral<std::uint8_t>();
    if (kind == 0) return u"ｽﾍﾟﾙﾁｪｯｸ";
    const std::string raw = in_.ConsumeRandomLengthString(kind < 0x80 ? 24 : 400);
    std::u16string t;
    if (kind & 1) {
      for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
        t.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(raw[i]) | static_cast<std::uint8_t>(raw[i + 1]) << 8));
    } else {
      t = tavo::utf16(raw);
    }
    std::erase_if(t, [](char16_t c) { return c == 0 || (c >= u'0' && c <= u'9'); });
    return t;
  }

  WindowHandle pickWindow() {
    if (windows_.empty()) return 0;
    return std::next(windows_.begin(), in_.ConsumeIntegralInRange<std::size_t>(0, windows_.size() - 1))->first;
  }

  void advance(int seconds) {
    tavo::DateTime& t = clock_.time;
    const int s = t.second + seconds, m = t.minute + s / 60, h = t.hour + m / 60;
    t = {t.year, t.month, t.day, h % 24, m % 60, s % 60};
    for (int days = h / 24; days > 0; --days) {
      if (++t.day <= tavo::daysInMonth(t.year, t.month)) continue;
      t.day = 1;
      if (++t.month > 12) t.month = 1, ++t.year;
    }
    pending_ = true;
  }

  void rename(WindowHandle w) {
    const auto it = windows_.find(w);
    if (it == windows_.end()) return;
    Tracked& t = it->second;
    t.own = title();
    // A hung window's lost writes stay unknown; so does a write the cycle
    // still owes a window that now puts up the very title it shows.
    t.known = !t.hung && (t.known || desktop_.title(w) != t.own);
    desktop_.rename(w, t.own);
    pending_ = true;
  }

  // The window edits the title that carries the clock and keeps the clock at
  // its place: the clock comes off by its length and the edit stays. Only
  // while the clock shows as the cycle would place it now, and on a tick of
  // its own (an edit that meets a new minute or a change of window is lost).
  void editFront() {
    if (pending_) tick();
    const WindowHandle f = desktop_.foregroundWindow();
    const auto it = windows_.find(f);
    if (it == windows_.end()) return;
    Tracked& t = it->second;
    pending_ = true;
    if (t.known && !t.hung && cycle_.clockWithheld() == 0 && placement_.known() && t.placed == placement_ &&
        desktop_.title(f) == compose(cycle_.clockText(), t.own, placement_)) {
      t.own = title();
      desktop_.rename(f, compose(cycle_.clockText(), t.own, placement_));
    } else {
      rename(f);
    }
    tick();
  }

  void tick() {
    const bool quiet = !pending_;
    const std::u16string clockBefore = cycle_.clockText();
    std::map<WindowHandle, int> writesBefore;
    for (const auto& [w, t] : windows_) writesBefore[w] = desktop_.titleWrites(w);
    const WindowHandle front = desktop_.foregroundWindow(), previousFront = lastFront_;
    const std::u16string shownBefore = desktop_.title(front);

    cycle_.tmrMain_Timer();

    const std::u16string& clock = cycle_.clockText();
    check(std::any_of(clock.begin(), clock.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }));
    check(prompt_.shown.empty());
    check(cycle_.foregroundWindow() == front);
    const bool newFront = front != lastFront_;
    lastFront_ = front;
    pending_ = false;

    for (const auto& [w, t] : windows_) {
      if (w == front) continue;
      // Every window not in front shows its own title; only the window that
      // just left the front, or one that missed a write, is written to.
      check(!t.known || t.hung || desktop_.title(w) == t.own);
      check(w == previousFront || t.hung || !t.known || desktop_.titleWrites(w) == writesBefore[w]);
    }
    if (const auto it = windows_.find(front); it != windows_.end()) {
      Tracked& t = it->second;
      const bool withheld = cycle_.clockWithheld() != 0;
      const std::u16string_view cls = desktop_.window(front).className;
      if (newFront && cls != u"#32770")
        check(withheld == (std::find(state_.roster.begin(), state_.roster.end(), cls) != state_.roster.end()));
      // A title the cycle sees changed: the cycle composed it anew. With a
      // placement out of range it wrote back what it read, known only if clean.
      if (!withheld && (newFront || clock != clockBefore || shownBefore != t.seen)) {
        if (!placement_.known() && shownBefore != t.own) t.known = false;
        t.placed = placement_;
      }
      if (t.known && !t.hung) {
        const bool bare = withheld || !t.placed.known();
        check(desktop_.title(front) == (bare ? t.own : compose(clock, t.own, t.placed)));
        // A window that missed a write is retried on quiet ticks too.
        check(!quiet || desktop_.titleWrites(front) == writesBefore[front]);
      }
    }
    for (auto& [w, t] : windows_) t.seen = desktop_.title(w);
  }

  FuzzedDataProvider& in_;
  Placement placement_;
  tavo::fake::FakeDesktop desktop_;
  tavo::fake::FakeClock clock_;
  tavo::fake::FakePrompt prompt_;
  tavo::fake::FakeResources resources_;
  tavo::Boxes boxes_{prompt_};
  tavo::Reporter reporter_{boxes_, tavo::Version{1, 70, 1}};
  tavo::fake::RecordingSignals signals_;
  tavo::AppState state_;
  tavo::CaptionCycle cycle_{state_, desktop_, clock_, resources_, reporter_, signals_};
  std::map<WindowHandle, Tracked> windows_;
  WindowHandle lastFront_ = 0;
  bool pending_ = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Script(in).run();
  return 0;
}
