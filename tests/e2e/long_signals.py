"""Many simulated hours of the real Tavo.exe, its local time SPEED times the
real rate, with flash, shake, chime and the daily alarm on: one signal an
hour, one alarm a day (answered OK), no growth after the first hour.

    TAVO_LONG_HOURS=48 python3 tests/e2e/run.py --files 'long_*.py' -v   # default 25 hours
"""
# Only Tavo runs at the fake time: a 50 ms tick is 30 simulated seconds at
# x600. The clock shows seconds, so the titles the probe window receives
# record the ticks. An hour (or alarm) with no events whose minute fewer than
# two ticks saw says nothing about Tavo and is left unjudged; too many of
# those fail the run as too fast for the machine. Events are stamped with the
# latest simulated time seen; flashes and sounds are Wine's notes on them.

import collections
import datetime
import os
import re
import time

from harness import MONTHS, ScenarioCase, proc_status, tavo_pid, write_wave

HOURS = float(os.environ.get("TAVO_LONG_HOURS", "25"))
SPEED = int(os.environ.get("TAVO_LONG_SPEED", "600"))
START = datetime.datetime(2026, 3, 14, 6, 45, 0)
ALARM = datetime.time(7, 30)
TARGET = "長い一日"
FLASH_LIMIT = 8        # ten flashes: at x600 a run lasts ten simulated minutes, not 52
SHAKE_COUNT = 2        # three cycles of four moves, then the move back
SHAKE_MOVES = 4 * (SHAKE_COUNT + 1) + 1
# Anonymous memory of one thread of Tavo's process under this Wine, measured:
# 35292/9952 kB (VmRSS/RssAnon) with two threads, 36268/10928 with three,
# 37244/11904 with four.
THREAD_KB = 976
# Beyond the threads' share the working set may wander by a few pages, no more.
RSS_SLACK_KB = int(os.environ.get("TAVO_LONG_RSS_SLACK_KB", "256"))

CLOCK = re.compile(r"^(\d{1,2}):(\d\d):(\d\d),([A-Z][a-z]{2}),(\d{1,2}) = ")
FLASH = "fixme:win:NtUserFlashWindowEx"
CHIME = re.compile(r"SoundName=.*long\.wav")


def parse_clock(title):  # "7:05:30,Mar,14 = ...", or None
    if m := CLOCK.match(title):
        h, n, s, mon, d = m.groups()
        return datetime.datetime(START.year, MONTHS.index(mon) + 1, int(d), int(h), int(n), int(s))
    return None


def between(events, start, end):
    return [e for e in events if start <= e < end]


