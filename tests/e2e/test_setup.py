"""The setup program under Wine, silently: install, Tavo started from the
Run value, a reinstall over the running Tavo, uninstall with and without
/PURGE. (Where wine32 runs, the 32-bit setup; here the amd64 build of it.)"""

import os
import re
import signal
from harness import BUILD, MAIN_CLASS, TAVO_EXE, ScenarioCase, tavo_pid, wait_until

SETUP = next(BUILD.glob("Tavo-*-setup-amd64.exe"), None) or next(BUILD.parent.glob("Tavo-*-setup.exe"))
RUN, UNINST = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run", \
    r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavo"
FILES = ["Tavo.exe", "Wavmend.exe", "TavoHELP/index.html", "readme.txt", "Uninstall.exe"]


class Setup(ScenarioCase):
    def run_setup(self, *args, rc=0):  # 2: stopped with a message, before any file
        self.assertEqual(self.s.wine(SETUP, "/S", *args, timeout=120)[0], rc, args)

    def test_install_reinstall_over_a_running_tavo_and_uninstall(self):
        self.store(AlarmTime="06:18", WindowList0="Nothing")
        users = self.s.prefix / "drive_c" / "users"
        folder = wait_until(lambda: next(users.glob("*/AppData/Local"), None), 10, what="the profile") / "Programs/Tavo"
        menu = next(users.glob("*/AppData/Roaming")) / "Microsoft/Windows/Start Menu/Programs/Tavo"
        self.run_setup()
        self.assertEqual([f for f in FILES if not (folder / f).exists()], [])
        self.assertEqual(len(list(menu.glob("*.lnk"))), 4)
        exe = "C:" + str(folder).split("drive_c", 1)[1].replace("/", "\\") + "\\Tavo.exe"
        self.assertEqual(self.s.reg(RUN).get("Tavo"), f'"{exe}"')
        uninst = self.s.reg(UNINST)
        self.assertEqual({k: uninst.get(k) for k in ("DisplayName", "DisplayVersion", "QuietUninstallString",
                                                      "NoModify", "NoRepair")},
                         {"DisplayName": "Tavo", "DisplayVersion": re.search(r"Tavo-(.+?)-setup", SETUP.name)[1],
                          "QuietUninstallString": f'"{exe[:-8]}Uninstall.exe" /S', "NoModify": "0x1",
                          "NoRepair": "0x1"})

        # Started as sign-in starts it, Tavo puts the clock into a window.
        h = self.window("起動の確認")
        self.s.tavo = self.s.spawn(self.s.reg(RUN)["Tavo"].strip('"'))
        self.s.main = wait_until(lambda: self.probe.find(MAIN_CLASS, "Tavo"), 20, 0.1, "the installed Tavo")
        self.bring(h)
        self.assert_clock(h, "起動の確認")
        before = self.dump()

        # A reinstall ends it first: the title comes back, the settings stay but for Tavo's own farewell.
        self.run_setup()
        self.s.tavo.wait(20)
        self.assert_own_title(h, "起動の確認")
        after = self.dump()
        farewell = {("Main", "TavoDirPath"), ("Main", "Version")}
        self.assertEqual({k: v for k, v in after.items() if k not in farewell},
                         {k: v for k, v in before.items() if k not in farewell})
        self.assertTrue((folder / "Tavo.exe").exists())

        for purge in (False, True):
            if purge:
                self.run_setup()
            self.s.wine(folder / "Uninstall.exe", "/S", *(["/PURGE"] if purge else []))
            wait_until(lambda: not folder.exists(), 30, 0.2, "the folder to go")
            self.assertEqual((menu.exists(), self.s.reg(RUN).get("Tavo"), self.s.reg(UNINST)), (False, None, {}))
            self.assertEqual(self.stored("AlarmTime"), None if purge else "06:18")

    def test_bad_situations_stop_setup_before_it_changes_anything(self):
        c = self.s.prefix / "drive_c"
        # A frozen Tavo does not end: setup gives up and takes away every folder it made.
        self.s.start_tavo()
        os.kill(pid := tavo_pid(self.s.prefix), signal.SIGSTOP)  # the scenario's end kills it even stopped
        self.run_setup(r"/D=C:\deep\er\Tavo", rc=2)
        os.kill(pid, signal.SIGCONT)
        self.assertFalse((c / "deep").exists())
        self.s.tavo.wait(20)  # thawed, it takes the close request setup left
        self.s.start_tavo()
        for folder in (r"Z:\proc\Tavo", r"Q:\Tavo"):  # not writable; no such drive
            self.run_setup("/D=" + folder, rc=2)

        # A Run value for a Tavo elsewhere: that Tavo ends, the value becomes setup's.
        self.s.wine("reg", "add", RUN, "/v", "Tavo", "/d", f'"Z:{TAVO_EXE}"'.replace("/", "\\"), "/f")
        self.run_setup(r"/D=C:\First")
        self.s.tavo.wait(20)
        self.assertEqual(self.s.reg(RUN).get("Tavo"), r'"C:\First\Tavo.exe"')
        # A move takes the earlier install along, but not what the user put there.
        (c / "First/notes.txt").write_text("mine")
        self.run_setup(r"/D=C:\Moved")
        self.assertEqual([p.name for p in (c / "First").iterdir()], ["notes.txt"])
        self.assertEqual(self.s.reg(UNINST).get("InstallLocation"), r"C:\Moved")

        # A program in use by someone else, and a second setup beside a first.
        stamp = (c / "Moved/Tavo.exe").stat().st_mtime_ns
        for other, cls in ((c / "Moved/Wavmend.exe", "TavoWavmend"), (SETUP, "#32770")):
            proc = self.s.spawn(other)
            wait_until(lambda: self.probe.find(cls), 20, 0.1, cls)
            self.run_setup(rc=2)
            proc.kill()
            wait_until(lambda: not self.probe.find(cls), 20, 0.1, f"{cls} to go")
        self.assertEqual((c / "Moved/Tavo.exe").stat().st_mtime_ns, stamp)
