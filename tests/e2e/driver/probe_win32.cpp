// tavo_probe: the end-to-end tests' hands inside the Wine desktop. One
// command a line on stdin, one answer a line on stdout (the line format is in
// tests/e2e/README.md); the table at the end holds the commands, `help` lists
// them.
//
// Every window the probe makes runs on a thread of its own, so a test can hang
// one window without stopping the probe or the others; the main thread waits
// on no other thread without a time limit.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "platform/win32/wide_win32.h"

namespace {

using Fields = std::vector<std::wstring>;
using Reply = std::vector<std::wstring>;

constexpr DWORD kWaitMs = 5000;  // bound on every wait for another thread

std::wstring wide(std::string_view utf8Text) { return tavo::win32::wide(tavo::utf16(utf8Text)); }
std::string narrow(std::wstring_view w) { return tavo::utf8(tavo::win32::fromWide(w)); }

std::string escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    const char* e = c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : nullptr;
    e ? out.append(e) : out.append(1, c);
  }
  return out;
}

Fields parseLine(const std::string& line) {
  Fields fields;
  std::string cur;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || line[i] == '\t') {
      fields.push_back(wide(cur));
      cur.clear();
    } else if (line[i] == '\\' && i + 1 < line.size()) {
      const char n = line[++i];
      cur += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    } else {
      cur += line[i];
    }
  }
  return fields;
}

struct Failure {
  std::wstring message;
};

[[noreturn]] void fail(std::wstring message) { throw Failure{std::move(message)}; }

[[noreturn]] void failed(const wchar_t* call, DWORD error = GetLastError()) {
  fail(std::wstring(call) + L" failed, error " + std::to_wstring(error));
}

const wchar_t* flag(bool b) { return b ? L"1" : L"0"; }

std::wstring handleText(HWND h) { return std::to_wstring(reinterpret_cast<uintptr_t>(h)); }

HWND window(const std::wstring& text) {
  try {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(text)));
  } catch (...) {
    fail(L"bad window handle: " + text);
  }
}

// Read without a message, so a hung window cannot block us.
std::wstring titleOf(HWND h) {
  for (std::vector<wchar_t> buf(8192);; buf.assign(buf.size() * 2, L'\0')) {
    int n = std::max(0, InternalGetWindowText(h, buf.data(), static_cast<int>(buf.size())));
    if (static_cast<std::size_t>(n) + 1 < buf.size() || buf.size() >= (1u << 22)) return std::wstring(buf.data(), n);
  }
}

std::wstring classOf(HWND h) {
  wchar_t buf[256] = {};
  return std::wstring(buf, std::max(0, GetClassNameW(h, buf, 256)));
}

BOOL CALLBACK addHandle(HWND h, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
  return TRUE;
}

// The top-level windows for a null parent, else every window below it.
std::vector<HWND> windowsBelow(HWND parent) {
  std::vector<HWND> out;
  parent ? EnumChildWindows(parent, addHandle, reinterpret_cast<LPARAM>(&out))
         : EnumWindows(addHandle, reinterpret_cast<LPARAM>(&out));
  return out;
}

// ---- work on other threads --------------------------------------------------

constexpr UINT kMsgRun = WM_APP + 1;  // lParam: std::shared_ptr<Task>*, deleted by the window

using Work = std::function<BOOL()>;

