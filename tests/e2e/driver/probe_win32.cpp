// tavo_probe: the end-to-end tests' hands inside the Wine desktop.
//
// Reads one command per line on stdin and answers one line on stdout. A line
// is a list of fields separated by TAB; inside a field "\\", "\t", "\n" and
// "\r" stand for a backslash, TAB, LF and CR. Text is UTF-8. The answer's
// first field is "ok" or "error" (then a message). Window handles are decimal.
//
// Every window the probe creates runs on a thread of its own, so a test can
// hang one window without stopping the probe or the other windows. The main
// thread never waits on another window's thread without a time limit.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"

namespace {

using Fields = std::vector<std::wstring>;

constexpr DWORD kWaitMs = 5000;  // bound on every wait for another thread

std::wstring wide(std::string_view utf8Text) {
  std::u16string u = tavo::utf16(utf8Text);
  return std::wstring(u.begin(), u.end());
}

std::string narrow(std::wstring_view w) {
  return tavo::utf8(std::u16string_view(reinterpret_cast<const char16_t*>(w.data()), w.size()));
}

std::string escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

Fields parseLine(const std::string& line) {
  Fields fields;
  std::string cur;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\t') {
      fields.push_back(wide(cur));
      cur.clear();
    } else if (c == '\\' && i + 1 < line.size()) {
      char n = line[++i];
      cur += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    } else {
      cur += c;
    }
  }
  fields.push_back(wide(cur));
  return fields;
}

struct Failure {
  std::wstring message;
};

[[noreturn]] void fail(std::wstring message) { throw Failure{std::move(message)}; }

std::wstring lastErrorText(const wchar_t* what) {
  return std::wstring(what) + L" failed, error " + std::to_wstring(GetLastError());
}

HWND handleArg(const Fields& f, std::size_t i) {
  if (f.size() <= i) fail(L"missing window handle");
  try {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::stoull(f[i])));
  } catch (...) {
    fail(L"bad window handle: " + f[i]);
  }
}

std::wstring handleText(HWND h) { return std::to_wstring(reinterpret_cast<uintptr_t>(h)); }

// Reads a title without sending a message, so a hung window cannot block us.
std::wstring storedTitle(HWND h) {
  std::vector<wchar_t> buf(8192);
  int n = InternalGetWindowText(h, buf.data(), static_cast<int>(buf.size()));
  return std::wstring(buf.data(), n > 0 ? n : 0);
}

std::wstring classOf(HWND h) {
  wchar_t buf[256] = {};
  int n = GetClassNameW(h, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

// Runs `work` on a helper thread and gives up waiting after `ms`; for calls
// that may end up waiting on a window that does not answer.
bool bounded(std::function<void()> work, DWORD ms = kWaitMs) {
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread([work = std::move(work), done] {
    work();
    done->store(true);
  }).detach();
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done->load()) {
    if (std::chrono::steady_clock::now() > until) return false;
    Sleep(5);
  }
  return true;
}

// ---- windows of our own -----------------------------------------------------

constexpr UINT kMsgSetTitle = WM_APP + 1;  // lParam: Job*
constexpr UINT kMsgHang = WM_APP + 2;      // wParam: milliseconds
constexpr UINT kMsgFront = WM_APP + 3;     // lParam: Job*
constexpr UINT kMsgRun = WM_APP + 4;       // lParam: std::function<void()>*, deleted by the window

// A piece of work handed to a window's thread; the caller waits for `done`
// with a time limit and may walk away, so the job is shared.
struct Job {
  std::wstring text;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  BOOL result = FALSE;
  ~Job() { CloseHandle(done); }
};

struct OwnWindow {
  HWND hwnd = nullptr;
  bool selfSetting = false;  // touched on the window's thread only
  std::mutex mutex;
  std::vector<std::wstring> received;  // texts of WM_SETTEXT sent by others
  std::vector<std::wstring> moves;     // "x,y" of every change of position
};

std::mutex gWindowsMutex;
std::map<HWND, std::shared_ptr<OwnWindow>> gWindows;
std::set<std::wstring> gClasses;
int gCascade = 0;

std::shared_ptr<OwnWindow> ownWindow(HWND h) {
  std::lock_guard lock(gWindowsMutex);
  auto it = gWindows.find(h);
  if (it == gWindows.end()) fail(L"not a probe window: " + handleText(h));
  return it->second;
}

LRESULT CALLBACK windowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<OwnWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
      break;
    }
    case WM_SETTEXT:
      if (self && !self->selfSetting) {
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
    case kMsgSetTitle: {
      auto* job = reinterpret_cast<std::shared_ptr<Job>*>(lp);
      if (self) self->selfSetting = true;
      (*job)->result = SetWindowTextW(h, (*job)->text.c_str());
      if (self) self->selfSetting = false;
      SetEvent((*job)->done);
      delete job;
      return 0;
    }
    case kMsgFront: {
      auto* job = reinterpret_cast<std::shared_ptr<Job>*>(lp);
      ShowWindow(h, SW_SHOWNORMAL);
      SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
      (*job)->result = SetForegroundWindow(h);
      SetEvent((*job)->done);
      delete job;
      return 0;
    }
    case kMsgHang:
      Sleep(static_cast<DWORD>(wp));
      return 0;
    case kMsgRun: {
      std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lp));
      (*work)();
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

