// The whole program on the fakes, driven by a script read from the input:
// windows open, come to the front and hang while the time runs (renames and
// closing are the unit tests' part). Own titles hold no ASCII digit and the
// clock always does, so the result is known exactly: the window in front
// shows the clock once around its own title, every other window its own
// title, a listed class is never written to, and nothing is ever reported.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>

#include "fuzz.h"
#include "platform/fake/fake_app.h"
#include "settings/memory_store.h"

namespace {

using fuzz::check;
using tavo::WindowHandle;

constexpr std::u16string_view kClasses[] = {u"Notepad", u"#32770", u"CabinetWClass", u"notepad", u"Notepad ", u""};
constexpr std::u16string_view kPatterns[] = {u"%h:nn%", u"%h:nn:ss%", u"%tt h:nn%", u"%hh:nn%,%mmm%,%d%",
                                             u"%h:nn:ss%,%yy%,%m%/%d%,%aaa%"};

// Placement: 2 for the clock on the right, 1 for " = " between.
std::u16string compose(std::u16string_view clock, std::u16string_view own, int placed) {
  const std::u16string_view sep = placed & 1 ? u" = " : u" ";
  return placed & 2 ? std::u16string(own) += std::u16string(sep) += clock
                    : std::u16string(clock) += std::u16string(sep) += own;
}

struct Backing {
  tavo::MemoryStore store;
};

class Script : Backing, tavo::fake::FakeApp {
 public:
  explicit Script(FuzzedDataProvider& in) : FakeApp(store), in_(in) {
    app.load();
    placement_ = in_.ConsumeIntegralInRange(0, 3);
    state.clockRight = placement_ >> 1;
    state.equalSeparate = placement_ & 1;
    state.clockPattern = literal() + std::u16string(in_.PickValueInArray(kPatterns)) + literal();
    for (int n = in_.ConsumeIntegralInRange(0, 3); n > 0; --n)
      if (const auto c = in_.PickValueInArray(kClasses); !c.empty()) state.roster.emplace_back(c);
    clock.time = {2026, 12, 31, in_.ConsumeIntegralInRange(0, 23), in_.ConsumeIntegralInRange(0, 59),
                  in_.ConsumeIntegralInRange(0, 59)};
  }

  void run() {
    for (int steps = 0; in_.remaining_bytes() > 0 && steps < 200; ++steps) {
      const std::uint8_t op = in_.ConsumeIntegral<std::uint8_t>();
      pending_ |= (op & 0x7F) < 4;
      switch (op & 0x7F) {
        case 0: advance(); break;
        case 1:
          if (windows_.size() < 12) {
            const auto cls = in_.PickValueInArray(kClasses);
            const std::u16string own = title();
            windows_[desktop.open(std::u16string(cls), own)] = own;
          }
          break;
        case 2: desktop.bringToFront(pick()); break;
        case 3:
          if (const WindowHandle w = pick()) {
            desktop.hang(w, !desktop.window(w).hung);
            windows_[w].reset();  // which writes it missed is open
          }
          break;
        default: break;  // a plain tick
      }
      if ((op & 0x80) == 0) tick();  // else the next event falls on the same tick
    }
    if (pending_) tick();
    app.cycle().restoreCurrent();  // as at exit
    for (auto& [w, own] : windows_) check(!own || desktop.title(w) == *own);
  }

 private:
  // Text around the placeholders: anything but "%", "\" and NUL.
  std::u16string literal() {
    std::u16string s = tavo::utf16(in_.ConsumeRandomLengthString(40));
    std::erase_if(s, [](char16_t c) { return c == u'%' || c == u'\\' || c == 0; });
    return s;
  }

  // The spell checker's title, UTF-8, or raw UTF-16 (lone surrogates too).
  std::u16string title() {
    const std::uint8_t kind = in_.ConsumeIntegral<std::uint8_t>();
    if (kind == 0) return u"ｽﾍﾟﾙﾁｪｯｸ";
    const std::string raw = in_.ConsumeRandomLengthString(kind < 0x80 ? 24 : 400);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(raw.data());
    std::u16string t = kind & 1 ? fuzz::raw16(bytes, raw.size()) : fuzz::utf8(bytes, raw.size());
    std::erase_if(t, [](char16_t c) { return c == 0 || (c >= u'0' && c <= u'9'); });
    return t;
  }

  WindowHandle pick() {
    if (windows_.empty()) return 0;
    return std::next(windows_.begin(), in_.ConsumeIntegralInRange<std::size_t>(0, windows_.size() - 1))->first;
  }

  void advance() {  // seconds or minutes; the date stands: no check reads it
    tavo::DateTime& t = clock.time;
    const int s = (t.hour * 60 + t.minute) * 60 + t.second +
                  (in_.ConsumeBool() ? in_.ConsumeIntegralInRange(1, 59) : 60 * in_.ConsumeIntegralInRange(1, 1439));
    t.hour = s / 3600 % 24, t.minute = s / 60 % 60, t.second = s % 60;
  }

  bool listed(std::u16string_view cls) const {
    return std::find(state.roster.begin(), state.roster.end(), cls) != state.roster.end();
  }

  void tick() {
    const bool quiet = !pending_;
    std::map<WindowHandle, int> writes;
    for (const auto& [w, own] : windows_) writes[w] = desktop.titleWrites(w);
    const WindowHandle front = desktop.foregroundWindow(), previous = lastFront_;

    app.tick();

    const std::u16string& clock = app.cycle().clockText();
    check(std::any_of(clock.begin(), clock.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; }));
    check(prompt.shown.empty());
    const bool newFront = front != lastFront_;
    lastFront_ = front;
    pending_ = false;
    for (const auto& [w, own] : windows_) {
      check(!listed(desktop.window(w).className) || desktop.titleWrites(w) == 0);
      if (w == front || !own) continue;
      // Only the window that just left the front is written to.
      check(desktop.title(w) == *own && (w == previous || desktop.titleWrites(w) == writes[w]));
    }
    if (const auto it = windows_.find(front); it != windows_.end()) {
      const std::optional<std::u16string>& own = it->second;
      const bool withheld = app.cycle().clockWithheld() != 0;
      const std::u16string_view cls = desktop.window(front).className;
      if (newFront && cls != u"#32770") check(withheld == listed(cls));
      if (own) {
        check(desktop.title(front) == (withheld ? *own : compose(clock, *own, placement_)));
        check(!quiet || desktop.titleWrites(front) == writes[front]);
      }
    }
  }

  FuzzedDataProvider& in_;
  int placement_ = 0;
  std::map<WindowHandle, std::optional<std::u16string>> windows_;  // own titles, none once hung
  WindowHandle lastFront_ = 0;
  bool pending_ = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  Script(in).run();
  return 0;
}
