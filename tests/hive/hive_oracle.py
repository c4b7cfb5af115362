#!/usr/bin/python3
"""Hive files checked against two independent readers, hivex and libregf.

usage: hive_oracle.py HIVEORACLE WORKFOLDER

1. Every hive the test writer makes reads, with hivex and with libregf, as exactly the
   tree it was written from (keys, values, types, data, last-write times; class names with
   libregf, as hivex does not read them). This proves the writer.
2. hivex grows each of those hives (new keys below old and new ones, values of every size
   class set on new and old keys) and commits it to a new file, which our reader must read
   as exactly what hivex reads back from it.
Dump lines are those of `hiveoracle dump` (see hiveoracle.cpp).
"""
import os
import subprocess
import sys

import hivex
import pyregf


def hexname(text):
    return "x" + text.encode("utf-16-le").hex()


def key_line(path, time, cls):
    return "K %s %d %s" % (hexname(path), time, hexname(cls) if cls else "-")


def value_line(path, name, vtype, data):
    return "V %s %s %d x%s" % (hexname(path), hexname(name), vtype, data.hex())


def join(path, name):
    return name if not path else path + "\\" + name


def hivex_lines(file):
    """The dump lines of hivex, which does not read class names: every key has none."""
    h = hivex.Hivex(file)
    lines = []
    stack = [(h.root(), "")]
    while stack:
        node, path = stack.pop()
        lines.append(key_line(path, h.node_timestamp(node), None))
        for v in h.node_values(node):
            vtype, data = h.value_value(v)
            lines.append(value_line(path, h.value_key(v), vtype, data))
        children = h.node_children(node)
        for c in reversed(children):
            stack.append((c, join(path, h.node_name(c))))
    return lines


def libregf_lines(file):
    f = pyregf.file()
    f.open(file)
    lines = []
    stack = [(f.get_root_key(), "")]
    while stack:
        key, path = stack.pop()
        lines.append(key_line(path, key.get_last_written_time_as_integer(), key.get_class_name()))
        for i in range(key.get_number_of_values()):
            v = key.get_value(i)
            lines.append(value_line(path, v.get_name() or "", v.get_type(), v.get_data() or b""))
        subkeys = [key.get_sub_key(i) for i in range(key.get_number_of_sub_keys())]
        for s in reversed(subkeys):
            stack.append((s, join(path, s.get_name())))
    f.close()
    return lines


def without_short_data(lines):
    """The lines with the data of values of 1 to 3 bytes left out. libregf takes such data,
    which stand in the value record's offset field, from the end of the field; Windows,
    hivex and we take them from its start."""
    def strip(line):
        parts = line.split(" ")
        if parts[0] == "V" and len(parts[4]) in (3, 5, 7):
            parts[4] = "short"
        return " ".join(parts)
    return [strip(l) for l in lines]


def without_class(lines):
    return [" ".join(l.split(" ")[:3] + ["-"]) if l.startswith("K ") else l for l in lines]


def ours(tool, file):
    run = subprocess.run([tool, "dump", file], capture_output=True, text=True)
    if run.returncode != 0:
        raise RuntimeError("%s dump %s failed: %s" % (tool, file, run.stderr))
    return run.stdout.splitlines()


def grow(source, target):
    """Adds keys and values to the hive at source with hivex, committed to target."""
    h = hivex.Hivex(source, write=True)
    root = h.root()
    big = bytes((i * 13 + (i >> 9)) & 255 for i in range(20000))

    def values(seed):
        return [
            {"key": "", "t": 1, "value": ("seed %d\0" % seed).encode("utf-16-le")},
            {"key": "Dword", "t": 4, "value": (seed).to_bytes(4, "little")},
            {"key": "Tiny", "t": 3, "value": bytes([seed & 255])},
            {"key": "Empty", "t": 0, "value": b""},
            {"key": "Odd type", "t": 0x4321, "value": b"\x01\x02\x03\x04\x05\x06"},
            {"key": "Binary", "t": 3, "value": bytes(range(256)) * 8},
            {"key": "Large", "t": 3, "value": big[: 16000 + seed]},
            {"key": "Caf\u00e9 \u0416", "t": 2, "value": "%Path%\\\u00e9\0".encode("utf-16-le")},
        ]

    grown = h.node_add_child(root, "Grown by hivex")
    h.node_set_values(grown, values(1))
    for i in range(30):
        child = h.node_add_child(grown, "Child %02d" % (29 - i))
        h.node_set_values(child, values(i + 2))
    deep = grown
    for i in range(20):
        deep = h.node_add_child(deep, "Level%d" % i)
    h.node_set_values(deep, values(99))
    for child in h.node_children(root)[:3]:
        h.node_add_child(child, "Added below %s" % h.node_name(child))
        h.node_set_values(child, values(7))
    h.commit(target)


def clip(lines, i):
    if i >= len(lines):
        return "(none)"
    return lines[i] if len(lines[i]) < 160 else lines[i][:150] + "... (%d chars)" % len(lines[i])


def main():
    tool, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    for name in os.listdir(work):
        os.remove(os.path.join(work, name))
    subprocess.run([tool, "write", work], check=True)
    cases = sorted(n[: -len(".hive")] for n in os.listdir(work) if n.endswith(".hive"))
    failures = []

    def check(what, got, want):
        if got != want:
            diff = next((i for i, (a, b) in enumerate(zip(got, want)) if a != b), min(len(got), len(want)))
            failures.append(
                "%s: line %d differs (%d lines, want %d)\n  got:  %s\n  want: %s"
                % (what, diff + 1, len(got), len(want),
                   clip(got, diff), clip(want, diff)))

    for case in cases:
        hive = os.path.join(work, case + ".hive")
        with open(os.path.join(work, case + ".expected")) as f:
            expected = f.read().splitlines()
        check(case + ": hivex reads the writer's hive", hivex_lines(hive), without_class(expected))
        check(case + ": libregf reads the writer's hive", without_short_data(libregf_lines(hive)),
              without_short_data(expected))
        check(case + ": our reader reads the writer's hive", ours(tool, hive), expected)

        grown = os.path.join(work, case + ".grown")
        grow(hive, grown)
        theirs = hivex_lines(grown)
        check(case + ": our reader reads what hivex grew", without_class(ours(tool, grown)), theirs)
        check(case + ": libregf reads what hivex grew",
              without_short_data(without_class(libregf_lines(grown))), without_short_data(theirs))
        if len(theirs) <= len(expected):
            failures.append(case + ": hivex did not grow the hive")

    for f in failures:
        print("FAIL " + f)
    print("%d hives, %d failures" % (len(cases), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
