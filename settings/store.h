#pragma once
// The per-user settings store: string values addressed by application,
// section and key, all three case-insensitive.
#include <optional>
#include <string>
#include <string_view>

namespace tavo {

inline constexpr std::u16string_view kAppName = u"Tavo for Windows NT/95";
inline constexpr std::u16string_view kSectionMain = u"Main";
inline constexpr std::u16string_view kSectionPlugIn = u"Plug in";

class Store {
 public:
  virtual ~Store() = default;
  // nullopt when the value does not exist. Throws Error on a store failure.
  virtual std::optional<std::u16string> read(std::u16string_view app, std::u16string_view section,
                                             std::u16string_view key) = 0;
  // Creates or overwrites. Throws Error on a store failure.
  virtual void write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
                     std::u16string_view value) = 0;
  // Removes the value; a missing value is not an error.
  virtual void erase(std::u16string_view app, std::u16string_view section, std::u16string_view key) = 0;
};

// Tavo's application within a store: Get with a default, Save, Delete.
class Settings {
 public:
  explicit Settings(Store& store) : store_(store) {}
  std::u16string get(std::u16string_view section, std::u16string_view key, std::u16string_view fallback) {
    auto value = store_.read(kAppName, section, key);
    return value ? std::move(*value) : std::u16string(fallback);
  }
  void save(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    store_.write(kAppName, section, key, value);
  }
  void remove(std::u16string_view section, std::u16string_view key) { store_.erase(kAppName, section, key); }
  Store& store() { return store_; }

 private:
  Store& store_;
};

}  // namespace tavo
