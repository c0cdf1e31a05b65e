#pragma once
// The settings store in the per-user registry, where existing installations
// keep their settings: HKEY_CURRENT_USER\<root>\<application>\<section>, one
// REG_SZ value per key. Registry names are case-insensitive by themselves.
//
// Reading values that another program left in another form:
//   REG_SZ, REG_EXPAND_SZ  the text as stored (not expanded); one trailing
//                          NUL is dropped, so what write() stored reads back
//                          unchanged, embedded NULs included
//   REG_DWORD, REG_QWORD   the number as unsigned decimal text
//   any other type         as if missing: the reader's default applies and
//                          the next save replaces it with REG_SZ
// A key or value that exists but cannot be opened or read (for example
// access denied) is a store failure, not a missing value: it raises
// err::kStore naming the Windows error, so the caller reports it instead of
// silently using a default.
#include <string>

#include "settings/store.h"

namespace tavo::win32 {

class RegistryStore : public Store {
 public:
  static constexpr std::u16string_view kDefaultRoot = u"Software\\VB and VBA Program Settings";

  // `root` is a path under HKEY_CURRENT_USER; tests use a scratch one.
  explicit RegistryStore(std::u16string root = std::u16string(kDefaultRoot)) : root_(std::move(root)) {}

  std::optional<std::u16string> read(std::u16string_view app, std::u16string_view section,
                                     std::u16string_view key) override;
  void write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
             std::u16string_view value) override;
  void erase(std::u16string_view app, std::u16string_view section, std::u16string_view key) override;

 private:
  std::u16string sectionPath(std::u16string_view app, std::u16string_view section) const;
  std::u16string root_;
};

}  // namespace tavo::win32
