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

Prints one line per offending include and exits 1 when there is any.
Usage: check_host_includes.py [ROOT]
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
SOURCE_SUFFIXES = (".h", ".hpp", ".inl", ".cpp", ".cc")


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
    for line in bad:
        print(line)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
