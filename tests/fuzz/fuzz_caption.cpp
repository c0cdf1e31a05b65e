// The caption clock cycle over an in-memory desktop, driven by a script read
// from the input: windows open, come to the front, put up titles of their
// own, edit the title that carries the clock, hang and close, while the time
// runs and the placement of the clock changes.
//
// Titles of a window's own never hold an ASCII digit and the clock always
// does, so no own title carries the clock by chance and the cycle's result is
// known exactly: the window in front shows the clock once, at the placed
// side, around its own title (never a clock taken for part of the title,
// never a title that grows from tick to tick); every other window shows its
// own title again; an excluded window is never touched; a quiet tick writes
// nothing; no error is ever reported.
//
// FUZZ_CAPTION_TRACE=1 build/fuzz/fuzz_caption <input> prints every tick.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <string>
#include <string_view>

#include "base/text.h"
#include "main/cycle.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/recording_signals.h"

namespace {

using tavo::WindowHandle;

constexpr std::u16string_view kClasses[] = {u"Notepad", u"#32770", u"CabinetWClass", u"notepad", u"Notepad ", u""};
constexpr std::u16string_view kDialogClass = u"#32770";
constexpr std::u16string_view kSpellCheckTitle = u"ｽﾍﾟﾙﾁｪｯｸ";
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
  const std::u16string_view sep = p.equal == 1 ? u" = " : u" ";
  std::u16string title;
  if (p.right == 0) {
    title.append(clock).append(sep).append(own);
  } else {
    title.append(own).append(sep).append(clock);
  }
  return title;
}

