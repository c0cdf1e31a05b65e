#include "platform/win32/ledger_win32.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/handle_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

// By hand: std::to_wstring would link the C runtime's whole printf.
std::wstring valueName(WindowHandle w) {
  std::wstring name;
  do name.insert(name.begin(), static_cast<wchar_t>(L'0' + w % 10));
  while ((w /= 10) != 0);
  return name;
}

// Only the names put() writes: digits without a leading zero, in range.
std::optional<WindowHandle> handleNamed(std::wstring_view name) {
  if (name.empty() || name[0] == L'0') return std::nullopt;
  WindowHandle value = 0;
  for (wchar_t c : name) {
    const WindowHandle digit = c - L'0';
    if (c < L'0' || c > L'9' || value > (UINTPTR_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

std::vector<std::pair<WindowHandle, std::u16string>> VolatileLedger::records() {
  std::vector<std::pair<WindowHandle, std::u16string>> found;
  KeyHandle key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(path_).c_str(), 0, KEY_QUERY_VALUE, key.out()) != ERROR_SUCCESS)
    return found;
  DWORD count = 0, longestName = 0, largestData = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                       &largestData, nullptr, nullptr) != ERROR_SUCCESS)
    return found;
  std::wstring name(longestName + 1, L'\0');
  std::vector<wchar_t> data(largestData / sizeof(wchar_t) + 1);
  for (DWORD i = 0; i < count; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size()), type = 0,
          bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    // A value that grew or vanished meanwhile is skipped: best effort.
    if (RegEnumValueW(key.get(), i, name.data(), &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                      &bytes) != ERROR_SUCCESS || type != REG_SZ)
      continue;
    const auto w = handleNamed(std::wstring_view(name.data(), nameSize));
    if (!w) continue;
    std::size_t n = bytes / sizeof(wchar_t);
    if (n > 0 && data[n - 1] == L'\0') --n;
    found.emplace_back(*w, fromWide(data.data(), n));
  }
  return found;
}

void VolatileLedger::put(WindowHandle w, std::u16string_view text) {
  // The parent lasts: an installer may keep lasting values there, and a
  // lasting key cannot be made under a volatile one.
  const auto cut = path_.rfind(u'\\');
  KeyHandle parent, records;
  if (cut == std::u16string::npos ||
      RegCreateKeyExW(HKEY_CURRENT_USER, wide(path_.substr(0, cut)).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_CREATE_SUB_KEY, nullptr, parent.out(), nullptr) != ERROR_SUCCESS ||
      RegCreateKeyExW(parent.get(), wide(path_.substr(cut + 1)).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_SET_VALUE, nullptr, records.out(), nullptr) != ERROR_SUCCESS)
    return;
  const auto data = wide(text);  // c_str() adds the NUL that REG_SZ data carries
  RegSetValueExW(records.get(), valueName(w).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void VolatileLedger::drop(WindowHandle w) {
  KeyHandle key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(path_).c_str(), 0, KEY_SET_VALUE, key.out()) == ERROR_SUCCESS)
    RegDeleteValueW(key.get(), valueName(w).c_str());
}

}  // namespace tavo::win32