// Whoever waits for a task may give up and walk away, so it is shared.
struct Task {
  explicit Task(Work w) : work(std::move(w)) {}
  ~Task() { CloseHandle(done); }
  void run() {
    result = work();
    SetEvent(done);
  }
  Work work;
  BOOL result = FALSE;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

struct OwnWindow {
  HWND hwnd = nullptr;
  int bareDpi = 0;  // for a window without the system caption: the DPI its own title bar is drawn at
  std::mutex mutex;
  std::vector<std::wstring> received;  // texts of WM_SETTEXT sent by others
  std::vector<std::wstring> moves;     // "x,y" of every change of position
};

std::mutex gWindowsMutex;
std::map<HWND, std::shared_ptr<OwnWindow>> gWindows;
std::atomic<int> gCascade{0};
thread_local bool tRetitlingSelf = false;  // set on a window's thread while it writes its own title

std::shared_ptr<OwnWindow> findOwn(HWND h) {
  std::lock_guard lock(gWindowsMutex);
  auto it = gWindows.find(h);
  return it == gWindows.end() ? nullptr : it->second;
}

std::shared_ptr<OwnWindow> ownWindow(HWND h) {
  if (auto own = findOwn(h)) return own;
  fail(L"not a probe window: " + handleText(h));
}

// The title bar a bare window draws in its client area, as applications with
// a title bar of their own do: a band with the title and three caption
// buttons of 46 by 32 pixels at 96 DPI at the right.
void paintTitleBar(HWND h, int dpi) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  RECT band{};
  GetClientRect(h, &band);
  band.bottom = MulDiv(32, dpi, 96);
  auto fill = [dc](RECT r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
  };
  fill(band, RGB(210, 225, 245));
  const int w = MulDiv(46, dpi, 96), inset = MulDiv(8, dpi, 96);
  HFONT font = CreateFontW(-MulDiv(12, dpi, 72), 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS UI Gothic");
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t title[256] = {};
  InternalGetWindowText(h, title, 256);
  SetBkMode(dc, TRANSPARENT);
  for (int i = 1; i <= 3; ++i) {
    RECT box{band.right - i * w + 1, 0, band.right - (i - 1) * w - 1, band.bottom};
    fill(box, i == 1 ? RGB(220, 60, 60) : RGB(170, 185, 210));
    DrawTextW(dc, i == 1 ? L"×" : i == 2 ? L"□" : L"＿", -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  RECT text{inset, 0, band.right - 3 * w, band.bottom};
  DrawTextW(dc, title, -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  DeleteObject(SelectObject(dc, old));
  EndPaint(h, &ps);
}

LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(h, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  auto* self = reinterpret_cast<OwnWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  switch (msg) {
    case WM_SETTEXT:
      if (self && self->bareDpi) InvalidateRect(h, nullptr, TRUE);  // its title bar shows the title
      if (self && !tRetitlingSelf) {
        std::lock_guard lock(self->mutex);
        self->received.emplace_back(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
      }
      break;
    case WM_WINDOWPOSCHANGED: {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
      if (self && !(pos->flags & SWP_NOMOVE)) {
        std::lock_guard lock(self->mutex);
        self->moves.push_back(std::to_wstring(pos->x) + L"," + std::to_wstring(pos->y));
      }
      break;
    }
    case WM_NCCALCSIZE:  // a bare window keeps its frame but for the top: no system caption
      if (self && self->bareDpi) {
        // Either way the proposed rectangle comes first (wParam TRUE: rgrc[0]).
        RECT& client = *reinterpret_cast<RECT*>(lp);
        const LONG top = client.top;
        DefWindowProcW(h, msg, wp, lp);
        client.top = top;
        return 0;
      }
      break;
    case WM_PAINT:
      if (self && self->bareDpi) {
        paintTitleBar(h, self->bareDpi);
        return 0;
      }
      break;
    case kMsgRun:
      (*std::unique_ptr<std::shared_ptr<Task>>(reinterpret_cast<std::shared_ptr<Task>*>(lp)))->run();
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

// Hands work to a probe window's thread without waiting for it.
std::shared_ptr<Task> post(HWND h, Work work) {
  ownWindow(h);
  auto task = std::make_shared<Task>(std::move(work));
  auto* ticket = new std::shared_ptr<Task>(task);
  if (!PostMessageW(h, kMsgRun, 0, reinterpret_cast<LPARAM>(ticket))) {
    delete ticket;
    failed(L"PostMessage");
  }
  return task;
}

// For calls that may wait on a window that does not answer.
std::shared_ptr<Task> spawn(Work work) {
  auto task = std::make_shared<Task>(std::move(work));
  std::thread([task] { task->run(); }).detach();
  return task;
}

bool finished(const Task& task) { return WaitForSingleObject(task.done, kWaitMs) == WAIT_OBJECT_0; }

Reply outcome(const std::shared_ptr<Task>& task) {
  if (!finished(*task)) fail(L"no answer within " + std::to_wstring(kWaitMs) + L" ms");
  return {flag(task->result)};
}

Work retitle(HWND h, std::wstring text) {
  return [h, text = std::move(text)] {
    tRetitlingSelf = true;
    BOOL ok = SetWindowTextW(h, text.c_str());
    tRetitlingSelf = false;
    return ok;
  };
}

Work bringToFront(HWND h) {
  return [h] {
    ShowWindow(h, SW_SHOWNORMAL);
    SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    return SetForegroundWindow(h);
  };
}

HWND createWindow(const std::wstring& cls, const std::wstring& title, int bareDpi = 0) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = cls.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) failed(L"RegisterClassEx");
  const int slot = gCascade++ % 8;
  auto own = std::make_shared<OwnWindow>();
  own->bareDpi = bareDpi;
  auto created = std::make_shared<Task>([own, cls, title, slot]() -> BOOL {
    own->hwnd = CreateWindowExW(0, cls.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40 + slot * 40,
                                40 + slot * 50, 560, 160, nullptr, nullptr, GetModuleHandleW(nullptr), own.get());
    if (!own->hwnd) return FALSE;
    std::lock_guard lock(gWindowsMutex);
    gWindows[own->hwnd] = own;
    return TRUE;
  });
  // The thread owns its window and ends with it.
  std::thread([own, created] {
    created->run();
    MSG msg;
    while (own->hwnd && GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::lock_guard lock(gWindowsMutex);
    gWindows.erase(own->hwnd);
  }).detach();
  if (!finished(*created)) fail(L"window thread did not answer");
  if (!created->result) fail(L"CreateWindowEx failed");
  return own->hwnd;
}

// Read and cleared under one lock, so that a long watch loses nothing between calls.
Reply drain(const Fields& a) {
  auto own = ownWindow(window(a[0]));
  std::lock_guard lock(own->mutex);
  Reply r{std::to_wstring(own->received.size())};
  r.insert(r.end(), own->received.begin(), own->received.end());
  r.insert(r.end(), own->moves.begin(), own->moves.end());
  own->received.clear();
  own->moves.clear();
  return r;
}

// ---- settings in the registry -------------------------------------------------

struct KeyCloser {
  void operator()(HKEY k) const { RegCloseKey(k); }
};
using Key = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// A section's key; null when it is missing and not to be made.
Key section(const std::wstring& name, REGSAM access, bool create = false) {
  const std::wstring path = L"Software\\VB and VBA Program Settings\\Tavo for Windows NT/95\\" + name;
  HKEY key = nullptr;
  LSTATUS s = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr)
                     : RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key);
  if (s == ERROR_FILE_NOT_FOUND && !create) return nullptr;
  if (s != ERROR_SUCCESS) failed(create ? L"RegCreateKeyEx" : L"RegOpenKeyEx", s);
  return Key(key);
}

// Values as UTF-16 code units, four hex digits each, so that any text,
// unpaired surrogates and NULs included, crosses the line protocol.
Reply regset(const Fields& a) {
  if (a[2].size() % 4 != 0) fail(L"regset: hex units come in fours");
  std::wstring text;
  for (std::size_t i = 0; i < a[2].size(); i += 4)
    text.push_back(static_cast<wchar_t>(std::stoul(a[2].substr(i, 4), nullptr, 16)));
  LSTATUS s = RegSetValueExW(section(a[0], KEY_SET_VALUE, true).get(), a[1].c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (s != ERROR_SUCCESS) failed(L"RegSetValueEx", s);
  return {};
}

Reply regdel(const Fields& a) {
  Key key = section(a[0], KEY_SET_VALUE);
  LSTATUS s = key ? RegDeleteValueW(key.get(), a[1].c_str()) : ERROR_SUCCESS;
  if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND) failed(L"RegDeleteValue", s);
  return {};
}

Reply regdump(const Fields& a) {
  Key key = section(a[0], KEY_QUERY_VALUE);
  if (!key) return {};
  DWORD maxName = 0, maxData = 0;
  LSTATUS s = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName,
                               &maxData, nullptr, nullptr);
  if (s != ERROR_SUCCESS) failed(L"RegQueryInfoKey", s);
  Reply r;
  std::vector<wchar_t> name(maxName + 1);
  std::vector<wchar_t> data(maxData / 2 + 1);
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size()), type = 0, size = static_cast<DWORD>(data.size() * 2);
    s = RegEnumValueW(key.get(), i, name.data(), &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                      &size);
    if (s == ERROR_NO_MORE_ITEMS) return r;
    if (s != ERROR_SUCCESS) failed(L"RegEnumValue", s);
    std::size_t units = size / 2;
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && units > 0 && data[units - 1] == L'\0') --units;
    std::wstring hex;
    for (std::size_t u = 0; u < units; ++u) {
      wchar_t digits[5];
      swprintf(digits, 5, L"%04X", static_cast<unsigned>(data[u]));
      hex += digits;
    }
    r.insert(r.end(), {std::wstring(name.data(), nameSize), std::to_wstring(type), hex});
  }
}

