#!/usr/bin/env python3
"""Runs every test a CMake build registers with CTest and counts test cases.

GoogleTest executables run once each (however many CTest entries point at
them) with JSON output, and every test case in it counts. Any other registered
test runs through ctest and counts as one case. An executable that crashes,
hangs, writes no JSON or exits non-zero with no failed test recorded counts
as one more failure.

Names each executable before its output and prints "NAME: N passed, M
failed"; writes "passed failed skipped" to --counts and, with --failures, the
names of the failed tests to that file, one a line. Exits 1 if anything failed.

With --gtest-filter only the GoogleTest executables run, with that filter;
the other registered tests are left out (and said to be). With --build-only
nothing runs: each program is checked (--expect-pe) and counted as skipped.
"""

import argparse
import json
import mmap
import os
import signal
import struct
import subprocess
import sys

GTEST_MARKER = b"gtest_output"

# --expect-pe: (machine, optional header magic) and how the log names it.
PE_KINDS = {
    "pe32": ((0x14C, 0x10B), "PE32 i386"),
    "pe32+": ((0x8664, 0x20B), "PE32+ x86-64"),
}


def log(msg):
    print(msg, flush=True)


def ctest_info(build_dir):
    out = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build_dir,
                         check=True, stdout=subprocess.PIPE).stdout
    return json.loads(out)


def is_binary(path):
    try:
        with open(path, "rb") as f:
            head = f.read(4)
    except OSError:
        return False
    return head == b"\x7fELF" or head[:2] == b"MZ"


def is_gtest(path):
    with open(path, "rb") as f, mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) as data:
        return data.find(GTEST_MARKER) >= 0


def pe_kind(path):
    """(machine, optional header magic) of a PE file, or None."""
    with open(path, "rb") as f:
        if f.read(2) != b"MZ":
            return None
        f.seek(0x3C)
        (offset,) = struct.unpack("<I", f.read(4))
        f.seek(offset)
        header = f.read(26)
    if len(header) < 26 or header[:4] != b"PE\0\0":
        return None
    (machine,) = struct.unpack_from("<H", header, 4)
    (magic,) = struct.unpack_from("<H", header, 24)
    return machine, magic


def run(cmd, cwd, timeout, capture=False):
    """(exit code or None when the run hit the timeout, captured output)."""
    proc = subprocess.Popen(cmd, cwd=cwd, start_new_session=True,
                            stdout=subprocess.PIPE if capture else None,
                            stderr=subprocess.STDOUT if capture else None)
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return None, out


def describe_exit(code):
    if code is None:
        return "timed out"
    if code < 0:
        try:
            return "killed by " + signal.Signals(-code).name
        except ValueError:
            return f"killed by signal {-code}"
    return f"exit code {code}"


