"""The end-to-end rig: a private X display, a Wine prefix per scenario, the
probe driver and Tavo.exe.

Everything started here is stopped here: each scenario kills its Wine
processes with `wineserver -k`, and the display goes at the end of the run.
Every wait has a deadline.
"""

import os
import queue
import re
import shutil
import subprocess
import tempfile
import threading
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("TAVO_BUILD", ROOT / "build" / "win64"))
TAVO_EXE = Path(os.environ.get("TAVO_EXE", BUILD / "Tavo.exe"))
# The help page as Wine's shell trace writes it: a DOS path, backslashes doubled.
HELP_PAGE = "Z:" + str(TAVO_EXE.parent / "TavoHELP" / "index.html").replace("/", "\\\\")
PROBE_EXE = Path(os.environ.get("TAVO_PROBE", BUILD / "tavo_probe.exe"))
OUT = Path(os.environ.get("TAVO_E2E_OUT", ROOT / "out" / "e2e"))
WORK = Path(os.environ.get("TAVO_E2E_WORK", ROOT / "build" / "e2e"))
# "win32": the 32-bit flavour in a 32-bit prefix under wine32.
WINEARCH = os.environ.get("TAVO_WINEARCH", "win64")
FAKETIME_LIB = next(
    (p for p in (Path("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"),
                 Path("/usr/lib/faketime/libfaketime.so.1")) if p.exists()),
    None)

DESKTOP_NAME, DESKTOP_SIZE = "e2e", "1024x700"
TICK = 0.25  # Tavo's default polling interval, seconds

# Japanese UI fonts mapped to the IPA fonts that Debian ships, so Japanese
# text in title bars and boxes is drawn, not boxes.
FONT_SUBSTITUTES = {
    "MS Gothic": "IPAGothic",
    "MS PGothic": "IPAPGothic",
    "MS UI Gothic": "IPAPGothic",
    "ＭＳ ゴシック": "IPAGothic",
    "ＭＳ Ｐゴシック": "IPAPGothic",
    "MS Shell Dlg": "IPAPGothic",
}


class RigError(Exception):
    pass