// ---- soak: titles that stress a reader, another process's counters ------------

// Titles that stress a reader: plain, empty, 100 000 units, and unpaired
// surrogates (which no UTF-8 line can carry, so they are made here).
std::wstring soakTitle(unsigned long n) {
  switch (n % 4) {
    case 0: return L"Churn " + std::to_wstring(n);
    case 1: return L"";
    case 2: {
      std::wstring t = L"Long " + std::to_wstring(n) + L" ";
      while (t.size() < 100000) t += L"長い題名 0123456789 ";
      t.resize(100000);
      return t;
    }
    default:  // the last one a high surrogate at the very end
      return L"Lone \xD800 high, \xDC00 low, reversed \xDE00\xD83D, pair \xD83D\xDE00 " + std::to_wstring(n) +
             L"\xDBFF";
  }
}

// Handles the system lists for a process (-1 when the list cannot be read).
long listedHandles(DWORD pid) {
  std::vector<unsigned char> buf(1 << 20);
  for (int i = 0; i < 8; ++i) {
    ULONG needed = 0;
    if (NtQuerySystemInformation(SystemHandleInformation, buf.data(), static_cast<ULONG>(buf.size()), &needed) == 0) {
      const auto* info = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buf.data());
      long n = 0;
      for (ULONG k = 0; k < info->Count; ++k) n += info->Handle[k].OwnerPid == pid;
      return n;
    }
    buf.resize(std::max<std::size_t>(buf.size() * 2, needed + 4096));
  }
  return -1;
}

