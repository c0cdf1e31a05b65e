#include "settings/memory_store.h"

#include "base/error.h"
#include "base/text.h"

namespace tavo {

std::optional<std::u16string> MemoryStore::read(std::u16string_view app, std::u16string_view section,
                                                std::u16string_view key) {
  ++readCount;
  if (failReads) raise(err::kStore, u"設定を読み込めません (試験用の失敗)");
  const auto s = sections_.find({lowerAscii(app), lowerAscii(section)});
  if (s == sections_.end()) return std::nullopt;
  const auto v = s->second.find(lowerAscii(key));
  if (v == s->second.end()) return std::nullopt;
  return v->second.text;
}

void MemoryStore::write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
                        std::u16string_view value) {
  if (failWrites) raise(err::kStore, u"設定を書き込めません (試験用の失敗)");
  auto& values = sections_[{lowerAscii(app), lowerAscii(section)}];
  auto [it, added] = values.try_emplace(lowerAscii(key), Value{std::u16string(key), {}});
  it->second.text = value;
  ++writeCount;
}

void MemoryStore::erase(std::u16string_view app, std::u16string_view section, std::u16string_view key) {
  if (failWrites) raise(err::kStore, u"設定を削除できません (試験用の失敗)");
  const auto s = sections_.find({lowerAscii(app), lowerAscii(section)});
  if (s != sections_.end()) s->second.erase(lowerAscii(key));
  ++writeCount;
}

std::vector<std::u16string> MemoryStore::keyNames(std::u16string_view app, std::u16string_view section) const {
  std::vector<std::u16string> names;
  const auto s = sections_.find({lowerAscii(app), lowerAscii(section)});
  if (s != sections_.end())
    for (const auto& [folded, value] : s->second) names.push_back(value.name);
  return names;
}

std::size_t MemoryStore::valueCount() const {
  std::size_t count = 0;
  for (const auto& [id, values] : sections_) count += values.size();
  return count;
}

}  // namespace tavo
