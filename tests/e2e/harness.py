# The end-to-end rig: a private X display, a Wine prefix per scenario, the
# probe driver and Tavo.exe. What starts here stops here, and every wait has
# a deadline.

import os
import queue
import re
import select
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest
import wave
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("TAVO_BUILD", ROOT / "build" / "win64"))
TAVO_EXE = Path(os.environ.get("TAVO_EXE", BUILD / "Tavo.exe"))
WAVMEND_EXE = BUILD / "Wavmend.exe"
# The help page as Wine's shell trace writes it: a DOS path, backslashes doubled.
HELP_PAGE = "Z:" + str(TAVO_EXE.parent / "TavoHELP" / "index.html").replace("/", "\\\\")
PROBE_EXE = Path(os.environ.get("TAVO_PROBE", BUILD / "tavo_probe.exe"))
OUT = Path(os.environ.get("TAVO_E2E_OUT", ROOT / "out" / "e2e"))
WORK = Path(os.environ.get("TAVO_E2E_WORK", ROOT / "build" / "e2e"))
# "win32": the 32-bit flavour in a 32-bit prefix under wine32.
WINEARCH = os.environ.get("TAVO_WINEARCH", "win64")
FAKETIME_LIB = next((p for p in (Path("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"),
                                 Path("/usr/lib/faketime/libfaketime.so.1")) if p.exists()), None)

# Away from UTC for Tavo and for the clocks expected here: a wrong zone offset shows.
os.environ["TZ"] = "JST-9"
time.tzset()

DESKTOP_NAME, DESKTOP_SIZE = "e2e", "1024x700"
TICK = 0.25  # Tavo's default polling interval, seconds
MAIN_CLASS = "ThunderRT6FormDC"
REPORT, ALARM = "エラー - Tavo", "Alarm - Tavo"
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]

# Japanese UI fonts mapped to the IPA fonts that Debian ships, so Japanese
# text in title bars and boxes is drawn, not boxes.
FONT_SUBSTITUTES = {"MS Gothic": "IPAGothic", "MS PGothic": "IPAPGothic", "MS UI Gothic": "IPAPGothic",
                    "ＭＳ ゴシック": "IPAGothic", "ＭＳ Ｐゴシック": "IPAPGothic", "MS Shell Dlg": "IPAPGothic"}


def build_version():  # as Tavo writes it: "1.70.0001"
    text = (BUILD / "generated" / "tavo_version.h").read_text()
    major, minor, revision = (int(re.search(rf"kVersion{k} = (\d+)", text)[1]) for k in ("Major", "Minor", "Revision"))
    return f"{major}.{minor:02d}.{revision:04d}"


class RigError(Exception):
    pass


def wait_until(check, timeout, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while not (last := check()):
        if time.monotonic() > deadline:
            raise RigError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(interval)
    return last


def settled(read, timeout, what, quiet=1.0):  # read()'s value once it stays for `quiet` seconds
    last = [read(), time.monotonic()]

    def check():
        if (value := read()) != last[0]:
            last[:] = [value, time.monotonic()]
        return time.monotonic() - last[1] > quiet

    wait_until(check, timeout, 0.1, what)
    return last[0]


# The probe's line protocol: TAB between fields, \\ \t \n \r escaped.
_ESCAPES = {"\\": "\\", "\t": "t", "\n": "n", "\r": "r"}
_UNESCAPES = {v: k for k, v in _ESCAPES.items()}


# ---- expected clock texts ------------------------------------------------

def default_clock(t):
    return f"{t.tm_hour}:{t.tm_min:02d},{MONTHS[t.tm_mon - 1]},{t.tm_mday}"


def common_clock(t):  # UserTaste 1
    return f"{t.tm_hour}:{t.tm_min:02d},{t.tm_mon}/{t.tm_mday}"


def clocks_around_now(form=default_clock):  # the minute may turn meanwhile
    return {form(time.localtime(time.time() + d)) for d in (-2.0, 0.0, 2.0)}


def compose(clock, title, right=0, equal=1):
    sep = " = " if equal == 1 else " "
    return f"{title}{sep}{clock}" if right == 1 else f"{clock}{sep}{title}"


def write_wave(path):
    path.parent.mkdir(parents=True, exist_ok=True)
    with wave.open(str(path), "wb") as w:
        w.setparams((1, 1, 8000, 0, "NONE", "not compressed"))
        w.writeframes(bytes([128]) * 400)  # 50 ms of silence


def tavo_pid(prefix):  # the Linux process of Tavo.exe in this prefix
    def find():
        for proc in Path("/proc").iterdir():
            try:
                if (proc.name.isdigit() and b"Tavo.exe" in (proc / "cmdline").read_bytes().split(b"\0")[0]
                        and f"WINEPREFIX={prefix}".encode() in (proc / "environ").read_bytes().split(b"\0")):
                    return int(proc.name)
            except OSError:
                continue
        return None

    return wait_until(find, 10, 0.1, "Tavo's Linux process")


def proc_status(pid, *keys):
    """Fields of /proc/PID/status (their first number) and the count of open files."""
    fields = dict(line.split(":", 1) for line in Path(f"/proc/{pid}/status").read_text().splitlines() if ":" in line)
    return {**{k: int(fields[k].split()[0]) for k in keys}, "fds": len(os.listdir(f"/proc/{pid}/fd"))}


# ---- processes -------------------------------------------------------------

class Display:  # a private Xvfb, which picks a free display number itself

    def __init__(self):
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)
        # Xvfb writes the number and a newline at once when it is ready.
        number = self.proc.stdout.readline().strip() if select.select([self.proc.stdout], [], [], 15)[0] else b""
        if not number:
            self.stop()
            raise RigError("Xvfb did not start")
        self.name = ":" + number.decode()

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()