// Posts a job to a window's thread and waits for it, within limits.
bool runOnWindowThread(HWND h, UINT msg, const std::shared_ptr<Job>& job) {
  auto* ticket = new std::shared_ptr<Job>(job);
  if (!PostMessageW(h, msg, 0, reinterpret_cast<LPARAM>(ticket))) {
    delete ticket;
    fail(lastErrorText(L"PostMessage"));
  }
  return WaitForSingleObject(job->done, kWaitMs) == WAIT_OBJECT_0;
}

void registerClass(const std::wstring& name) {
  std::lock_guard lock(gWindowsMutex);
  if (gClasses.count(name)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassExW(&wc)) fail(lastErrorText(L"RegisterClassEx"));
  gClasses.insert(name);
}

HWND createWindow(const std::wstring& cls, const std::wstring& title) {
  registerClass(cls);
  auto own = std::make_shared<OwnWindow>();
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int slot;
  {
    std::lock_guard lock(gWindowsMutex);
    slot = gCascade++ % 8;
  }
  // The thread owns its window; it ends when the window is destroyed.
  std::thread([own, cls, title, created, slot] {
    HWND h = CreateWindowExW(0, cls.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40 + slot * 40,
                             40 + slot * 50, 560, 160, nullptr, nullptr, GetModuleHandleW(nullptr), own.get());
    own->hwnd = h;
    SetEvent(created);
    if (!h) return;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    std::lock_guard lock(gWindowsMutex);
    gWindows.erase(h);
  }).detach();
  DWORD wait = WaitForSingleObject(created, kWaitMs);
  CloseHandle(created);
  if (wait != WAIT_OBJECT_0) fail(L"window thread did not answer");
  if (!own->hwnd) fail(L"CreateWindowEx failed");
  std::lock_guard lock(gWindowsMutex);
  gWindows[own->hwnd] = own;
  return own->hwnd;
}

// ---- message boxes ----------------------------------------------------------

struct Child {
  HWND hwnd;
  int id;
  std::wstring cls;
  std::wstring text;
};

BOOL CALLBACK addChild(HWND h, LPARAM lp) {
  reinterpret_cast<std::vector<Child>*>(lp)->push_back({h, GetDlgCtrlID(h), classOf(h), storedTitle(h)});
  return TRUE;
}

std::vector<Child> childrenOf(HWND parent) {
  std::vector<Child> out;
  EnumChildWindows(parent, addChild, reinterpret_cast<LPARAM>(&out));
  return out;
}

std::wstring withoutAccelerator(const std::wstring& s) {
  std::wstring out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&' && i + 1 < s.size()) ++i;
    out += s[i];
  }
  return out;
}

