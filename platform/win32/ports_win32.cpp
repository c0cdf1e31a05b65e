#include "platform/win32/ports_win32.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <vector>

#include "base/report.h"
#include "platform/win32/view_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {

namespace {
HWND toHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }

constexpr unsigned long long kFileTimeUnitsPerMinute = 60ull * 10'000'000;

unsigned long long fileTimeValue(const FILETIME& f) {
  return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}
}  // namespace

// GetLocalTime looks the time zone up on every call; under Wine that is two
// stat calls of /etc/localtime, about a fifth of a 1000 ms polling tick's
// CPU time. A zone's offset changes only at a whole minute, so it is looked
// up once per minute of system time, on the first reading in that minute.
DateTime Win32Clock::now() {
  FILETIME utc{};
  GetSystemTimeAsFileTime(&utc);
  const unsigned long long value = fileTimeValue(utc);
  SYSTEMTIME t{};
  bool known = true;
  if (const unsigned long long minute = value / kFileTimeUnitsPerMinute; minute != biasMinute_) {
    FILETIME local{};
    known = FileTimeToLocalFileTime(&utc, &local) != FALSE;
    if (known) {
      bias_ = static_cast<long long>(fileTimeValue(local) - value);
      biasMinute_ = minute;
    }
  }
  const unsigned long long localValue = value + static_cast<unsigned long long>(bias_);
  const FILETIME local{static_cast<DWORD>(localValue), static_cast<DWORD>(localValue >> 32)};
  if (!known || !FileTimeToSystemTime(&local, &t)) GetLocalTime(&t);
  return DateTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// SND_NODEFAULT: a missing file is silence, never the system's default sound.
void Win32Sound::playWave(std::u16string_view path, bool synchronous) {
  std::wstring file = wide(path);
  DWORD flags = SND_FILENAME | SND_NODEFAULT | (synchronous ? 0 : SND_ASYNC);
  PlaySoundW(file.c_str(), nullptr, flags);
}

void Win32Shell::open(std::u16string_view file, std::u16string_view arguments) {
  // Longer than any Windows command line, it could never start; Wine's shell
  // overflows its stack on such a name instead of failing.
  if (file.size() + arguments.size() > 32767) return;
  std::wstring f = wide(file), a = wide(arguments);
  ShellExecuteW(toHwnd(owner_), L"open", f.c_str(), a.empty() ? nullptr : a.c_str(), nullptr, SW_SHOWNORMAL);
}

int Win32Prompt::messageBox(std::u16string_view text, std::u16string_view title, unsigned flags) {
  std::wstring t = wide(text), c = wide(title);
  // A hidden owner (the parked main window) would place the box off the screen.
  HWND owner = owner_ && IsWindowVisible(toHwnd(owner_)) ? toHwnd(owner_) : nullptr;
  return MessageBoxW(owner, t.c_str(), c.c_str(), flags);
}

void Win32Pump::yield() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    // Forms keep their keys (F1, Tab, Enter, Esc) while a signal yields.
    dispatchFormMessage(msg);
  }
}

std::u16string Win32Host::programDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD n = 0;
  for (;;) {
    n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) break;  // otherwise cut short: grow and retry
    buffer.resize(buffer.size() * 2);
  }
  std::wstring_view path(buffer.data(), n);
  auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring_view::npos ? std::u16string() : fromWide(path.substr(0, slash));
}

Version Win32Host::version() { return buildVersion(); }

bool Win32Host::anotherInstanceRunning() {
  if (another_) return *another_;
  std::wstring name = wide(mutexName_);
  HANDLE made = CreateMutexW(nullptr, FALSE, name.c_str());
  DWORD error = GetLastError();
  mutex_.reset(made);
  // Access denied: the mutex exists but belongs to a more privileged Tavo.
  another_ = (mutex_ && error == ERROR_ALREADY_EXISTS) || (!mutex_ && error == ERROR_ACCESS_DENIED);
  return *another_;
}

}  // namespace tavo::win32