bool hasDigit(std::u16string_view s) {
  return std::any_of(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

// What the script knows about a window.
struct Tracked {
  std::u16string own;    // the title the window last gave itself
  bool known = true;     // false once its title can no longer be predicted (lost writes)
  bool hung = false;
  Placement placed;      // placement in force when the cycle last composed its title
  std::u16string seen;   // what it showed after the last tick
};

class Script {
 public:
  explicit Script(FuzzedDataProvider& in) : in_(in) {
    placement_.right = pickPlacementValue();
    placement_.equal = pickPlacementValue();
    apply();
    state_.clockPattern = literal() + std::u16string(in_.PickValueInArray(kPatterns)) + literal();
    for (int n = in_.ConsumeIntegralInRange(0, 3); n > 0; --n) {
      const std::u16string_view c = in_.PickValueInArray(kClasses);
      if (!c.empty()) state_.roster.emplace_back(c);
    }
    clock_.time = tavo::DateTime{2026, 12, 31, in_.ConsumeIntegralInRange(0, 23), in_.ConsumeIntegralInRange(0, 59),
                                 in_.ConsumeIntegralInRange(0, 59)};
  }

  void run() {
    int steps = 0;
    while (in_.remaining_bytes() > 0 && steps++ < 200) {
      const std::uint8_t op = in_.ConsumeIntegral<std::uint8_t>();
      const bool tickAfter = (op & 0x80) == 0;  // otherwise the next event falls on the same tick
      switch (op & 0x7F) {
        case 0: advance(in_.ConsumeIntegralInRange(1, 59)); break;
        case 1: advance(60 * in_.ConsumeIntegralInRange(1, 1439)); break;
        case 2: open(); break;
        case 3: toFront(); break;
        case 4: closeOne(); break;
        case 5: renameFront(); break;
        case 6: editFront(); continue;  // ticks on its own
        case 7:
          placement_.right = pickPlacementValue();
          placement_.equal = pickPlacementValue();
          apply();
          pending_ = true;
          break;
        case 8: hangOne(); break;
        case 9: renameOther(); break;
        default: break;  // a plain tick
      }
      if (tickAfter) tick();
    }
    if (pending_) tick();
    finish();
  }

 private:
  std::uint8_t pickPlacementValue() {
    const std::uint8_t v = in_.ConsumeIntegral<std::uint8_t>();
    return v < 250 ? v % 2 : v;  // now and then a stored value out of range
  }
  void apply() {
    state_.clockRight = placement_.right;
    state_.equalSeparate = placement_.equal;
  }

  // Literal text around the clock's placeholders: anything but "%", "\" and NUL.
  std::u16string literal() {
    std::u16string s = tavo::utf16(in_.ConsumeRandomLengthString(40));
    std::erase_if(s, [](char16_t c) { return c == u'%' || c == u'\\' || c == 0; });
    return s;
  }

  // A title of a window's own: any text without NUL and without ASCII digits,
  // UTF-8 or raw UTF-16 (unpaired surrogates too).
  std::u16string title() {
    const std::uint8_t kind = in_.ConsumeIntegral<std::uint8_t>();
    if (kind == 0) return std::u16string(kSpellCheckTitle);
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
    auto it = windows_.begin();
    std::advance(it, in_.ConsumeIntegralInRange<std::size_t>(0, windows_.size() - 1));
    return it->first;
  }

  void advance(int seconds) {
    tavo::DateTime& t = clock_.time;
    const int s = t.second + seconds, m = t.minute + s / 60, h = t.hour + m / 60;
    t.second = s % 60;
    t.minute = m % 60;
    t.hour = h % 24;
    for (int days = h / 24; days > 0; --days) {
      if (++t.day <= tavo::daysInMonth(t.year, t.month)) continue;
      t.day = 1;
      if (++t.month > 12) {
        t.month = 1;
        ++t.year;
      }
    }
    pending_ = true;
  }

  void open() {
    if (windows_.size() >= 12) return;
    const std::u16string_view cls = in_.PickValueInArray(kClasses);
    Tracked w;
    w.own = title();
    windows_[desktop_.open(std::u16string(cls), w.own)] = w;
    pending_ = true;
  }

  void toFront() {
    if (const WindowHandle w = pickWindow()) desktop_.bringToFront(w);
    pending_ = true;
  }

  void closeOne() {
    const WindowHandle w = in_.ConsumeBool() ? desktop_.foregroundWindow() : pickWindow();
    if (w == 0) return;
    desktop_.close(w);
    windows_.erase(w);
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
  void renameFront() { rename(desktop_.foregroundWindow()); }
  void renameOther() { rename(pickWindow()); }

  // The window edits the title that carries the clock and keeps the clock at
  // its place: the clock comes off by its length and the edit stays. Only
  // while the clock shows as the cycle would place it now, and on a tick of
  // its own (an edit that meets a new minute or a change of window is lost,
  // as the title is then taken from what the cycle knew).
  void editFront() {
    if (pending_) tick();
    const WindowHandle f = desktop_.foregroundWindow();
    const auto it = windows_.find(f);
    if (it == windows_.end()) return;
    Tracked& t = it->second;
    if (!t.known || t.hung || cycle_.clockWithheld() != 0 || !placement_.known() || !(t.placed == placement_) ||
        desktop_.title(f) != compose(cycle_.clockText(), t.own, placement_)) {
      renameFront();
      tick();
      return;
    }
    t.own = title();
    desktop_.rename(f, compose(cycle_.clockText(), t.own, placement_));
    pending_ = true;
    tick();
  }

  void hangOne() {
    const WindowHandle w = pickWindow();
    if (w == 0) return;
    Tracked& t = windows_[w];
    t.hung = !t.hung;
    t.known = false;  // what it shows depends on which writes it missed
    desktop_.hang(w, t.hung);
    pending_ = true;
  }

  void tick() {
    const bool quiet = !pending_;
    const std::u16string clockBefore = cycle_.clockText();
    std::map<WindowHandle, int> writesBefore;
    for (const auto& [w, t] : windows_) writesBefore[w] = desktop_.titleWrites(w);
    const WindowHandle front = desktop_.foregroundWindow();
    const std::u16string shownBefore = desktop_.title(front);

    cycle_.tmrMain_Timer();
    if (std::getenv("FUZZ_CAPTION_TRACE")) {
      std::fprintf(stderr, "tick%s front %x clock [%s] placement %d/%d shown [%s]\n", quiet ? " (quiet)" : "",
                   static_cast<unsigned>(front), tavo::utf8(cycle_.clockText()).c_str(), placement_.right,
                   placement_.equal, tavo::utf8(desktop_.title(front)).c_str());
      for (auto& [w, t] : windows_)
        std::fprintf(stderr, "  %x own [%s] shown [%s]%s%s\n", static_cast<unsigned>(w), tavo::utf8(t.own).c_str(),
                     tavo::utf8(desktop_.title(w)).c_str(), t.known ? "" : " unknown", t.hung ? " hung" : "");
    }

    const std::u16string& clock = cycle_.clockText();
    check(hasDigit(clock));
    check(prompt_.shown.empty());
    check(cycle_.foregroundWindow() == front);
    const bool newFront = front != lastFront_;
    const WindowHandle previousFront = lastFront_;
    lastFront_ = front;
    pending_ = false;

    // Every window not in front shows its own title.
    for (auto& [w, t] : windows_) {
      if (w != front && t.known && !t.hung) check(desktop_.title(w) == t.own);
    }

    const auto it = windows_.find(front);
    if (it != windows_.end()) {
      Tracked& t = it->second;
      const bool withheld = cycle_.clockWithheld() != 0;
      const std::u16string_view cls = desktop_.window(front).className;
      if (newFront && cls != kDialogClass)
        check(withheld == (std::find(state_.roster.begin(), state_.roster.end(), cls) != state_.roster.end()));

      // A title the cycle sees changed: one that differs from the last tick's.
      if (!withheld && (newFront || clock != clockBefore || shownBefore != t.seen)) {
        // The cycle composed the title: with a placement out of range it
        // wrote back what it read, which is only known if that was clean.
        if (!placement_.known() && shownBefore != t.own) t.known = false;
        t.placed = placement_;
      }
      const std::u16string shown = desktop_.title(front);
      if (t.known && !t.hung) {
        if (withheld || !t.placed.known()) {
          check(shown == t.own);
        } else {
          check(shown == compose(clock, t.own, t.placed));
        }
      }
      // A window that missed a write is retried on quiet ticks too.
      if (quiet && t.known && !t.hung) check(desktop_.titleWrites(front) == writesBefore[front]);
    }
    // Behind the front, only the window that just left it, or one that missed
    // a write (hung, or not known to show its own title), is written to.
    for (const auto& [w, t] : windows_)
      if (w != front && w != previousFront && desktop_.titleWrites(w) != writesBefore[w]) check(t.hung || !t.known);
    for (auto& [w, t] : windows_) t.seen = desktop_.title(w);
  }

  // At exit the window in front gets its own title back too.
  void finish() {
    cycle_.restoreCurrent();
    check(prompt_.shown.empty());
    for (auto& [w, t] : windows_) {
      if (t.known && !t.hung) check(desktop_.title(w) == t.own);
    }
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
  Script script(in);
  script.run();
  return 0;
}