bool isStatic(const std::wstring& cls) { return CompareStringOrdinal(cls.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL; }
bool isButton(const std::wstring& cls) { return CompareStringOrdinal(cls.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL; }

// ---- registry ---------------------------------------------------------------

std::wstring settingsKey(const std::wstring& section) {
  return L"Software\\VB and VBA Program Settings\\Tavo for Windows NT/95\\" + section;
}

// ---- commands ---------------------------------------------------------------

using Reply = std::vector<std::wstring>;

BOOL CALLBACK addVisibleWindow(HWND h, LPARAM lp) {
  if (IsWindowVisible(h)) {
    auto* r = reinterpret_cast<Reply*>(lp);
    r->push_back(handleText(h));
    r->push_back(classOf(h));
    r->push_back(storedTitle(h));
  }
  return TRUE;
}

struct BoxSearch {
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK findBoxEndingWith(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<BoxSearch*>(lp);
  const std::wstring title = storedTitle(w);
  if (classOf(w) == L"#32770" && title.size() > s->title->size() &&
      title.compare(title.size() - s->title->size(), s->title->size(), *s->title) == 0) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

Reply topLevelWindows() {
  Reply out;
  EnumWindows(addVisibleWindow, reinterpret_cast<LPARAM>(&out));
  return out;
}

// ---- soak: churning windows, stopped threads, another process's counters ----

// Titles that stress a reader: plain, empty, 100 000 units, and unpaired
// surrogates (which no UTF-8 line can carry, so they are made here).
std::wstring soakTitle(unsigned long n) {
  switch (n % 4) {
    case 0: return L"Churn " + std::to_wstring(n);
    case 1: return L"";
    case 2: {
      std::wstring t = L"Long " + std::to_wstring(n) + L" ";
      const std::wstring piece = L"長い題名 0123456789 ";
      while (t.size() < 100000) t += piece;
      t.resize(100000);
      return t;
    }
    default: {
      std::wstring t = L"Lone ";
      t += wchar_t(0xD800);
      t += L" high, ";
      t += wchar_t(0xDC00);
      t += L" low, reversed ";
      t += wchar_t(0xDE00);
      t += wchar_t(0xD83D);
      t += L", pair ";
      t += wchar_t(0xD83D);
      t += wchar_t(0xDE00);
      t += L" " + std::to_wstring(n);
      t += wchar_t(0xDBFF);  // a high surrogate at the very end
      return t;
    }
  }
}

// The whole title, however long, read without a message.
std::wstring fullTitle(HWND h) {
  std::vector<wchar_t> buf(8192);
  for (;;) {
    int n = InternalGetWindowText(h, buf.data(), static_cast<int>(buf.size()));
    if (n < 0) n = 0;
    if (static_cast<std::size_t>(n) + 1 < buf.size() || buf.size() >= (1u << 22)) return std::wstring(buf.data(), n);
    buf.assign(buf.size() * 2, L'\0');
  }
}

// Runs `work` on the window's own thread without waiting for it.
void postToWindow(HWND h, std::function<void()> work) {
  auto* ticket = new std::function<void()>(std::move(work));
  if (!PostMessageW(h, kMsgRun, 0, reinterpret_cast<LPARAM>(ticket))) {
    delete ticket;
    fail(lastErrorText(L"PostMessage"));
  }
}

// A thread that starts a window every `createMs`, which comes to the front,
// closes the oldest beyond `keep`, and has the newest retitle itself every
// `retitleMs`; titles cycle through soakTitle(). Windows are made on helper
// threads, so a slow moment of Wine delays them without slowing the pace;
// at most kInFlight are under way, beyond that a start is counted as late.
class Churn {
 public:
  static constexpr int kInFlight = 8;

  Churn(DWORD createMs, DWORD retitleMs, std::size_t keep) : createMs_(createMs), retitleMs_(retitleMs), keep_(keep) {
    thread_ = std::thread([this] { loop(); });
  }
  // Stops and answers the counts. The last `keep` windows stay open, so
  // that a test can look at the titles they were left with.
  Reply stop() {
    stop_ = true;
    thread_.join();
    for (int i = 0; inFlight_ > 0 && i < 2000; ++i) Sleep(5);
    if (inFlight_ > 0) fail(L"windows still being made");
    std::lock_guard lock(mutex_);
    return {std::to_wstring(created_), std::to_wstring(closed_), std::to_wstring(retitled_),
            std::to_wstring(fronted_), std::to_wstring(late_), std::to_wstring(failed_)};
  }

 private:
  using Clock = std::chrono::steady_clock;

  void loop() {
    auto nextCreate = Clock::now(), nextRetitle = Clock::now();
    while (!stop_) {
      const auto now = Clock::now();
      if (now >= nextCreate) {
        // Behind schedule: carry on from now, do not burst.
        nextCreate = std::max(nextCreate + std::chrono::milliseconds(createMs_), now);
        startOne(counter_++);
      }
      if (now >= nextRetitle) {
        nextRetitle = std::max(nextRetitle + std::chrono::milliseconds(retitleMs_), now);
        retitleNewest(counter_++);
      }
      Sleep(2);
    }
  }

  void startOne(unsigned long n) {
    if (inFlight_ >= kInFlight) {
      ++late_;
      return;
    }
    ++inFlight_;
    std::thread([this, n] {
      try {
        HWND h = createWindow(L"ChurnWindow", soakTitle(n));
        auto job = std::make_shared<Job>();
        const bool front = runOnWindowThread(h, kMsgFront, job) && job->result;
        std::lock_guard lock(mutex_);
        ++created_;
        if (front) ++fronted_;
        alive_.push_back(h);
        while (alive_.size() > keep_) {
          PostMessageW(alive_.front(), WM_CLOSE, 0, 0);
          alive_.erase(alive_.begin());
          ++closed_;
        }
      } catch (const Failure&) {
        ++failed_;
      }
      --inFlight_;
    }).detach();
  }

  void retitleNewest(unsigned long n) {
    std::lock_guard lock(mutex_);
    if (alive_.empty()) return;
    HWND h = alive_.back();
    std::wstring text = soakTitle(n);
    try {
      postToWindow(h, [h, text] { SetWindowTextW(h, text.c_str()); });
      ++retitled_;
    } catch (const Failure&) {
      ++failed_;
    }
  }

  const DWORD createMs_, retitleMs_;
  const std::size_t keep_;
  std::atomic<bool> stop_{false};
  std::atomic<int> inFlight_{0};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<HWND> alive_;  // oldest first
  unsigned long counter_ = 0;
  std::atomic<long> created_{0}, closed_{0}, retitled_{0}, fronted_{0}, late_{0}, failed_{0};
};

std::unique_ptr<Churn> gChurn;

// Stopped probe windows: the thread handle to resume each with.
std::map<HWND, HANDLE> gSuspended;

BOOL CALLBACK addTopLevel(HWND h, LPARAM lp) {
  auto* r = reinterpret_cast<Reply*>(lp);
  r->push_back(handleText(h));
  r->push_back(classOf(h));
  r->push_back(IsWindowVisible(h) ? L"1" : L"0");
  r->push_back(fullTitle(h));
  return TRUE;
}

// Handles the system lists for a process (-1 when the list cannot be read).
long listedHandles(DWORD pid) {
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  auto query = reinterpret_cast<Query>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<unsigned char> buf(1 << 20);
  for (int i = 0; i < 8; ++i) {
    ULONG needed = 0;
    LONG status = query(kSystemHandleInformation, buf.data(), static_cast<ULONG>(buf.size()), &needed);
    if (status == 0) {
      const auto* info = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buf.data());
      long n = 0;
      for (ULONG k = 0; k < info->Count; ++k) n += info->Handle[k].OwnerPid == pid;
      return n;
    }
    buf.resize(std::max<std::size_t>(buf.size() * 2, needed + 4096));
  }
  return -1;
}

struct WindowCount {
  DWORD pid;
  long n;
};

BOOL CALLBACK countChild(HWND h, LPARAM lp) {
  auto* c = reinterpret_cast<WindowCount*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  c->n += pid == c->pid;
  return TRUE;
}

BOOL CALLBACK countTopLevel(HWND h, LPARAM lp) {
  countChild(h, lp);
  EnumChildWindows(h, countChild, lp);
  return TRUE;
}

long windowsOf(DWORD pid) {
  WindowCount c{pid, 0};
  EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&c));
  return c.n;
}

std::optional<Reply> soakCommand(const Fields& f) {
  const std::wstring& cmd = f[0];
  if (cmd == L"churn") {  // create ms, retitle ms, windows kept
    if (f.size() < 4) fail(L"churn: needs 3 arguments");
    if (gChurn) fail(L"churn is running");
    gChurn = std::make_unique<Churn>(std::stoul(f[1]), std::stoul(f[2]), std::stoul(f[3]));
    return Reply{};
  }
  if (cmd == L"churnstop") {  // created, closed, retitled, brought to front, late, failures
    if (!gChurn) fail(L"churn is not running");
    Reply r = gChurn->stop();
    gChurn.reset();
    return r;
  }
  if (cmd == L"createx") {  // class, n: a window titled soakTitle(n)
    if (f.size() < 3) fail(L"createx: needs 2 arguments");
    return Reply{handleText(createWindow(f[1], soakTitle(std::stoul(f[2]))))};
  }
  if (cmd == L"titleis") {  // hwnd, n: "1" when the title is exactly soakTitle(n)
    if (f.size() < 3) fail(L"titleis: needs 2 arguments");
    return Reply{fullTitle(handleArg(f, 1)) == soakTitle(std::stoul(f[2])) ? L"1" : L"0"};
  }
  if (cmd == L"suspend") {  // hwnd: the window's thread stops itself at a quiet point
    HWND h = handleArg(f, 1);
    ownWindow(h);
    if (gSuspended.count(h)) fail(L"already stopped");
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE, GetWindowThreadProcessId(h, nullptr));
    if (!thread) fail(lastErrorText(L"OpenThread"));
    postToWindow(h, [] { SuspendThread(GetCurrentThread()); });
    // Stopped once an extra suspension finds it stopped already.
    for (int i = 0;; ++i) {
      DWORD previous = SuspendThread(thread);
      ResumeThread(thread);
      if (previous != static_cast<DWORD>(-1) && previous >= 1) break;
      if (i > 1000) {
        CloseHandle(thread);
        fail(L"the window's thread did not stop");
      }
      Sleep(5);
    }
    gSuspended[h] = thread;
    return Reply{};
  }
  if (cmd == L"resume") {  // hwnd
    HWND h = handleArg(f, 1);
    auto it = gSuspended.find(h);
    if (it == gSuspended.end()) fail(L"not stopped");
    ResumeThread(it->second);
    CloseHandle(it->second);
    gSuspended.erase(it);
    return Reply{};
  }
  if (cmd == L"counters") {
    // hwnd: of the window's process, pid; USER and GDI objects and handles as
    // the process functions count them; handles in the system's handle list;
    // its windows, top-level and child. Wine answers 0 for the first three.
    DWORD pid = 0;
    GetWindowThreadProcessId(handleArg(f, 1), &pid);
    if (!pid) fail(L"no such window");
    HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!p) fail(lastErrorText(L"OpenProcess"));
    DWORD user = GetGuiResources(p, GR_USEROBJECTS), gdi = GetGuiResources(p, GR_GDIOBJECTS), handles = 0;
    BOOL haveHandles = GetProcessHandleCount(p, &handles);
    CloseHandle(p);
    return Reply{std::to_wstring(pid), std::to_wstring(user), std::to_wstring(gdi),
                 haveHandles ? std::to_wstring(handles) : L"-1", std::to_wstring(listedHandles(pid)),
                 std::to_wstring(windowsOf(pid))};
  }
  if (cmd == L"toplevel") return [] {  // every top-level window: hwnd, class, visible, whole title
    Reply r;
    EnumWindows(addTopLevel, reinterpret_cast<LPARAM>(&r));
    return r;
  }();
  return std::nullopt;
}