class LongRun(ScenarioCase):
    def test_hourly_signals_and_the_daily_alarm(self):
        write_wave(self.s.prefix / "drive_c" / "long.wav")
        self.store(CheckInterval="50", ShowSecond="1", TimePika="1", FlashLimit=str(FLASH_LIMIT), TimeFuru="1",
                   TimeFuruCount=str(SHAKE_COUNT), TimePipo="1", PipoHato="0", WaveFilePath1=r"C:\long.wav",
                   Alarm="1", AlarmTime=ALARM.strftime("%H:%M"), AlarmMessage="朝です", WaveFilePath2="")
        h = self.window(TARGET)
        self.bring(h)
        self.s.start_tavo(fake_time=f"@{START:%Y-%m-%d %H:%M:%S} x{SPEED}",
                          env={"WINEDEBUG": "-all,fixme+win,trace+winmm"})
        self.bring(h)
        self.watch(h, tavo_pid(self.s.prefix))
        self.check()

    def watch(self, h, pid):
        self.ticks, self.flashes, self.chimes, self.moves, self.alarms = [], [], [], [], []
        self.rss = {}  # simulated hour -> samples (VmRSS kB, RssAnon kB, threads, open files)
        now = self.first = None
        log = open(self.s.dir / "wine.log", "rb")
        real_start = time.monotonic()
        # Generous: the run itself plus slack for a slow machine.
        real_deadline = real_start + HOURS * 3600 / SPEED * 2 + 60
        while self.first is None or now < self.end:
            if time.monotonic() > real_deadline:
                raise AssertionError(f"the run did not reach its end in time; last seen {now}")
            texts, moves = self.probe.drain(h)
            for t in filter(None, map(parse_clock, texts)):
                self.ticks.append(now := t)
            if now is None:
                time.sleep(0.05)
                continue
            self.moves += [now] * len(moves)
            self.s.log.flush()
            data = log.read()
            log.seek(data.rfind(b"\n") + 1 - len(data), 1)  # a line still being written waits for the next look
            for line in data[:data.rfind(b"\n") + 1].decode("utf-8", "replace").splitlines():
                if FLASH in line:
                    self.flashes.append(now)
                elif CHIME.search(line):
                    self.chimes.append(now)
            if self.first is None:
                self.first, self.end = now, now + datetime.timedelta(hours=HOURS)
            if box := self.boxes.find("Alarm - Tavo"):
                self.alarms.append(now)
                self.probe.call("press", box, 1)  # IDOK
                self.gone(box, "the alarm box to close")
                # The box took the foreground; the window that shows the time gets it back.
                self.bring(h)
            m = proc_status(pid, "VmRSS", "RssAnon", "Threads")
            self.rss.setdefault(int((now - self.first).total_seconds() // 3600), []).append(
                (m["VmRSS"], m["RssAnon"], m["Threads"], m["fds"]))
            time.sleep(0.1)  # a lighter watch leaves the machine to Tavo's ticks
        self.now, self.real = now, time.monotonic() - real_start
        log.close()

    def check(self):
        first, end = self.first, self.end
        before, after = datetime.timedelta(minutes=5), datetime.timedelta(minutes=20)
        every_hour = [b for i in range(1, int(HOURS) + 3)
                      if (b := first.replace(minute=0, second=0) + datetime.timedelta(hours=i)) <= end]
        every_alarm = [a for d in range(int(HOURS) // 24 + 2)
                       if first < (a := datetime.datetime.combine(first.date() + datetime.timedelta(days=d), ALARM)) <= end]
        # Judged only where the run went on long enough to see a whole flash run.
        boundaries = [b for b in every_hour if b + after <= end]
        alarms_due = [a for a in every_alarm if a + after <= end]
        # The checks ask the clock again after the title is written, and a
        # write to another program's window can take long enough at this rate
        # for that reading to fall in the next minute. A minute counts as
        # seen by the checks when two ticks wrote it: the first tick's checks
        # ran before the second tick read the clock.
        seen = {m for m, n in collections.Counter(t.replace(second=0) for t in self.ticks).items() if n >= 2}

        # Each hour: one chime, one flash run, one shake. The tick that gives
        # the signal is long (sound, moves), and the title it writes shows the
        # time of the ticks nested in it, so an hour with events is judged by
        # them whether or not its minute "00" shows in a title. An hour with
        # no events is a fault only if a tick saw its minute; otherwise the
        # rate skipped it and it says nothing about Tavo.
        wrong, skipped = {}, []
        for b in boundaries:
            got = tuple(len(between(e, b - before, b + after)) for e in (self.chimes, self.flashes, self.moves))
            if got == (0, 0, 0) and b not in seen:
                skipped.append(b)
            elif got != (1, FLASH_LIMIT + 2, SHAKE_MOVES):
                wrong[str(b)] = got
        self.assertEqual(wrong, {}, "hours whose (chimes, flashes, moves) differ from "
                         f"(1, {FLASH_LIMIT + 2}, {SHAKE_MOVES})")

        # One alarm box a day, at its minute, and its flash run after the answer.
        found = {a: [f for f in self.alarms if abs((f - a).total_seconds()) < 120] for a in alarms_due}
        skipped += [a for a, boxes in found.items() if not boxes and a not in seen]
        self.assertEqual({str(a): len(boxes) for a, boxes in found.items() if a not in skipped},
                         {str(a): 1 for a in alarms_due if a not in skipped}, f"alarm boxes at {self.alarms}")
        self.assertLessEqual(len(self.alarms), len(every_alarm), f"alarm boxes at {self.alarms}")
        for f in self.alarms:
            # While the box goes away there may be no window in front for a
            # tick or two; Wine notes no flash of no window.
            if f + after <= end:
                self.assertIn(len(between(self.flashes, f, f + after)), range(FLASH_LIMIT, FLASH_LIMIT + 3))

        judged = (f"{len([b for b in boundaries if b not in skipped])} of {len(boundaries)} hours, "
                  f"{len([a for a in alarms_due if a not in skipped])} of {len(alarms_due)} alarms")
        print(f"\nlongrun: {(self.now - first).total_seconds() / 3600:.1f} h at x{SPEED} in {self.real:.0f} s, "
              f"judged {judged}", flush=True)
        self.assertLessEqual(len(skipped), max(1, (len(boundaries) + len(alarms_due)) // 4),
                             f"ticks too slow for x{SPEED}: too many signal minutes skipped: {skipped}")

        # Nothing outside those windows: no signal given twice or at the wrong time.
        runs = len(every_hour) + len(self.alarms)
        self.assertLessEqual(len(self.chimes), len(every_hour))
        self.assertLessEqual(len(self.flashes), runs * (FLASH_LIMIT + 2))
        self.assertLessEqual(len(self.moves), len(every_hour) * SHAKE_MOVES)

        # The working set does not grow after the first hour. Wine's sound
        # player threads come and go, each with THREAD_KB of stack and four
        # files, so each sample is taken less its threads' share; an hour's
        # median of that must stay within the slack of the second hour's.
        # A sample caught while a thread starts or ends is an outlier the
        # median ignores.
        def steady(samples):
            rows = sorted((vm - THREAD_KB * t, anon - THREAD_KB * t, files - 4 * t) for vm, anon, t, files in samples)
            return tuple(sorted(col)[len(col) // 2] for col in zip(*rows))

        self.assertIn(1, self.rss, "the run ended within its first hour")
        base = steady(self.rss[1])
        grown = {h: steady(v) for h, v in self.rss.items()
                 if h >= 1 and any(g > b + slack for g, b, slack in zip(steady(v), base, (RSS_SLACK_KB, RSS_SLACK_KB, 1)))}
        self.assertEqual(grown, {}, f"hours above hour 1's {base} (VmRSS kB, RssAnon kB, files, less the threads')")
        # Nor may threads pile up: every hour has moments with few of them.
        fewest = {h: min(t for _, _, t, _ in v) for h, v in self.rss.items()}
        first_peak = max(t for _, _, t, _ in self.rss[0] + self.rss[1])
        self.assertEqual({h: n for h, n in fewest.items() if n > first_peak + 2}, {},
                         f"hours whose fewest threads exceed the first hours' most ({first_peak}) by 3")
