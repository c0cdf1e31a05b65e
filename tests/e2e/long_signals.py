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
import json
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
    m = CLOCK.match(title)
    if not m:
        return None
    h, n, s, mon, d = m.groups()
    return datetime.datetime(START.year, MONTHS.index(mon) + 1, int(d), int(h), int(n), int(s))


class Watch:  # what a run saw, stamped with simulated time
    def __init__(self):
        self.ticks, self.flashes, self.chimes, self.moves, self.alarms = [], [], [], [], []
        self.rss = {}  # simulated hour -> samples (VmRSS kB, RssAnon kB, threads, open files)
        self.now = None


def events_near(events, start, end):
    return [e for e in events if start <= e < end]


def floor(samples):
    return tuple(min(col) for col in zip(*samples))


class LongRun(ScenarioCase):
    log_offset = 0

    def new_log_lines(self):
        self.s.log.flush()
        with open(self.s.dir / "wine.log", "rb") as f:
            f.seek(self.log_offset)
            data = f.read()
        end = data.rfind(b"\n") + 1  # a line still being written waits for the next call
        self.log_offset += end
        return data[:end].decode("utf-8", "replace").splitlines()

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
        pid = tavo_pid(self.s.prefix)

        w, first, end, real = self.watch(h, pid)
        self.report(w, first, end, real, self.unseen_minutes(w, first))
        self.check(w, first, end)

    def take_events(self, w, h):
        r = self.probe.call("drain", h)
        n = int(r[0])
        for t in filter(None, map(parse_clock, r[1:1 + n])):
            w.ticks.append(t)
            w.now = t
        if w.now is None:
            return
        w.moves += [w.now] * len(r[1 + n:])
        for line in self.new_log_lines():
            if FLASH in line:
                w.flashes.append(w.now)
            elif CHIME.search(line):
                w.chimes.append(w.now)

    def answer_alarm(self, w, h):
        if not (box := self.boxes.find("Alarm - Tavo")):
            return
        w.alarms.append(w.now)
        self.probe.call("press", box, "OK")
        self.gone(box, "the alarm box to close")
        # The box took the foreground; the window that shows the time gets it back.
        self.bring(h)

    def watch(self, h, pid):
        w = Watch()
        first = end = None
        real_start = time.monotonic()
        # Generous: the run itself plus slack for a slow machine.
        real_deadline = real_start + HOURS * 3600 / SPEED * 2 + 60
        while first is None or w.now < end:
            if time.monotonic() > real_deadline:
                raise AssertionError(f"the run did not reach its end in time; last seen {w.now}")
            self.take_events(w, h)
            if w.now is None:
                time.sleep(0.05)
                continue
            if first is None:
                first, end = w.now, w.now + datetime.timedelta(hours=HOURS)
            self.answer_alarm(w, h)
            m = proc_status(pid, "VmRSS", "RssAnon", "Threads")
            w.rss.setdefault(int((w.now - first).total_seconds() // 3600), []).append(
                (m["VmRSS"], m["RssAnon"], m["Threads"], m["fds"]))
            time.sleep(0.1)  # a lighter watch leaves the machine to Tavo's ticks
        return w, first, end, time.monotonic() - real_start

    @staticmethod
    def unseen_minutes(w, first):  # but those an open alarm box held up
        seen, start = {t.replace(second=0) for t in w.ticks}, first.replace(second=0)
        minutes = [start + datetime.timedelta(minutes=i)
                   for i in range(1, int((w.now.replace(second=0) - start).total_seconds() // 60))]
        return [m for m in minutes if m not in seen
                and not any(a <= m < a + datetime.timedelta(minutes=25) for a in w.alarms)]

    def report(self, w, first, end, real, unseen):
        gaps = sorted((b - a).total_seconds() * 1000 / SPEED for a, b in zip(w.ticks, w.ticks[1:]))
        pick = (lambda q: round(gaps[min(len(gaps) - 1, int(len(gaps) * q))])) if gaps else (lambda q: None)
        self.figures = {
            "simulated": f"{first} .. {w.now} ({(w.now - first).total_seconds() / 3600:.1f} h)",
            "real_seconds": round(real, 1), "speed": SPEED, "title_writes": len(w.ticks),
            # Real milliseconds between ticks, from the simulated seconds between title writes.
            "tick_gap_real_ms": {"median": pick(0.5), "p99": pick(0.99), "max": pick(1.0)},
            "minutes_unseen": [f"{m:%d %H:%M}" for m in unseen],
            "flashes": len(w.flashes), "chimes": len(w.chimes), "moves": len(w.moves),
            "alarms": [str(a) for a in w.alarms],
            # Per simulated hour, the lowest sample of each.
            "floor_rss_anon_threads_files": {h: floor(v) for h, v in sorted(w.rss.items())}}
        with open(self.s.dir / "events.json", "w") as f:
            json.dump({k: [str(t) for t in getattr(w, k)] for k in ("ticks", "flashes", "chimes", "moves", "alarms")}
                      | {"memory": w.rss}, f)
        (self.s.dir / "figures.txt").write_text("\n".join(f"{k}: {v}" for k, v in self.figures.items()) + "\n")
        print(f"\n  long run: {self.figures}", flush=True)

    def check(self, w, first, end):
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
        seen = {m for m, n in collections.Counter(t.replace(second=0) for t in w.ticks).items() if n >= 2}

        # Each hour: one chime, one flash run, one shake. The tick that gives
        # the signal is long (sound, moves), and the title it writes shows the
        # time of the ticks nested in it, so an hour with events is judged by
        # them whether or not its minute "00" shows in a title. An hour with
        # no events is a fault only if a tick saw its minute; otherwise the
        # rate skipped it and it says nothing about Tavo.
        wrong, skipped = {}, []
        for b in boundaries:
            got = tuple(len(events_near(e, b - before, b + after)) for e in (w.chimes, w.flashes, w.moves))
            if got == (0, 0, 0) and b not in seen:
                skipped.append(b)
            elif got != (1, FLASH_LIMIT + 2, SHAKE_MOVES):
                wrong[str(b)] = got
        self.assertEqual(wrong, {}, "hours whose (chimes, flashes, moves) differ from "
                         f"(1, {FLASH_LIMIT + 2}, {SHAKE_MOVES})")

        # One alarm box a day, at its minute, and its flash run after the answer.
        found = {a: [f for f in w.alarms if abs((f - a).total_seconds()) < 120] for a in alarms_due}
        skipped += [a for a, boxes in found.items() if not boxes and a not in seen]
        self.assertEqual({str(a): len(boxes) for a, boxes in found.items() if a not in skipped},
                         {str(a): 1 for a in alarms_due if a not in skipped}, f"alarm boxes at {w.alarms}")
        self.assertLessEqual(len(w.alarms), len(every_alarm), f"alarm boxes at {w.alarms}")
        for f in w.alarms:
            # While the box goes away there may be no window in front for a
            # tick or two; Wine notes no flash of no window.
            if f + after <= end:
                self.assertIn(len(events_near(w.flashes, f, f + after)), range(FLASH_LIMIT, FLASH_LIMIT + 3))

        self.figures["judged"] = (f"{len([b for b in boundaries if b not in skipped])} of {len(boundaries)} hours, "
                                  f"{len([a for a in alarms_due if a not in skipped])} of {len(alarms_due)} alarms")
        print(f"  judged: {self.figures['judged']}", flush=True)
        self.assertLessEqual(len(skipped), max(1, (len(boundaries) + len(alarms_due)) // 4),
                             f"ticks too slow for x{SPEED}: too many signal minutes skipped: {skipped}")

        # Nothing outside those windows: no signal given twice or at the wrong time.
        runs = len(every_hour) + len(w.alarms)
        self.assertLessEqual(len(w.chimes), len(every_hour))
        self.assertLessEqual(len(w.flashes), runs * (FLASH_LIMIT + 2))
        self.assertLessEqual(len(w.moves), len(every_hour) * SHAKE_MOVES)

        # The working set does not grow after the first hour. Wine's sound
        # player threads come and go, each with THREAD_KB of stack and four
        # files, so each sample is taken less its threads' share; an hour's
        # median of that must stay within the slack of the second hour's.
        # A sample caught while a thread starts or ends is an outlier the
        # median ignores.
        def steady(samples):
            rows = sorted((vm - THREAD_KB * t, anon - THREAD_KB * t, files - 4 * t) for vm, anon, t, files in samples)
            return tuple(sorted(col)[len(col) // 2] for col in zip(*rows))

        self.assertIn(1, w.rss, "the run ended within its first hour")
        base = steady(w.rss[1])
        grown = {h: steady(v) for h, v in w.rss.items()
                 if h >= 1 and any(g > b + slack for g, b, slack in zip(steady(v), base, (RSS_SLACK_KB, RSS_SLACK_KB, 1)))}
        self.assertEqual(grown, {}, f"hours above hour 1's {base} (VmRSS kB, RssAnon kB, files, less the threads')")
        # Nor may threads pile up: every hour has moments with few of them.
        first_peak = max(t for _, _, t, _ in w.rss[0] + w.rss[1])
        creeping = {h: floor(v)[2] for h, v in w.rss.items() if floor(v)[2] > first_peak + 2}
        self.assertEqual(creeping, {}, f"hours whose fewest threads exceed the first hours' most ({first_peak}) by 3")
        f = self.figures
        print(f"longrun: {f['simulated'].split('(')[1][:-1]} at x{SPEED} in {f['real_seconds']:.0f} s, "
              f"judged {f['judged']}", flush=True)