Reply counters(const Fields& a) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window(a[0]), &pid);
  if (!pid) fail(L"no such window");
  long windows = 0;
  auto count = [&](HWND h) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    windows += owner == pid;
  };
  for (HWND top : windowsBelow(nullptr)) {
    count(top);
    for (HWND child : windowsBelow(top)) count(child);
  }
  return {std::to_wstring(pid), std::to_wstring(listedHandles(pid)), std::to_wstring(windows)};
}

// ---- the commands -------------------------------------------------------------

bool gQuit = false;

struct Command {
  const wchar_t* name;
  const wchar_t* args;  // optional ones in brackets
  const wchar_t* about;
  Reply (*run)(const Fields& args);
};

Reply help(const Fields&);

const Command kCommands[] = {
    {L"help", L"", L"every command with its arguments and what it does or answers", help},
    {L"ping", L"", L"pong", [](const Fields&) -> Reply { return {L"pong"}; }},
    {L"quit", L"", L"ends the probe without waiting for its windows' threads", [](const Fields&) -> Reply {
       gQuit = true;
       return {};
     }},
    {L"create", L"CLASS TITLE", L"a probe window on a thread of its own; its handle",
     [](const Fields& a) -> Reply { return {handleText(createWindow(a[0], a[1]))}; }},
    {L"createbare", L"CLASS TITLE [DPI]",
     L"a probe window without the system caption (WM_NCCALCSIZE) that draws a title bar of its own at DPI "
     L"(default 96); its handle",
     [](const Fields& a) -> Reply {
       return {handleText(createWindow(a[0], a[1], a.size() > 2 ? std::stoi(a[2]) : 96))};
     }},
    {L"createx", L"CLASS N", L"a probe window titled soak title N: by N mod 4 plain, empty, 100 000 units, surrogates",
     [](const Fields& a) -> Reply { return {handleText(createWindow(a[0], soakTitle(std::stoul(a[1]))))}; }},
    {L"front", L"H", L"brings H to the front, on its own thread if a probe window; 1 if SetForegroundWindow did",
     [](const Fields& a) {
       HWND h = window(a[0]);
       if (!IsWindow(h)) fail(L"no such window");
       return outcome(findOwn(h) ? post(h, bringToFront(h)) : spawn(bringToFront(h)));
     }},
    {L"move", L"H X Y", L"moves H's top left corner to X,Y, asynchronously for another thread's window",
     [](const Fields& a) -> Reply {
       if (!SetWindowPos(window(a[0]), nullptr, std::stoi(a[1]), std::stoi(a[2]), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS))
         failed(L"SetWindowPos");
       return {};
     }},
    {L"title", L"H", L"H's title, read without sending H a message",
     [](const Fields& a) -> Reply { return {titleOf(window(a[0]))}; }},
    {L"exists", L"H", L"1 if H is a window", [](const Fields& a) -> Reply { return {flag(IsWindow(window(a[0])))}; }},
    {L"titleis", L"H N", L"1 if H's whole title is exactly soak title N",
     [](const Fields& a) -> Reply { return {flag(titleOf(window(a[0])) == soakTitle(std::stoul(a[1])))}; }},
    {L"rect", L"H [ID]", L"left, top, right, bottom on the screen of H or of its child ID", [](const Fields& a) {
       RECT r{};
       if (!GetWindowRect(a.size() > 1 ? GetDlgItem(window(a[0]), std::stoi(a[1])) : window(a[0]), &r))
         failed(L"GetWindowRect");
       return Reply{std::to_wstring(r.left), std::to_wstring(r.top), std::to_wstring(r.right),
                    std::to_wstring(r.bottom)};
     }},
    {L"settitle", L"H TEXT", L"probe window H retitles itself, not counted as a write by others; 1 if it did",
     [](const Fields& a) { return outcome(post(window(a[0]), retitle(window(a[0]), a[1]))); }},
    {L"retitlex", L"H N", L"probe window H retitles itself to soak title N, as settitle does; 1 if it did",
     [](const Fields& a) { return outcome(post(window(a[0]), retitle(window(a[0]), soakTitle(std::stoul(a[1]))))); }},
    {L"drain", L"H", L"count of texts others wrote to probe window H, the texts, then x,y of its moves; clears them",
     drain},
    {L"hang", L"H MS", L"probe window H's thread sleeps MS milliseconds", [](const Fields& a) -> Reply {
       post(window(a[0]), [ms = std::stoul(a[1])] {
         Sleep(ms);
         return TRUE;
       });
       return {};
     }},
    {L"close", L"H", L"posts WM_CLOSE to H, so a hung H cannot block the probe", [](const Fields& a) -> Reply {
       if (!PostMessageW(window(a[0]), WM_CLOSE, 0, 0)) failed(L"PostMessage");
       return {};
     }},
    {L"foreground", L"", L"handle, class and title of the foreground window", [](const Fields&) {
       HWND h = GetForegroundWindow();
       return Reply{handleText(h), h ? classOf(h) : L"", h ? titleOf(h) : L""};
     }},
    {L"find", L"CLASS TITLE", L"FindWindow's handle, 0 if none; an empty field matches any", [](const Fields& a) {
       auto any = [](const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); };
       return Reply{handleText(FindWindowW(any(a[0]), any(a[1])))};
     }},
    {L"windows", L"", L"handle, class, 1 if visible, and title of every top-level window", [](const Fields&) {
       Reply r;
       for (HWND h : windowsBelow(nullptr)) r.insert(r.end(), {handleText(h), classOf(h), flag(IsWindowVisible(h)), titleOf(h)});
       return r;
     }},
    {L"children", L"H", L"id, class, text and style in 8 hex digits of every window below H", [](const Fields& a) {
       Reply r;
       for (HWND c : windowsBelow(window(a[0]))) {
         wchar_t style[16];
         swprintf(style, 16, L"%08lX", static_cast<unsigned long>(GetWindowLongW(c, GWL_STYLE)));
         r.insert(r.end(), {std::to_wstring(GetDlgCtrlID(c)), classOf(c), titleOf(c), style});
       }
       return r;
     }},
    {L"press", L"H ID", L"clicks H's button ID: posts H its WM_COMMAND", [](const Fields& a) -> Reply {
       HWND h = window(a[0]);
       const int id = std::stoi(a[1]);
       if (!PostMessageW(h, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(h, id))))
         failed(L"PostMessage");
       return {};
     }},
    {L"regset", L"SECTION KEY HEX",
     L"stores a settings value (HKCU\\Software\\VB and VBA Program Settings\\Tavo for Windows NT/95) as REG_SZ "
     L"given as UTF-16 units, four hex digits each",
     regset},
    {L"regdel", L"SECTION KEY", L"deletes a settings value; a missing one is fine", regdel},
    {L"regdump", L"SECTION", L"name, type and hex units of every value of a section", regdump},
    {L"counters", L"H",
     L"of H's process: pid, handles in the system list, windows (GetGuiResources answers 0 under Wine)",
     counters},
};

