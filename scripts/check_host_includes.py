#!/usr/bin/env python3
"""Checks what the host-layer sources include.

Code under src/merrow/Platform/3dsmax/ is written against the host SDK's
documented surface, so it may include only:
  - SDK header names, i.e. headers that the stand-in host carries in
    maxsim/include/ (the same names as the SDK's own files);
  - the project's own headers, found beside the including file or below src/;
  - the C++ standard library's headers (<vector>, <cstring>, ...: no dot, no
    folder) and <windows.h>, on which the SDK itself rests (its max.h
    includes it), which every build of the plug-in has.
Anything else (a stand-in host's own header from maxsim/host/, a system or
third-party header) would not be there in a build against the real SDK.

The SDK's headers are not self-contained, so the order matters too, in the
host layer and in the translators of the module root (src/*.h, src/*.cpp):
the first SDK header that a file includes is max.h, and iparamb2.h comes
before iskin.h.

Prints one line per offending include and exits 1 when there is any.
Usage: check_host_includes.py [ROOT]
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".hpp", ".inl", ".cpp", ".cc")


def includes(path):
    """(line number, "<" or '"', header) of every include of the file."""
    found = []
    with open(path, encoding="latin-1") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if m:
                found.append((number, m.group(1), m.group(2)))
    return found


def order_problems(path, root, sdk_names):
    """One line per SDK include without max.h before it, and per iskin.h
    without iparamb2.h before it."""
    rel = os.path.relpath(path, root)
    bad = []
    seen_max = False
    seen_paramblock = False
    for number, _, header in includes(path):
        if header not in sdk_names:
            continue
        if header == "max.h":
            seen_max = True
            continue
        if not seen_max:
            bad.append(f"{rel}:{number}: includes {header} without max.h before it: the SDK's headers need max.h first")
        if header == "iparamb2.h":
            seen_paramblock = True
        elif header == "iskin.h" and not seen_paramblock:
            bad.append(f"{rel}:{number}: includes iskin.h without iparamb2.h before it")
    return bad


def ordered_sources(root, host_dir):
    """The host layer and the module root's own sources, whose SDK includes
    must come in the SDK's order."""
    paths = []
    for folder, _, files in os.walk(host_dir):
        paths += [os.path.join(folder, name) for name in files]
    module_root = os.path.join(root, "src")
    if os.path.isdir(module_root):
        paths += [os.path.join(module_root, name) for name in os.listdir(module_root)]
    return sorted(p for p in paths if p.endswith(SOURCE_SUFFIXES) and os.path.isfile(p))


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    host_dir = os.path.join(root, "src", "merrow", "Platform", "3dsmax")
    sdk_dir = os.path.join(root, "maxsim", "include")
    src_dir = os.path.join(root, "src")
    sdk_names = set(os.listdir(sdk_dir)) if os.path.isdir(sdk_dir) else set()
    bad = []
    for folder, _, files in os.walk(host_dir):
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.join(folder, name)
            with open(path, encoding="latin-1") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    kind, header = m.groups()
                    if header in sdk_names:
                        continue
                    if kind == "<" and (("." not in header and "/" not in header) or header == "windows.h"):
                        continue
                    own = [os.path.join(folder, header), os.path.join(src_dir, header)]
                    if kind == '"' and any(os.path.isfile(p) and os.path.realpath(p).startswith(src_dir + os.sep) for p in own):
                        continue
                    bad.append(f"{os.path.relpath(path, root)}:{number}: includes {kind}{header}"
                               f"{'>' if kind == '<' else chr(34)}: neither an SDK header nor the project's own")
    for path in ordered_sources(root, host_dir):
        bad += order_problems(path, root, sdk_names)
    for line in bad:
        print(line)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