def wine_env(display, prefix, extra=None):
    env = {k: v for k, v in os.environ.items() if k not in ("LD_PRELOAD", "FAKETIME", "FAKETIME_TIMESTAMP_FILE")}
    # No Mono or Gecko installers: nothing here downloads. No menu entries in
    # the host's home from setup's shortcuts.
    env.update({"DISPLAY": display, "WINEPREFIX": str(prefix), "WINEDEBUG": "-all",
                "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d", "WINEARCH": WINEARCH, **(extra or {})})
    return env


def make_template(display, path):  # a booted prefix with the font substitutes
    env = wine_env(display, path)
    quiet = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL, "check": True}
    subprocess.run(["wineboot", "-i"], env=env, timeout=180, **quiet)
    lines = ["REGEDIT4", "", r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
    lines += [f'"{k}"="{v}"' for k, v in FONT_SUBSTITUTES.items()]
    # Every program of the prefix opens on the virtual desktop, which draws
    # real title bars; without it windows would be bare X windows.
    lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\Explorer]", f'"Desktop"="{DESKTOP_NAME}"',
              "", r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]", f'"{DESKTOP_NAME}"="{DESKTOP_SIZE}"']
    reg = path / "fonts.reg"
    reg.write_text("\r\n".join(lines) + "\r\n", encoding="utf-16")
    subprocess.run(["wine", "regedit", "/S", str(reg)], env=env, timeout=60, **quiet)
    subprocess.run(["wineserver", "-w"], env=env, timeout=60, check=True)


def copy_prefix(template, target):  # the large, read-only system files hard-linked
    windows = template / "drive_c" / "windows"

    def copy(src, dst):
        if Path(src).is_relative_to(windows) and not src.endswith((".ini", ".log")):
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)

    shutil.copytree(template, target, symlinks=True, copy_function=copy)