Reply run(const Fields& f) {
  const std::wstring& cmd = f[0];
  auto need = [&](std::size_t n) {
    if (f.size() < n + 1) fail(cmd + L": needs " + std::to_wstring(n) + L" arguments");
  };

  if (cmd == L"ping") return {L"pong"};

  if (cmd == L"create") {  // class, title
    need(2);
    return {handleText(createWindow(f[1], f[2]))};
  }
  if (cmd == L"front") {  // hwnd
    HWND h = handleArg(f, 1);
    if (!IsWindow(h)) fail(L"no such window");
    bool own;
    {
      std::lock_guard lock(gWindowsMutex);
      own = gWindows.count(h) > 0;
    }
    if (own) {
      auto job = std::make_shared<Job>();
      if (!runOnWindowThread(h, kMsgFront, job)) fail(L"window thread did not answer");
      return {job->result ? L"1" : L"0"};
    }
    auto result = std::make_shared<std::atomic<BOOL>>(FALSE);
    if (!bounded([h, result] {
          ShowWindow(h, SW_SHOWNORMAL);
          SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
          result->store(SetForegroundWindow(h));
        }))
      fail(L"SetForegroundWindow did not return");
    return {result->load() ? L"1" : L"0"};
  }
  if (cmd == L"title") return {storedTitle(handleArg(f, 1))};
  if (cmd == L"class") return {classOf(handleArg(f, 1))};
  if (cmd == L"exists") return {IsWindow(handleArg(f, 1)) ? L"1" : L"0"};
  if (cmd == L"rect") {  // hwnd [, child id]: left, top, right, bottom on the screen
    HWND h = handleArg(f, 1);
    if (f.size() > 2) h = GetDlgItem(h, std::stoi(f[2]));
    RECT r{};
    if (!GetWindowRect(h, &r)) fail(lastErrorText(L"GetWindowRect"));
    return {std::to_wstring(r.left), std::to_wstring(r.top), std::to_wstring(r.right), std::to_wstring(r.bottom)};
  }
  if (cmd == L"settitle") {  // hwnd, text: the window retitles itself
    need(2);
    HWND h = handleArg(f, 1);
    ownWindow(h);
    auto job = std::make_shared<Job>();
    job->text = f[2];
    if (!runOnWindowThread(h, kMsgSetTitle, job)) fail(L"window thread did not answer");
    return {job->result ? L"1" : L"0"};
  }
  if (cmd == L"write") {  // hwnd, text: another program writes the title
    need(2);
    HWND h = handleArg(f, 1);
    std::wstring text = f[2];
    auto result = std::make_shared<std::atomic<BOOL>>(FALSE);
    if (!bounded([h, text, result] { result->store(SetWindowTextW(h, text.c_str())); }))
      fail(L"SetWindowText did not return");
    return {result->load() ? L"1" : L"0"};
  }
  if (cmd == L"alert") {  // title, text: a message box of our own, on a thread of its own
    need(2);
    std::wstring title = f[1], text = f[2];
    std::thread([title, text] { MessageBoxW(nullptr, text.c_str(), title.c_str(), MB_OKCANCEL); }).detach();
    return {};
  }
  if (cmd == L"received") {  // hwnd: count, then every text written by others
    auto own = ownWindow(handleArg(f, 1));
    std::lock_guard lock(own->mutex);
    Reply r{std::to_wstring(own->received.size())};
    r.insert(r.end(), own->received.begin(), own->received.end());
    return r;
  }
  if (cmd == L"forget") {  // hwnd: start counting afresh
    auto own = ownWindow(handleArg(f, 1));
    std::lock_guard lock(own->mutex);
    own->received.clear();
    own->moves.clear();
    return {};
  }
  if (cmd == L"moves") {  // hwnd: count, then "x,y" of every move
    auto own = ownWindow(handleArg(f, 1));
    std::lock_guard lock(own->mutex);
    Reply r{std::to_wstring(own->moves.size())};
    r.insert(r.end(), own->moves.begin(), own->moves.end());
    return r;
  }
  if (cmd == L"style") {  // hwnd [, child id]: the window style in hex
    HWND h = handleArg(f, 1);
    if (f.size() > 2) h = GetDlgItem(h, std::stoi(f[2]));
    if (!h) fail(L"no such window");
    wchar_t buf[16];
    swprintf(buf, 16, L"%08lX", static_cast<unsigned long>(GetWindowLongW(h, GWL_STYLE)));
    return {buf};
  }
  if (cmd == L"hang") {  // hwnd, ms
    need(2);
    HWND h = handleArg(f, 1);
    ownWindow(h);
    if (!PostMessageW(h, kMsgHang, static_cast<WPARAM>(std::stoul(f[2])), 0)) fail(lastErrorText(L"PostMessage"));
    return {};
  }
  if (cmd == L"destroy" || cmd == L"close") {  // hwnd; posted, so a hung window cannot block us
    if (!PostMessageW(handleArg(f, 1), WM_CLOSE, 0, 0)) fail(lastErrorText(L"PostMessage"));
    return {};
  }
  if (cmd == L"foreground") {
    HWND h = GetForegroundWindow();
    return {handleText(h), h ? classOf(h) : L"", h ? storedTitle(h) : L""};
  }
  if (cmd == L"find") {  // class, title; an empty field matches any
    need(2);
    HWND h = FindWindowW(f[1].empty() ? nullptr : f[1].c_str(), f[2].empty() ? nullptr : f[2].c_str());
    return {handleText(h)};
  }
  if (cmd == L"windows") return topLevelWindows();
  if (cmd == L"children") {  // hwnd: id, class, text of each child
    Reply r;
    for (const Child& c : childrenOf(handleArg(f, 1))) {
      r.push_back(std::to_wstring(c.id));
      r.push_back(c.cls);
      r.push_back(c.text);
    }
    return r;
  }
  if (cmd == L"msgbox") {  // title: hwnd and text of a message box, hwnd 0 when none
    need(1);
    // Tavo decorates its own boxes too when they are in front: a title that
    // ends with the one asked for ("21:05 = エラー - Tavo") is that box.
    HWND h = FindWindowW(L"#32770", f[1].c_str());
    if (!h) {
      BoxSearch search{&f[1], nullptr};
      EnumWindows(findBoxEndingWith, reinterpret_cast<LPARAM>(&search));
      h = search.found;
    }
    if (!h) return {L"0", L""};
    std::wstring text;
    for (const Child& c : childrenOf(h)) {
      if (isStatic(c.cls) && c.text.size() > text.size()) text = c.text;
    }
    return {handleText(h), text};
  }
  if (cmd == L"press") {  // hwnd, button caption without "&" (or "#id")
    need(2);
    HWND h = handleArg(f, 1);
    int id = -1;
    if (f[2].size() > 1 && f[2][0] == L'#') {
      id = std::stoi(f[2].substr(1));
    } else {
      for (const Child& c : childrenOf(h)) {
        if (isButton(c.cls) && withoutAccelerator(c.text) == f[2]) id = c.id;
      }
    }
    if (id < 0) fail(L"no button " + f[2]);
    HWND button = GetDlgItem(h, id);
    if (!PostMessageW(h, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)))
      fail(lastErrorText(L"PostMessage"));
    return {};
  }
  if (cmd == L"regget") {  // section, key: "1" and the value, or "0"
    need(2);
    std::vector<wchar_t> buf(32768);
    DWORD size = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    LSTATUS s = RegGetValueW(HKEY_CURRENT_USER, settingsKey(f[1]).c_str(), f[2].c_str(), RRF_RT_REG_SZ, nullptr,
                             buf.data(), &size);
    if (s == ERROR_FILE_NOT_FOUND) return {L"0"};
    if (s != ERROR_SUCCESS) fail(L"RegGetValue failed, error " + std::to_wstring(s));
    return {L"1", std::wstring(buf.data())};
  }
  if (cmd == L"regset") {  // section, key, value
    need(3);
    HKEY key;
    LSTATUS s = RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey(f[1]).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr);
    if (s != ERROR_SUCCESS) fail(L"RegCreateKeyEx failed, error " + std::to_wstring(s));
    s = RegSetValueExW(key, f[2].c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(f[3].c_str()),
                       static_cast<DWORD>((f[3].size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (s != ERROR_SUCCESS) fail(L"RegSetValueEx failed, error " + std::to_wstring(s));
    return {};
  }
  if (cmd == L"regdel") {  // section, key; a missing value is fine
    need(2);
    LSTATUS s = RegDeleteKeyValueW(HKEY_CURRENT_USER, settingsKey(f[1]).c_str(), f[2].c_str());
    if (s != ERROR_SUCCESS && s != ERROR_FILE_NOT_FOUND) fail(L"RegDeleteKeyValue failed, error " + std::to_wstring(s));
    return {};
  }
  // Values as UTF-16 code units in hex (four digits each), so that any
  // text, unpaired surrogates and NULs included, crosses the line protocol.
  if (cmd == L"regsetw") {  // section, key, hex units
    need(3);
    if (f[3].size() % 4 != 0) fail(L"regsetw: hex units come in fours");
    std::wstring value;
    for (std::size_t i = 0; i < f[3].size(); i += 4)
      value.push_back(static_cast<wchar_t>(std::stoul(f[3].substr(i, 4), nullptr, 16)));
    HKEY key;
    LSTATUS s = RegCreateKeyExW(HKEY_CURRENT_USER, settingsKey(f[1]).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr);
    if (s != ERROR_SUCCESS) fail(L"RegCreateKeyEx failed, error " + std::to_wstring(s));
    s = RegSetValueExW(key, f[2].c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (s != ERROR_SUCCESS) fail(L"RegSetValueEx failed, error " + std::to_wstring(s));
    return {};
  }
  if (cmd == L"regdump") {  // section: name, type and hex units of every value
    need(1);
    HKEY key;
    LSTATUS s = RegOpenKeyExW(HKEY_CURRENT_USER, settingsKey(f[1]).c_str(), 0, KEY_QUERY_VALUE, &key);
    if (s == ERROR_FILE_NOT_FOUND) return {};
    if (s != ERROR_SUCCESS) fail(L"RegOpenKeyEx failed, error " + std::to_wstring(s));
    Reply r;
    for (DWORD i = 0;; ++i) {
      wchar_t name[16384];
      DWORD nameSize = 16384, type = 0, size = 0;
      s = RegEnumValueW(key, i, name, &nameSize, nullptr, &type, nullptr, &size);
      if (s != ERROR_SUCCESS) break;
      std::vector<BYTE> data(size + 2);
      nameSize = 16384;
      s = RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data.data(), &size);
      if (s != ERROR_SUCCESS) break;
      std::size_t units = size / 2;
      const auto* w = reinterpret_cast<const wchar_t*>(data.data());
      if ((type == REG_SZ || type == REG_EXPAND_SZ) && units > 0 && w[units - 1] == L'\0') --units;
      static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
      std::wstring hex(units * 4, L'0');
      for (std::size_t u = 0; u < units; ++u)
        for (int d = 0; d < 4; ++d) hex[u * 4 + d] = kDigits[(static_cast<unsigned>(w[u]) >> (12 - 4 * d)) & 0xF];
      r.push_back(std::wstring(name, nameSize));
      r.push_back(std::to_wstring(type));
      r.push_back(std::move(hex));
    }
    RegCloseKey(key);
    return r;
  }
  if (cmd == L"localtime") {  // what Windows programs here see as the local time
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t buf[64];
    swprintf(buf, 64, L"%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    return {buf};
  }
  if (cmd == L"drain") {  // hwnd: texts written by others and moves since the last drain, then forgets them
    auto own = ownWindow(handleArg(f, 1));
    std::lock_guard lock(own->mutex);
    // Taken and cleared under one lock, so a long watch loses nothing between calls.
    Reply r{std::to_wstring(own->received.size())};
    r.insert(r.end(), own->received.begin(), own->received.end());
    r.insert(r.end(), own->moves.begin(), own->moves.end());
    own->received.clear();
    own->moves.clear();
    return r;
  }
  if (auto soak = soakCommand(f)) return *soak;
  fail(L"unknown command " + cmd);
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
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    Fields f = parseLine(line);
    if (f[0] == L"quit") {
      answer("ok", {});
      break;
    }
    try {
      answer("ok", run(f));
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
