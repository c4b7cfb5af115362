#!/usr/bin/env python3
"""The regex matching of the search checked against Python's re over the same planted data.

Usage: regex_oracle.py REGEXORACLE WORKDIR

Plants keys and values (names and text data with non-ASCII and non-BMP characters,
multi-strings, text in binary data), runs regexoracle, which searches the planted in-memory
registry with each pattern as a key, a value and a data criterion (data without and with
regard to case), and compares every hit and its emphasis span with what re finds: names with
re.IGNORECASE, spans in UTF-16 code units counted from 1.
"""
import os
import random
import re
import subprocess
import sys

PATTERNS = [
    r"shell32",
    r"^run$",
    r"\{[0-9a-f-]{36}\}",
    r"\.exe$",
    r"^[a-z]:\\windows\\",
    r"\d{2,3}",
    r"(foo|bar)baz",
    r"colou?r",
    r"\bpath\b",
    r"[^\x00-\x7f]+",
    r"\x00two",
    "\U0001F600.",
    r"é+",
    r"v(\d+)\.(\d+)",
    r"^$",
    r"a.c",
    r"(?<=\\)[a-z]+\.dll",
    r"^.{5}$",
    r"x{3,}",
    r"\w+@\w+\.\w+",
    r"[A-Z]{2}\d",
    r"\s\S+$",
]

WORDS = ["run", "Run", "RunOnce", "shell32", "SHELL32.dll", "path", "Path", "xpath",
         "colour", "color", "COLOR", "foobaz", "barbaz", "bazfoo", "é", "ÉÉ", "café",
         "\U0001F600x", "x\U0001F600\U0001F600y", "v1.2", "v10.20", "mail@host.org",
         "a\nc", "abc", "aXc", "xxxx", "xx", "AB1", "ab2", "12345", "7", "tab\tthere",
         "one two", "C:\\Windows\\system32\\shell32.dll", "c:\\windows\\notepad.exe",
         "D:\\Apps\\tool.EXE", "{0b0b8e5c-6a2f-4c1e-9d1e-3f3a0a5b7c21}",
         "{0B0B8E5C-6A2F-4C1E-9D1E-3F3A0A5B7C21}", "{short-guid}", "\u00fcber", "end "]

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_MULTI_SZ = 1, 2, 3, 7


def hex16(text):
    return "x" + text.encode("utf-16-le", "surrogatepass").hex()


def units(text):
    return len(text.encode("utf-16-le", "surrogatepass")) // 2


def lower_az(text):
    return "".join(c.lower() if "A" <= c <= "Z" else c for c in text)


def plant():
    """Keys below HKEY_CURRENT_USER\\Software: {key name: [(value name, type, text view, data)]}."""
    rng = random.Random(2222)
    keys = {}
    for k in range(60):
        key = rng.choice(WORDS).replace("\\", "/").replace("\n", " ") + "-" + str(k)
        if k % 7 == 0:
            # Whole names, each once: registry names are the same in any case.
            key = rng.choice(["run", "Run", "path", "xx", "12345", "café"])
            if any(key.lower() == other.lower() for other in keys):
                key += str(k)
        values = []
        names = set()
        for v in range(rng.randint(1, 5)):
            name = rng.choice(WORDS + [""]) if v else ""
            if name.lower() in names:
                name += str(v)
            names.add(name.lower())
            kind = rng.choice([REG_SZ, REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY])
            if kind == REG_MULTI_SZ:
                strings = [rng.choice(WORDS) for _ in range(rng.randint(1, 3))]
                if rng.random() < 0.3:
                    strings.insert(1, "two")
                view = "\0".join(strings) + "\0"
                data = (view + "\0").encode("utf-16-le")
            elif kind == REG_BINARY:
                view = rng.choice(WORDS)
                data = view.encode("utf-16-le")
            else:
                view = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 3)))
                data = (view + "\0").encode("utf-16-le")
            values.append((name, kind, view, data))
        keys[key] = values
    return keys


def expected(keys, index, pattern):
    """The hits regexoracle must report for one pattern, per mode, as sorted tuples."""
    folded = re.compile(pattern, re.IGNORECASE)
    exact = re.compile(pattern)
    out = {"key": [], "val": [], "dat": [], "datcase": []}
    # The walk visits the root (its name is empty), Software, then the planted keys.
    walk = [("", "HKEY_CURRENT_USER"), ("Software", "HKEY_CURRENT_USER\\software")]
    walk += [(k, "HKEY_CURRENT_USER\\software\\" + lower_az(k)) for k in keys]
    for name, path in walk:
        m = folded.search(name)
        if m:
            start = units(path) - units(name) + units(name[:m.start()]) + 1
            out["key"].append((path, "", start, units(m.group(0))))
    for key, values in keys.items():
        path = "HKEY_CURRENT_USER\\software\\" + lower_az(key)
        for name, _kind, view, _data in values:
            m = folded.search(name)
            if m:
                out["val"].append((path, name, units(name[:m.start()]) + 1, units(m.group(0))))
            for mode, rx in (("dat", folded), ("datcase", exact)):
                m = rx.search(view)
                if m:
                    out[mode].append((path, name, units(view[:m.start()]) + 1, units(m.group(0))))
    return {mode: sorted(hits) for mode, hits in out.items()}


def main():
    tool, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    keys = plant()
    plant_file = os.path.join(work, "plant.txt")
    with open(plant_file, "w") as f:
        for key, values in keys.items():
            for name, kind, _view, data in values:
                f.write(f"V {hex16(key)} {hex16(name)} {kind} x{data.hex()}\n")
    pattern_file = os.path.join(work, "patterns.txt")
    with open(pattern_file, "w") as f:
        for p in PATTERNS:
            f.write(hex16(p) + "\n")
    run = subprocess.run([tool, plant_file, pattern_file], capture_output=True, text=True)
    if run.returncode != 0:
        print(run.stdout, run.stderr)
        return 1
    got = {}
    for line in run.stdout.splitlines():
        f = line.split(" ")
        if f[0] == "E":
            if f[3] != "0":
                print(f"pattern {f[1]} {f[2]}: {f[3]} texts given up")
                return 1
            continue
        key = bytes.fromhex(f[3][1:]).decode("utf-16-le")
        val = bytes.fromhex(f[4][1:]).decode("utf-16-le")
        nums = [int(n) for n in f[5:11]]
        mode = f[2]
        if mode == "key":
            hit = (key, "", nums[0], nums[1])
        elif mode == "val":
            hit = (key, val, nums[2], nums[3])
        else:
            hit = (key, val, nums[4], nums[5])
        got.setdefault((int(f[1]), mode), []).append(hit)

    failures = 0
    total = 0
    for i, pattern in enumerate(PATTERNS):
        want = expected(keys, i, pattern)
        for mode in ("key", "val", "dat", "datcase"):
            have = sorted(got.get((i, mode), []))
            total += len(want[mode])
            if have != want[mode]:
                failures += 1
                print(f"pattern {pattern!r} as {mode}:")
                for h in sorted(set(want[mode]) - set(have)):
                    print("  missing ", h)
                for h in sorted(set(have) - set(want[mode])):
                    print("  extra   ", h)
    print(f"{len(PATTERNS)} patterns, {total} hits compared with Python's re, {failures} differ")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