class Probe:  # the driver program, spoken to line by line

    def __init__(self, env, log):
        self.proc = subprocess.Popen(["wine", str(PROBE_EXE)], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=log)
        self.lines = queue.Queue()
        self.late = 0
        threading.Thread(target=self._read, daemon=True).start()
        # What the start of the program puts out before the first answer is Wine's own noise.
        self._send(["ping"])
        deadline = time.monotonic() + 30
        while (line := self._next(max(0.1, deadline - time.monotonic()), "ping")) != "ok\tpong":
            log.write(f"probe start, skipped: {line!r}\n".encode())

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        self.lines.put(None)

    def _send(self, fields):
        line = "\t".join(re.sub(r"[\\\t\n\r]", lambda m: "\\" + _ESCAPES[m[0]], str(f)) for f in fields)
        self.proc.stdin.write((line + "\n").encode("utf-8"))
        self.proc.stdin.flush()

    def _next(self, timeout, what):
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            raise RigError(f"probe did not answer {what} within {timeout}s") from None
        if line is None:
            raise RigError("probe ended")
        return line

    def call(self, *fields, timeout=10):
        # Answers come in order: a late answer to an earlier call is not this one's.
        while self.late:
            self._next(timeout, "an earlier call")
            self.late -= 1
        self._send(fields)
        self.late += 1
        # An escaped field holds no raw TAB, so every TAB separates.
        reply = [re.sub(r"\\(.)", lambda m: _UNESCAPES.get(m[1], m[1]), f)
                 for f in self._next(timeout, fields[0]).split("\t")]
        self.late -= 1
        if reply[0] != "ok":
            raise RigError(f"probe {fields[0]}: {' '.join(reply[1:])}")
        return reply[1:]

    def create(self, cls, title):
        return int(self.call("create", cls, title)[0])

    def title(self, hwnd):
        return self.call("title", hwnd)[0]

    def drain(self, hwnd):  # the texts others wrote to a probe window, and its moves, since the last drain
        r = self.call("drain", hwnd)
        return r[1:1 + int(r[0])], [tuple(map(int, m.split(","))) for m in r[1 + int(r[0]):]]

    def received(self, hwnd):
        return self.drain(hwnd)[0]

    def foreground(self):
        h, cls, title = self.call("foreground")
        return int(h), cls, title

    def find(self, cls="", title=""):
        return int(self.call("find", cls, title)[0])

    def exists(self, hwnd):
        return self.call("exists", hwnd) == ["1"]

    def rect(self, hwnd, *child):
        return tuple(map(int, self.call("rect", hwnd, *child)))

    def reg_set(self, section, key, value):  # any text as REG_SZ, lone surrogates and NULs too
        self.call("regset", section, key, value.encode("utf-16-be", "surrogatepass").hex().upper(), timeout=30)

    def reg_dump(self, section):  # {name: (type, text)}
        r = self.call("regdump", section, timeout=30)
        return {r[i]: (int(r[i + 1]), bytes.fromhex(r[i + 2]).decode("utf-16-be", "surrogatepass"))
                for i in range(0, len(r) - 2, 3)}

    def windows(self, hidden=False):  # [(handle, class, title)] of the top-level windows
        r = self.call("windows", timeout=30)
        return [(int(r[i]), r[i + 1], r[i + 3]) for i in range(0, len(r) - 3, 4) if hidden or r[i + 2] == "1"]

    def children(self, hwnd):  # [(id, class, text, style)]
        r = self.call("children", hwnd)
        return [(int(r[i]), r[i + 1], r[i + 2], int(r[i + 3], 16)) for i in range(0, len(r) - 3, 4)]

    def stop(self):
        try:
            self._send(["quit"])
            self.proc.wait(5)
        except (OSError, ValueError, subprocess.TimeoutExpired):
            self.proc.kill()


class Run:  # what the scenarios of a run share: the display and the template prefix

    display = template = root = None

    @classmethod
    def start(cls):
        if cls.display:
            return
        for tool in ("Xvfb", "wine", "wineserver", "xwd", "convert", "xdotool"):
            if not shutil.which(tool):
                raise RigError(f"{tool} is missing (scripts/deps.sh installs it)")
        if not PROBE_EXE.exists():
            raise RigError(f"{PROBE_EXE} is missing: build the win64 preset first")
        WORK.mkdir(parents=True, exist_ok=True)
        # Logs of earlier runs stay for a while for a look after a failure.
        for old in WORK.glob("run-*"):
            if time.time() - old.stat().st_mtime > 6 * 3600:
                shutil.rmtree(old, ignore_errors=True)
        cls.root = Path(tempfile.mkdtemp(prefix="run-", dir=WORK))
        cls.display = Display()
        cls.template = cls.root / "template"
        make_template(cls.display.name, cls.template)

    @classmethod
    def stop(cls):
        if cls.display:
            cls.display.stop()
            cls.display = None
        if cls.root:
            # The scenarios' logs stay; the prefixes are gone already.
            shutil.rmtree(cls.template, ignore_errors=True)
            print(f"e2e logs: {cls.root}")
            cls.root = None


