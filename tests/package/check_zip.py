#!/usr/bin/env python3
"""Checks a release zip: exactly the four files users get, and programs that
run on a bare Windows, i.e. import nothing but system DLLs (a MinGW runtime
DLL slipping in is the usual way a build starts to fail on users' machines)."""
import os
import re
import subprocess
import sys
import tempfile
import zipfile

EXPECTED = {"Tavo.exe", "Wavmend.exe", "TavoHELP/index.html", "readme.txt"}

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
    "comdlg32.dll", "comctl32.dll", "winmm.dll", "imm32.dll", "msvcrt.dll",
    "ole32.dll", "oleaut32.dll", "shlwapi.dll", "version.dll", "uxtheme.dll",
    "dwmapi.dll", "shcore.dll", "ntdll.dll", "ws2_32.dll", "bcrypt.dll",
    "ucrtbase.dll",
}
# The universal C runtime's forwarders are part of Windows 10 and later.
SYSTEM_PATTERNS = [re.compile(r"api-ms-win-[a-z0-9-]+\.dll")]


def is_system(dll):
    name = dll.lower()
    return name in SYSTEM_DLLS or any(p.fullmatch(name) for p in SYSTEM_PATTERNS)


def objdump_for(data):
    # PE machine field: 0x8664 x86_64, 0x14c i386.
    pe = int.from_bytes(data[0x3C:0x40], "little")
    if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
        return None
    machine = int.from_bytes(data[pe + 4:pe + 6], "little")
    return {0x8664: "x86_64-w64-mingw32-objdump", 0x14C: "i686-w64-mingw32-objdump"}.get(machine)


def imports(path, objdump):
    out = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
    return re.findall(r"^\s*DLL Name:\s*(\S+)", out, re.MULTILINE)


def check(zip_path):
    problems = []
    with zipfile.ZipFile(zip_path) as z:
        listed = [n.replace("\\", "/") for n in z.namelist() if not n.endswith("/")]
        names = set(listed)
        for n in sorted({n for n in listed if listed.count(n) > 1}):
            problems.append(f"{n} is in the zip more than once")
        for n in sorted(names - EXPECTED):
            problems.append(f"unexpected file {n}")
        for n in sorted(EXPECTED - names):
            problems.append(f"missing {n}")
        with tempfile.TemporaryDirectory() as tmp:
            for n in sorted(names & EXPECTED):
                if not n.endswith(".exe"):
                    continue
                data = z.read(next(m for m in z.namelist() if m.replace("\\", "/") == n))
                objdump = objdump_for(data)
                if objdump is None:
                    problems.append(f"{n}: not a PE program of a known machine")
                    continue
                path = os.path.join(tmp, os.path.basename(n))
                with open(path, "wb") as f:
                    f.write(data)
                dlls = imports(path, objdump)
                if not dlls:
                    problems.append(f"{n}: no imports found")
                for dll in dlls:
                    if not is_system(dll):
                        problems.append(f"{n}: imports {dll}")
                print(f"{n}: {', '.join(dlls)}")
    return problems


def main():
    if len(sys.argv) != 2:
        print("usage: check_zip.py ZIP", file=sys.stderr)
        return 2
    problems = check(sys.argv[1])
    for p in problems:
        print(f"FAIL {p}")
    if not problems:
        print(f"{sys.argv[1]}: {len(EXPECTED)} files, system DLLs only")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