def wait_until(check, timeout, interval=0.05, what="condition"):
    """Polls check() until it returns something truthy; raises after timeout."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = check()
        if last:
            return last
        if time.monotonic() > deadline:
            raise RigError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(interval)


# ---- the probe's line protocol ------------------------------------------

_UNESCAPES = {"\\": "\\", "t": "\t", "n": "\n", "r": "\r"}


def encode_fields(fields):
    # str.replace, not a loop per character: values run to 100 000 characters.
    return "\t".join(str(f).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")
                     for f in fields)


def decode_fields(line):
    if "\\" not in line:
        return line.split("\t")
    fields, cur, i = [], [], 0
    while i < len(line):
        c = line[i]
        if c == "\t":
            fields.append("".join(cur))
            cur = []
        elif c == "\\" and i + 1 < len(line):
            i += 1
            cur.append(_UNESCAPES.get(line[i], line[i]))
        else:
            cur.append(c)
        i += 1
    fields.append("".join(cur))
    return fields


# ---- expected clock texts ------------------------------------------------

MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def default_clock(t):
    """The clock text of the default settings ("%h:nn%,%mmm%,%d%") for a struct_time."""
    return f"{t.tm_hour}:{t.tm_min:02d},{MONTHS[t.tm_mon - 1]},{t.tm_mday}"


def clocks_around_now(spread=2.0):
    """Default clock texts that a title may show now (the minute may turn)."""
    now = time.time()
    return {default_clock(time.localtime(now + d)) for d in (-spread, 0.0, spread)}


def compose(clock, title, right=0, equal=1):
    sep = " = " if equal == 1 else " "
    return f"{title}{sep}{clock}" if right == 1 else f"{clock}{sep}{title}"


# ---- processes -------------------------------------------------------------

class Display:
    """A private Xvfb; Xvfb picks the free display number itself."""

    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 15
        with os.fdopen(read_fd, "rb", buffering=0) as r:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = r.read(16)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.stop()
            raise RigError("Xvfb did not start")
        self.name = ":" + number.decode().strip()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(5)


def wine_env(display, prefix, extra=None):
    env = dict(os.environ)
    env.update({
        "DISPLAY": display,
        "WINEPREFIX": str(prefix),
        "WINEDEBUG": "-all",
        # No Mono or Gecko installers: nothing here downloads.
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "WINEARCH": WINEARCH,
    })
    for k in ("LD_PRELOAD", "FAKETIME", "FAKETIME_TIMESTAMP_FILE"):
        env.pop(k, None)
    if extra:
        env.update(extra)
    return env


def make_template(display, path):
    """A booted prefix with the font substitutes, copied by every scenario."""
    env = wine_env(display, path)
    subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=180, check=True)
    reg = path / "fonts.reg"
    lines = ["REGEDIT4", "", r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
    lines += [f'"{k}"="{v}"' for k, v in FONT_SUBSTITUTES.items()]
    # Every program of the prefix opens on the virtual desktop, which draws
    # real title bars; without it windows would be bare X windows.
    lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\Explorer]", f'"Desktop"="{DESKTOP_NAME}"',
              "", r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]", f'"{DESKTOP_NAME}"="{DESKTOP_SIZE}"']
    reg.write_text("\r\n".join(lines) + "\r\n", encoding="utf-16")
    subprocess.run(["wine", "regedit", "/S", str(reg)], env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60, check=True)
    subprocess.run(["wineserver", "-w"], env=env, timeout=60, check=True)


def copy_prefix(template, target):
    """Hard links for the large, read-only system files, real copies for the rest."""
    windows = template / "drive_c" / "windows"

    def copy(src, dst):
        if Path(src).is_relative_to(windows) and not src.endswith((".ini", ".log")):
            os.link(src, dst)
        else:
            shutil.copy2(src, dst)

    shutil.copytree(template, target, symlinks=True, copy_function=copy)


class Probe:
    """The driver program, spoken to line by line."""

    def __init__(self, env, log):
        self.proc = subprocess.Popen(["wine", str(PROBE_EXE)], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=log)
        self.lines = queue.Queue()
        self.late = 0
        self.log = log
        threading.Thread(target=self._read, daemon=True).start()
        self._handshake(30)

    def _handshake(self, timeout):
        """The first ping; what else the start of the program puts out before
        the answer (Wine's own noise) is logged and skipped."""
        self.proc.stdin.write(b"ping\n")
        self.proc.stdin.flush()
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.1, deadline - time.monotonic()))
            except queue.Empty:
                raise RigError(f"probe did not answer ping within {timeout}s") from None
            if line is None:
                raise RigError("probe ended")
            if line == "ok\tpong":
                return
            self.log.write(f"probe start, skipped: {line!r}\n".encode())
            self.log.flush()

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        self.lines.put(None)

    def call(self, *fields, timeout=10):
        # Answers come in order: a late answer to an earlier call is not this one's.
        while self.late:
            try:
                self.lines.get(timeout=timeout)
                self.late -= 1
            except queue.Empty:
                raise RigError("probe is stuck") from None
        self.proc.stdin.write((encode_fields(fields) + "\n").encode("utf-8"))
        self.proc.stdin.flush()
        try:
            line = self.lines.get(timeout=timeout)
        except queue.Empty:
            self.late += 1
            raise RigError(f"probe did not answer {fields[0]} within {timeout}s") from None
        if line is None:
            raise RigError("probe ended")
        reply = decode_fields(line)
        if reply[0] != "ok":
            raise RigError(f"probe {fields[0]}: {' '.join(reply[1:])}")
        return reply[1:]

    # Convenience wrappers
    def create(self, cls, title):
        return int(self.call("create", cls, title)[0])

    def front(self, hwnd):
        self.call("front", hwnd)

    def title(self, hwnd):
        return self.call("title", hwnd)[0]

    def set_title(self, hwnd, text):
        self.call("settitle", hwnd, text)

    def received(self, hwnd):
        r = self.call("received", hwnd)
        return r[1:]

    def foreground(self):
        h, cls, title = self.call("foreground")
        return int(h), cls, title

    def find(self, cls="", title=""):
        return int(self.call("find", cls, title)[0])

    def reg_set(self, section, key, value):
        self.call("regset", section, key, value)

    def reg_get(self, section, key):
        r = self.call("regget", section, key)
        return r[1] if r[0] == "1" else None

    def reg_set_units(self, section, key, value):
        """Stores any Python text as REG_SZ, unpaired surrogates and NULs included."""
        hexed = value.encode("utf-16-be", "surrogatepass").hex().upper()
        self.call("regsetw", section, key, hexed, timeout=30)

    def reg_dump(self, section):
        """{name: (type, text)} of every value of a section, text decoded as stored."""
        r = self.call("regdump", section, timeout=30)
        out = {}
        for i in range(0, len(r) - 2, 3):
            out[r[i]] = (int(r[i + 1]), bytes.fromhex(r[i + 2]).decode("utf-16-be", "surrogatepass"))
        return out

    def windows(self):
        r = self.call("windows")
        return [(int(r[i]), r[i + 1], r[i + 2]) for i in range(0, len(r) - 2, 3)]

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.flush()
                self.proc.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()