class Scenario:  # its own prefix, desktop, probe and, when asked, Tavo

    count = 0

    def __init__(self, name):
        Run.start()
        Scenario.count += 1
        self.name = name
        self.dir = Run.root / f"{Scenario.count:02d}-{name}"
        self.prefix = self.dir / "prefix"
        self.dir.mkdir()
        copy_prefix(Run.template, self.prefix)
        self.env = wine_env(Run.display.name, self.prefix)
        self.log = open(self.dir / "wine.log", "wb")
        self.procs = []
        subprocess.run(["wineserver", "-p0"], env=self.env, timeout=30, check=True)
        self.spawn("explorer", f"/desktop={DESKTOP_NAME},{DESKTOP_SIZE}")
        self.probe = Probe(self.env, self.log)
        self.tavo = None
        self.main = 0
        self.clock_file = self.dir / "faketime"

    def spawn(self, *cmd, env=None):
        proc = subprocess.Popen(["wine", *map(str, cmd)], env=env or self.env, stdout=self.log, stderr=self.log)
        self.procs.append(proc)
        return proc

    def start_tavo(self, fake_time=None, env=None):
        # fake_time ("YYYY-mm-dd HH:MM:SS" stands still, "@... xN" runs) is Tavo's alone.
        extra = dict(env or {})
        if fake_time:
            if not FAKETIME_LIB or WINEARCH == "win32":
                # Debian's i386 libfaketime misses glibc's 64-bit time calls.
                raise RigError("no libfaketime for this Wine")
            self.set_fake_time(fake_time)
            # Only the wall clock moves; timers keep running on the real monotonic clock.
            extra.update({"LD_PRELOAD": str(FAKETIME_LIB), "FAKETIME_TIMESTAMP_FILE": str(self.clock_file),
                          "FAKETIME_NO_CACHE": "1", "FAKETIME_DONT_FAKE_MONOTONIC": "1"})
        self.tavo = self.spawn(TAVO_EXE, env=wine_env(Run.display.name, self.prefix, extra))
        # Looked up while hidden: once in front, its title may carry the clock.
        self.main = wait_until(lambda: self.probe.find(MAIN_CLASS, "Tavo"), 20, 0.1, "Tavo's main window")
        return self.main

    def stop_tavo(self):
        self.probe.call("close", self.main)
        self.tavo.wait(10)

    def kill_tavo(self):  # as End task, a crash or a killed session: no goodbye at all
        pid = tavo_pid(self.prefix)
        os.kill(pid, signal.SIGKILL)
        self.tavo.wait(10)
        wait_until(lambda: not Path(f"/proc/{pid}").exists(), 10, 0.1, "Tavo's process to end")
        wait_until(lambda: not self.probe.find(MAIN_CLASS, "Tavo"), 10, 0.1, "Tavo's main window to go")

    def set_fake_time(self, fake_time):
        # Written whole and renamed, so a reader never sees half a line.
        tmp = self.clock_file.with_suffix(".new")
        tmp.write_text(fake_time + "\n")
        tmp.replace(self.clock_file)

    def wine(self, *cmd, timeout=60):  # a Windows program run to its end: (exit code, output)
        out = subprocess.run(["wine", *map(str, cmd)], env=self.env, capture_output=True, timeout=timeout)
        return out.returncode, out.stdout.decode("utf-8", "replace")

    def reg(self, key):  # {name: data} of a registry key, {} when it is missing
        return dict(re.findall(r"^\s+(\S+)\s+REG_\w+\s+(.*?)\r?$", self.wine("reg", "query", key)[1], re.M))

    def set_dpi(self, dpi):  # for the programs started from now on
        self.wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", dpi, "/f")

    def tavo_command(self, *args, timeout=20):  # a second Tavo.exe, waited for
        try:
            return subprocess.run(["wine", str(TAVO_EXE), *args], env=self.env, stdout=self.log, stderr=self.log,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            raise AssertionError(f"Tavo.exe {' '.join(args)} did not end within {timeout}s") from None

    def screenshot(self, name):
        OUT.mkdir(parents=True, exist_ok=True)
        raw = self.dir / f"{name}.xwd"
        for attempt in range(2):
            # xwd fails now and then while a window is being created or destroyed.
            with open(raw, "wb") as f:
                if subprocess.run(["xwd", "-root", "-silent", "-display", Run.display.name], stdout=f,
                                  timeout=30).returncode == 0:
                    break
            time.sleep(0.5)
        subprocess.run(["convert", str(raw), str(OUT / f"{name}.png")], timeout=60, check=True)
        raw.unlink()

    def stop(self):
        try:
            self.probe.stop()
        except Exception:
            pass
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=30)
        for p in self.procs:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
        self.log.close()
        shutil.rmtree(self.prefix, ignore_errors=True)


