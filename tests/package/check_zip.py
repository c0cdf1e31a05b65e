#!/usr/bin/env python3
"""Checks a release zip: exactly the four files users get, and programs that
run on a bare Windows, i.e. import nothing but system DLLs (a MinGW runtime
DLL slipping in is the usual way a build starts to fail on users' machines)."""
import re
import subprocess
import sys
import tempfile
import zipfile

EXPECTED = {"Tavo.exe", "Wavmend.exe", "TavoHELP/index.html", "readme.txt"}
# The universal C runtime's api-ms-win forwarders are part of Windows 10 and later.
SYSTEM = re.compile(r"(kernel32|user32|gdi32|advapi32|shell32|comdlg32|comctl32|winmm|imm32|msvcrt|ole32|oleaut32"
                    r"|shlwapi|version|uxtheme|dwmapi|shcore|ntdll|ws2_32|bcrypt|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll")
OBJDUMP = {0x8664: "x86_64-w64-mingw32-objdump", 0x14C: "i686-w64-mingw32-objdump"}  # by PE machine


def problems_of(zip_path):
    problems = []
    with zipfile.ZipFile(zip_path) as z, tempfile.TemporaryDirectory() as tmp:
        listed = [n.replace("\\", "/") for n in z.namelist() if not n.endswith("/")]
        problems += [f"{n} is in the zip more than once" for n in sorted({n for n in listed if listed.count(n) > 1})]
        problems += [f"unexpected file {n}" for n in sorted(set(listed) - EXPECTED)]
        problems += [f"missing {n}" for n in sorted(EXPECTED - set(listed))]
        for member in z.namelist():
            name = member.replace("\\", "/")
            if name not in EXPECTED or not name.endswith(".exe"):
                continue
            data = z.read(member)
            pe = int.from_bytes(data[0x3C:0x40], "little")
            objdump = OBJDUMP.get(int.from_bytes(data[pe + 4:pe + 6], "little"))
            if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0" or not objdump:
                problems.append(f"{name}: not a PE program of a known machine")
                continue
            path = f"{tmp}/{name}"
            with open(path, "wb") as f:
                f.write(data)
            out = subprocess.run([objdump, "-p", path], capture_output=True, text=True, check=True).stdout
            dlls = re.findall(r"^\s*DLL Name:\s*(\S+)", out, re.MULTILINE)
            problems += [f"{name}: imports {dll}" for dll in dlls if not SYSTEM.fullmatch(dll.lower())]
            problems += [f"{name}: no imports found"] if not dlls else []
            print(f"{name}: {', '.join(dlls)}")
    return problems


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: check_zip.py ZIP")
    problems = problems_of(sys.argv[1])
    print("\n".join(f"FAIL {p}" for p in problems) or f"{sys.argv[1]}: {len(EXPECTED)} files, system DLLs only")
    sys.exit(1 if problems else 0)