class Run:
    """State shared by every scenario of one run: the display and the template prefix."""

    display = None
    template = None
    root = None

    @classmethod
    def start(cls):
        if cls.display:
            return
        for tool in ("Xvfb", "wine", "wineserver", "xwd", "convert"):
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


class Scenario:
    """One scenario's own prefix, desktop, probe and (when asked) Tavo."""

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
        self.procs.append(subprocess.Popen(["wine", "explorer", f"/desktop={DESKTOP_NAME},{DESKTOP_SIZE}"], env=self.env,
                                           stdout=self.log, stderr=self.log))
        self.probe = Probe(self.env, self.log)
        self.extra_probes = []
        self.tavo = None
        self.main = 0
        self.clock_file = None

    # ---- Tavo ----

    def fake_clock(self, fake_time):
        """Environment that puts a process's local time at fake_time ("YYYY-mm-dd HH:MM:SS"),
        standing still; set_fake_time() moves it while the process runs."""
        if not FAKETIME_LIB:
            raise RigError("libfaketime is missing (scripts/deps.sh installs it)")
        if WINEARCH == "win32":
            # Debian's i386 libfaketime misses glibc's 64-bit time calls.
            raise RigError("a fake clock cannot reach 32-bit Wine")
        self.clock_file = self.dir / "faketime"
        self.set_fake_time(fake_time)
        # Only the wall clock moves; timers keep running on the real monotonic clock.
        return {"LD_PRELOAD": str(FAKETIME_LIB), "FAKETIME_TIMESTAMP_FILE": str(self.clock_file),
                "FAKETIME_NO_CACHE": "1", "FAKETIME_DONT_FAKE_MONOTONIC": "1"}

    def start_probe(self, extra_env=None):
        """Another probe process, e.g. one that lives at a fake time."""
        p = Probe(wine_env(Run.display.name, self.prefix, extra_env), self.log)
        self.extra_probes.append(p)
        return p

    def start_tavo(self, fake_time=None, args=(), env=None):
        """Starts Tavo.exe and waits for its main window; fake_time freezes its local time there.
        env adds to Tavo's environment (e.g. a WINEDEBUG channel whose lines go to wine.log)."""
        if not TAVO_EXE.exists():
            raise RigError(f"{TAVO_EXE} is missing: build the win64 preset first")
        extra = {**(self.fake_clock(fake_time) if fake_time else {}), **(env or {})}
        self.tavo = subprocess.Popen(["wine", str(TAVO_EXE), *args],
                                     env=wine_env(Run.display.name, self.prefix, extra),
                                     stdout=self.log, stderr=self.log)
        self.procs.append(self.tavo)
        # Looked up while hidden: once in front, its title may carry the clock.
        self.main = wait_until(lambda: self.probe.find("ThunderRT6FormDC", "Tavo"), 20, 0.1, "Tavo's main window")
        return self.main

    def set_fake_time(self, fake_time):
        # Written whole and renamed, so a reader never sees half a line.
        tmp = self.clock_file.with_suffix(".new")
        tmp.write_text(fake_time + "\n")
        tmp.replace(self.clock_file)

    def tavo_command(self, *args, timeout=20):
        """Runs a second Tavo.exe with arguments and waits for it to end."""
        try:
            return subprocess.run(["wine", str(TAVO_EXE), *args], env=self.env, stdout=self.log, stderr=self.log,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            raise AssertionError(f"Tavo.exe {' '.join(args)} did not end within {timeout}s") from None

    # ---- observation ----

    def wait_title(self, hwnd, accept, timeout=5, what=None):
        """Waits until the window's title satisfies accept(title); returns it."""
        seen = []

        def check():
            t = self.probe.title(hwnd)
            if not seen or seen[-1] != t:
                seen.append(t)
            return t if accept(t) else None

        try:
            return wait_until(check, timeout, 0.05, what or "title")
        except RigError as e:
            raise AssertionError(f"{e}; titles seen: {seen!r}") from None

    def wait_title_is(self, hwnd, expected, timeout=5):
        if isinstance(expected, str):
            expected = {expected}
        return self.wait_title(hwnd, lambda t: t in expected, timeout, f"one of {sorted(expected)!r}")

    def screenshot(self, name):
        OUT.mkdir(parents=True, exist_ok=True)
        raw = self.dir / f"{name}.xwd"
        with open(raw, "wb") as f:
            subprocess.run(["xwd", "-root", "-silent", "-display", Run.display.name], stdout=f, timeout=30,
                           check=True)
        subprocess.run(["convert", str(raw), str(OUT / f"{name}.png")], timeout=60, check=True)
        raw.unlink()

    def stop(self):
        for p in [self.probe, *self.extra_probes]:
            try:
                p.stop()
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


class ScenarioCase(unittest.TestCase):
    """A test case whose every test runs in a scenario of its own."""

    def setUp(self):
        self.s = Scenario(self._testMethodName.removeprefix("test_"))
        self.addCleanup(self.s.stop)
        self.probe = self.s.probe

    def tearDown(self):
        # An error report left open means Tavo failed somewhere, even if the
        # titles looked right.
        if self.s.tavo is not None:
            box, text = self.probe.call("msgbox", "エラー - Tavo")
            if box != "0":
                self.s.screenshot(f"{self.s.name}-error")
                self.fail(f"Tavo shows an error report: {text!r}")

    def window(self, title, cls="ProbeWindow"):
        return self.probe.create(cls, title)

    def wine_log(self):
        """What Wine wrote so far for this scenario's programs, trace channels included."""
        self.s.log.flush()
        return (self.s.dir / "wine.log").read_text(encoding="utf-8", errors="replace")

    def shell_opened(self):
        """Files handed to the shell's "open" so far (Tavo started with WINEDEBUG=trace+exec)."""
        return re.findall(r'SHELL_execute mask=.* verb=L"open" file=L"(.*?)"', self.wine_log())

    def bring(self, hwnd):
        self.probe.front(hwnd)
        wait_until(lambda: self.probe.foreground()[0] == hwnd, 3, what=f"window {hwnd} in front")

    def assert_clock(self, hwnd, own_title, clocks=None, timeout=5, **form):
        """Waits for the window to carry the clock (any of `clocks`, default: now) before its title."""
        if isinstance(clocks, str):
            clocks = {clocks}

        def accept(title):
            return title in {compose(c, own_title, **form) for c in (clocks or clocks_around_now())}

        return self.s.wait_title(hwnd, accept, timeout, f"the clock with {own_title!r}")

    def assert_own_title(self, hwnd, own_title, timeout=5):
        return self.s.wait_title_is(hwnd, own_title, timeout)

