#pragma once
// UTF-16 strings at the Win32 boundary. wchar_t is 16 bits on Windows, so
// these only relabel the code units; nothing is converted.
#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide strings are UTF-16");

namespace tavo::win32 {

inline std::wstring wide(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

// A string's own storage, for an API that writes wide text into it.
inline wchar_t* wideData(std::u16string& s) { return reinterpret_cast<wchar_t*>(s.data()); }

inline std::u16string fromWide(std::wstring_view s) { return std::u16string(s.begin(), s.end()); }

inline std::u16string fromWide(const wchar_t* s, std::size_t n) { return fromWide(std::wstring_view(s, n)); }

}  // namespace tavo::win32
