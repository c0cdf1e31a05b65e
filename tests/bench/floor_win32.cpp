// The least a title-bar clock must do on every tick, as a yardstick for
// Tavo's own CPU time (scripts/measure-cpu): a window timer that reads the
// foreground window and its title twice, nothing else.
//
//   tavo_cpu_floor.exe [interval-ms]     (default 250)
//
// Ends on WM_CLOSE to its window (class "TavoCpuFloor") or when killed.
#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

std::vector<wchar_t> buffer(256);
volatile int sink;  // keeps the reads from looking unused

void readTitle(HWND h) {
  const int n = GetWindowTextLengthW(h);
  if (n < 0) return;
  if (static_cast<std::size_t>(n) + 1 > buffer.size()) buffer.resize(static_cast<std::size_t>(n) + 1);
  sink = GetWindowTextW(h, buffer.data(), n + 1);
}

LRESULT CALLBACK floorProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER: {
      HWND front = GetForegroundWindow();
      readTitle(front);
      readTitle(front);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int) {
  UINT interval = 250;
  if (args && *args) {
    const long ms = std::wcstol(args, nullptr, 10);
    if (ms > 0) interval = static_cast<UINT>(ms);
  }
  WNDCLASSW wc{};
  wc.lpfnWndProc = floorProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"TavoCpuFloor";
  if (!RegisterClassW(&wc)) return 1;
  // Hidden like Tavo's own main window.
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"TavoCpuFloor", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, instance, nullptr);
  if (!hwnd || !SetTimer(hwnd, 1, interval, nullptr)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
