#pragma once
// Owed titles in a volatile key under HKEY_CURRENT_USER: the records outlive
// a killed Tavo and die with the sign-in session, as the windows they name
// do. One REG_SZ value per window, named by the handle in decimal.
#include <string>

#include "platform/ports.h"

namespace tavo::win32 {

class VolatileLedger : public TitleLedger {
 public:
  static constexpr std::u16string_view kDefaultPath = u"Software\\Tavo\\Owed";

  // `path` under HKEY_CURRENT_USER; tests use a scratch one.
  explicit VolatileLedger(std::u16string path = std::u16string(kDefaultPath)) : path_(std::move(path)) {}

  std::vector<std::pair<WindowHandle, std::u16string>> records() override;
  void put(WindowHandle w, std::u16string_view text) override;
  void drop(WindowHandle w) override;

 private:
  std::u16string path_;
};

}  // namespace tavo::win32