def count_cases(report):
    passed, failed, skipped, failed_names = 0, 0, 0, []
    for suite in report.get("testsuites", []):
        for case in suite.get("testsuite", []):
            if case.get("status") != "RUN" or case.get("result") == "SUPPRESSED":
                continue  # disabled or filtered out
            name = f'{suite.get("name")}.{case.get("name")}'
            if case.get("failures"):
                failed += 1
                failed_names.append(name)
            elif case.get("result") == "SKIPPED":
                skipped += 1
            else:
                passed += 1
    return passed, failed, skipped, failed_names


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--name", required=True)
    ap.add_argument("--build-dir", required=True)
    ap.add_argument("--counts", required=True)
    ap.add_argument("--expect-pe", choices=sorted(PE_KINDS),
                    help="every test executable must be a PE of this kind (pe32: 32-bit x86,"
                    " pe32+: x86-64) run through an emulator (wine)")
    ap.add_argument("--gtest-filter", default="",
                    help="run only the GoogleTest cases this filter selects")
    ap.add_argument("--build-only", action="store_true",
                    help="check what was built but run nothing: every program counts as skipped")
    ap.add_argument("--failures",
                    help="file to which the names of the failed tests are written")
    ap.add_argument("--timeout", type=float,
                    default=float(os.environ.get("QUARRO_TEST_TIMEOUT", "600")),
                    help="seconds before a hung test executable is killed")
    opts = ap.parse_args()
    name = opts.name
    build_dir = os.path.abspath(opts.build_dir)
    results_dir = os.path.join(build_dir, "test-results")
    os.makedirs(results_dir, exist_ok=True)

    passed = failed = skipped = 0
    failures = []

    def fail(msg):
        nonlocal failed
        failed += 1
        failures.append(msg)
        log(f"{name}: FAILED: {msg}")

    tests = ctest_info(build_dir).get("tests", [])
    if not tests:
        fail("the build registers no tests")

    # Group the CTest entries: one run per GoogleTest executable. A per-case
    # filter (as gtest_discover_tests writes) is dropped, so the run covers all.
    gtest_runs = {}
    other_tests = []
    for number, test in enumerate(tests, start=1):
        command = test.get("command") or []
        props = {p["name"]: p["value"] for p in test.get("properties", [])}
        cwd = props.get("WORKING_DIRECTORY", build_dir)
        exe_at = next((i for i, arg in enumerate(command) if is_binary(arg)), None)
        if exe_at is None:
            fail(f'test {test["name"]}: no executable found in {command or "(nothing built)"}')
            continue
        prefix, exe = command[:exe_at], command[exe_at]
        args = [a for a in command[exe_at + 1:] if not a.startswith("--gtest_filter=")]
        if opts.expect_pe:
            kind = pe_kind(exe)
            wanted_kind, kind_name = PE_KINDS[opts.expect_pe]
            if kind != wanted_kind:
                fail(f"{exe} is not a {kind_name} (machine/magic: {kind})")
                continue
            if not prefix:
                fail(f"{exe} is not run through an emulator (wine)")
                continue
        if is_gtest(exe):
            gtest_runs.setdefault((tuple(prefix), exe, tuple(args), cwd), test["name"])
        else:
            other_tests.append((number, test["name"]))

    used_names = set()
    for (prefix, exe, args, cwd), test_name in gtest_runs.items():
        stem = os.path.basename(exe)
        report_name = stem
        while report_name in used_names:
            report_name += "_"
        used_names.add(report_name)
        if opts.build_only:
            log(f"{name}: {stem}: built, not run")
            skipped += 1
            continue
        report_path = os.path.join(results_dir, report_name + ".json")
        if os.path.exists(report_path):
            os.remove(report_path)
        # Relative, so that it also means the same file to a program under wine.
        output_arg = "--gtest_output=json:" + os.path.relpath(report_path, cwd)
        cmd = list(prefix) + [exe] + list(args) + ["--gtest_brief=1", output_arg]
        if opts.gtest_filter:
            cmd.append("--gtest_filter=" + opts.gtest_filter)
        if opts.expect_pe:
            runner = os.path.basename(prefix[0])
            log(f"{name}: {stem}: {PE_KINDS[opts.expect_pe][1]}, running under {runner}")
        else:
            log(f"{name}: {stem}")
        code, _ = run(cmd, cwd, opts.timeout)
        if not os.path.exists(report_path):
            fail(f"{stem} wrote no test report ({describe_exit(code)}): crashed?")
            continue
        with open(report_path) as f:
            p, f_, s, failed_names = count_cases(json.load(f))
        passed += p
        failed += f_
        skipped += s
        for case in failed_names:
            log(f"{name}: {stem}: FAILED {case}")
            failures.append(f"{stem}: {case}")
        if code != 0 and f_ == 0:
            fail(f"{stem}: {describe_exit(code)} although no test case failed"
                 " (a sanitizer report at exit, or a test suite set-up failure?)")

    if opts.build_only and other_tests:
        log(f"{name}: not run: " + ", ".join(t for _, t in other_tests))
        skipped += len(other_tests)
        other_tests = []
    if opts.gtest_filter and other_tests:
        log(f"{name}: left out with a test filter: " + ", ".join(t for _, t in other_tests))
        other_tests = []
    for number, test_name in other_tests:
        log(f"{name}: {test_name}")
        code, out = run(["ctest", "--output-on-failure", "--timeout", str(int(opts.timeout)),
                         "-I", f"{number},{number}"], build_dir, opts.timeout + 60, capture=True)
        if code == 0:
            passed += 1
        else:
            sys.stdout.write(out.decode(errors="replace"))
            fail(f"test {test_name} (ctest {describe_exit(code)})")

    summary = f"{name}: {passed} passed, {failed} failed"
    if skipped:
        summary += f" ({skipped} skipped)"
    log(summary)
    with open(opts.counts, "w") as f:
        f.write(f"{passed} {failed} {skipped}\n")
    if opts.failures:
        with open(opts.failures, "w") as f:
            for failure in failures:
                f.write(f"{name}: {failure}\n")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
