#include "settings/keys.h"

#include "base/text.h"
#include "settings/convert.h"

namespace tavo {

std::u16string windowListKey(int n) { return u"WindowList" + decimal(n); }

std::u16string cuteKey(int hour, int entry) { return u"Cute" + zeroPadded(hour, 2) + zeroPadded(entry, 2); }

std::u16string readText(Settings& s, const KeyDef& key) { return s.get(key.section, key.name, key.fallback); }
double readNumber(Settings& s, const KeyDef& key) { return toNumber(readText(s, key)); }
std::uint8_t readByte(Settings& s, const KeyDef& key) { return toByte(readText(s, key)); }
std::int16_t readInteger(Settings& s, const KeyDef& key) { return toInteger(readText(s, key)); }
std::int32_t readLong(Settings& s, const KeyDef& key) { return toLong(readText(s, key)); }

void saveText(Settings& s, const KeyDef& key, std::u16string_view value) { s.save(key.section, key.name, value); }

}  // namespace tavo
