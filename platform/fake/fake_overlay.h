#pragma once
// An overlay that logs what it is asked to show.
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/ports.h"

namespace tavo::fake {

class FakeOverlay : public Overlay {
 public:
  void show(WindowHandle owner, int right, int top, int height, int dpi, std::u16string_view text) override {
    log.push_back(u"show " + decimal(static_cast<long>(owner)) + u" " + decimal(right) + u"," + decimal(top) + u" " +
                  decimal(height) + u" @" + decimal(dpi) + u" " + std::u16string(text));
    shown = true;
  }
  void hide() override {
    log.push_back(u"hide");
    shown = false;
  }

  std::vector<std::u16string> log;
  bool shown = false;
};

}  // namespace tavo::fake