class Boxes:
    """Message boxes by title (the clock may be on either side), answered and kept in order."""

    def __init__(self, probe):
        self.probe = probe
        self.shown = []  # (title, text)

    def find(self, title):
        return next((h for h, cls, t in self.probe.windows()
                     if cls == "#32770" and (t == title or t.endswith(" " + title) or t.startswith(title + " "))), 0)

    def text(self, h):
        return max((t for _, cls, t, _ in self.probe.children(h) if cls.lower() == "static"), key=len, default="")

    def wait(self, title, timeout=10):  # with its text: the box comes a moment before it
        return wait_until(lambda: (lambda h: h if h and self.text(h) else 0)(self.find(title)), timeout, 0.1,
                          f"a box titled {title!r}")

    def answer(self, title, button=1, timeout=10):  # IDOK by default; returns its text
        h = self.wait(title, timeout)
        text = self.text(h)
        self.shown.append((title, text))
        self.probe.call("press", h, button)
        wait_until(lambda: not self.probe.exists(h), 10, 0.1, f"{title!r} to close")
        return text

    def poll(self, titles=(REPORT, ALARM)):  # OK to each in sight; True when there was one
        found = [t for t in titles if (h := self.find(t)) and self.text(h)]
        for t in found:
            self.answer(t)
        return bool(found)

    def until(self, check, timeout, what):  # answering boxes meanwhile
        try:
            return wait_until(lambda: (self.poll(), check())[1], timeout, 0.1, what)
        except RigError as e:
            raise AssertionError(f"{e}; boxes: {self.shown!r}") from None

    def drain(self, quiet=1.0, timeout=40):  # until none has come for `quiet` seconds
        last = [time.monotonic()]

        def calm():
            if self.poll():
                last[0] = time.monotonic()
            return time.monotonic() - last[0] > quiet

        self.until(calm, timeout, "the boxes to stop coming")


class ScenarioCase(unittest.TestCase):  # every test in a scenario of its own

    def setUp(self):
        self.s = Scenario(self._testMethodName.removeprefix("test_"))
        self.addCleanup(self.s.stop)
        self.probe = self.s.probe
        self.boxes = Boxes(self.probe)

    def tearDown(self):
        # An error report left open means Tavo failed somewhere, even if the
        # titles looked right.
        if self.s.tavo is not None and self.s.tavo.poll() is None and (h := self.boxes.find(REPORT)):
            self.s.screenshot(f"{self.s.name}-error")
            self.fail(f"Tavo shows an error report: {self.boxes.text(h)!r}")

    def window(self, title, cls="ProbeWindow"):
        return self.probe.create(cls, title)

    def store(self, section="Main", **values):
        for key, value in values.items():
            self.probe.reg_set(section, key, value)

    def dump(self):  # {(section, name): (type, text)} of the whole store
        return {(s, k): v for s in ("Main", "Plug in") for k, v in self.probe.reg_dump(s).items()}

    def stored(self, key, section="Main"):
        return next((text for k, (_, text) in self.probe.reg_dump(section).items() if k.lower() == key.lower()), None)

    def keys(self, *keys, xdotool="key"):  # typed on the display into the window in front
        subprocess.run(["xdotool", xdotool, "--delay", "60", "--", *keys], env=dict(os.environ, DISPLAY=Run.display.name),
                       timeout=30, check=True)
        time.sleep(0.3)

    def wine_log(self):
        self.s.log.flush()
        return (self.s.dir / "wine.log").read_text(encoding="utf-8", errors="replace")

    def shell_opened(self):  # needs Tavo started with WINEDEBUG=trace+exec
        return re.findall(r'SHELL_execute mask=.* verb=L"open" file=L"(.*?)"', self.wine_log())

    def bring(self, hwnd):
        self.probe.call("front", hwnd)
        wait_until(lambda: self.probe.foreground()[0] == hwnd, 3, what=f"window {hwnd} in front")

    def in_front(self, cls, timeout=10):
        return wait_until(lambda: (lambda f: f[0] if f[1] == cls else 0)(self.probe.foreground()), timeout, 0.1,
                          f"a {cls} in front")

    def gone(self, hwnd, what="the window to close"):
        wait_until(lambda: not self.probe.exists(hwnd), 10, 0.1, what)

    def show_main(self):  # by a second start
        self.assertEqual(self.s.tavo_command(), 0)
        wait_until(lambda: self.probe.foreground()[0] == self.s.main, 10, 0.1, "the main window in front")
        return self.s.main

    def wait_title(self, hwnd, accept, timeout=5, what="title"):
        seen = []

        def check():
            t = self.probe.title(hwnd)
            if not seen or seen[-1] != t:
                seen.append(t)
            return t if accept(t) else None

        try:
            return wait_until(check, timeout, 0.05, what)
        except RigError as e:
            raise AssertionError(f"{e}; titles seen: {seen!r}") from None

    def assert_clock(self, hwnd, own_title, clocks=None, timeout=5, **form):  # clocks: default now
        clocks = {clocks} if isinstance(clocks, str) else clocks or clocks_around_now()
        return self.wait_title(hwnd, lambda t: t in {compose(c, own_title, **form) for c in clocks}, timeout,
                               f"the clock with {own_title!r}")

    def assert_own_title(self, hwnd, own_title, timeout=5):
        return self.wait_title(hwnd, lambda t: t == own_title, timeout, repr(own_title))
