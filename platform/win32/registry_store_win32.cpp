#include "platform/win32/registry_store_win32.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "platform/win32/handle_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

bool isMissing(LSTATUS status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND; }

std::u16string systemMessage(LSTATUS status) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<wchar_t*>(&buffer), 0,
                                 nullptr);
  std::u16string text = n ? fromWide(buffer, n) : std::u16string();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  if (text.empty()) text = u"Windows error";
  return text + u" (" + decimal(static_cast<std::int64_t>(status)) + u")";
}

[[noreturn]] void fail(std::u16string_view action, std::u16string_view where, LSTATUS status) {
  raise(err::kStore, std::u16string(action) + u": HKEY_CURRENT_USER\\" + std::u16string(where) + u": " +
                         systemMessage(status));
}

std::u16string valuePath(std::u16string_view sectionPath, std::u16string_view key) {
  return std::u16string(sectionPath) + u"\\" + std::u16string(key);
}

}  // namespace

std::u16string RegistryStore::sectionPath(std::u16string_view app, std::u16string_view section) const {
  return root_ + u"\\" + std::u16string(app) + u"\\" + std::u16string(section);
}

std::optional<std::u16string> RegistryStore::read(std::u16string_view app, std::u16string_view section,
                                                  std::u16string_view key) {
  const auto path = sectionPath(app, section);
  KeyHandle handle;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, KEY_QUERY_VALUE, handle.out());
  if (isMissing(status)) return std::nullopt;
  if (status != ERROR_SUCCESS) fail(u"設定を読み込めません", path, status);

  const auto name = wide(key);
  DWORD type = 0, size = 0;
  std::vector<BYTE> data;
  // The value may grow between asking its size and reading it; ask again then.
  for (;;) {
    status = RegQueryValueExW(handle.get(), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(),
                              &size);
    if (status == ERROR_SUCCESS && (!data.empty() || size == 0)) break;
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) {
      if (isMissing(status)) return std::nullopt;
      fail(u"設定を読み込めません", valuePath(path, key), status);
    }
    data.assign(size + sizeof(wchar_t), 0);
    size = static_cast<DWORD>(data.size());
  }
  data.resize(size);

  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
      std::u16string text(size / sizeof(char16_t), u'\0');
      if (!text.empty()) std::memcpy(text.data(), data.data(), text.size() * sizeof(char16_t));
      if (!text.empty() && text.back() == u'\0') text.pop_back();
      return text;
    }
    case REG_DWORD:
      if (size < sizeof(DWORD)) return std::nullopt;
      {
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return decimal(number);
      }
    case REG_QWORD:
      if (size < sizeof(std::uint64_t)) return std::nullopt;
      {
        std::uint64_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return utf16(std::to_string(number));
      }
    default:
      return std::nullopt;
  }
}

void RegistryStore::write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
                          std::u16string_view value) {
  const auto path = sectionPath(app, section);
  KeyHandle handle;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                   KEY_SET_VALUE, nullptr, handle.out(), nullptr);
  if (status != ERROR_SUCCESS) fail(u"設定を書き込めません", path, status);
  const auto text = wide(value);  // c_str() adds the terminating NUL that REG_SZ data carries
  const auto bytes = (text.size() + 1) * sizeof(wchar_t);
  if (bytes > 0xFFFFFFFFu) fail(u"設定を書き込めません", valuePath(path, key), ERROR_INVALID_PARAMETER);
  status = RegSetValueExW(handle.get(), wide(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(bytes));
  if (status != ERROR_SUCCESS) fail(u"設定を書き込めません", valuePath(path, key), status);
}

void RegistryStore::erase(std::u16string_view app, std::u16string_view section, std::u16string_view key) {
  const auto path = sectionPath(app, section);
  KeyHandle handle;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, KEY_SET_VALUE, handle.out());
  if (isMissing(status)) return;
  if (status != ERROR_SUCCESS) fail(u"設定を削除できません", path, status);
  status = RegDeleteValueW(handle.get(), wide(key).c_str());
  if (status != ERROR_SUCCESS && !isMissing(status)) fail(u"設定を削除できません", valuePath(path, key), status);
}

}  // namespace tavo::win32