Reply help(const Fields&) {
  Reply r;
  for (const Command& c : kCommands)
    r.push_back(c.name + std::wstring(*c.args ? L" " : L"") + c.args + L": " + c.about);
  return r;
}

Reply run(const Fields& f) {
  auto c = std::find_if(std::begin(kCommands), std::end(kCommands), [&](const Command& c) { return f[0] == c.name; });
  if (c == std::end(kCommands)) fail(L"unknown command " + f[0]);
  const std::wstring_view args = c->args;
  std::size_t needed = 0;
  for (std::size_t i = 0; i < args.size(); ++i)
    needed += (i == 0 || args[i - 1] == L' ') && args[i] != L' ' && args[i] != L'[';
  const Fields given(f.begin() + 1, f.end());
  if (given.size() < needed) fail(f[0] + L": needs " + std::to_wstring(needed) + L" arguments");
  return c->run(given);
}

void answer(const std::string& status, const Reply& fields) {
  std::string line = status;
  for (const auto& f : fields) line += "\t" + escape(narrow(f));
  line += "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int wmain() {
  // Bytes in and out: the harness speaks UTF-8 whatever the code page is.
  std::ios::sync_with_stdio(false);
  std::string line;
  while (!gQuit && std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    try {
      answer("ok", run(parseLine(line)));
    } catch (const Failure& e) {
      answer("error", {e.message});
    } catch (const std::exception& e) {
      answer("error", {wide(e.what())});
    }
  }
  // Leave without joining the window threads; a hung one must not keep us.
  std::fflush(stdout);
  ExitProcess(0);
}
