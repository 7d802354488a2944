#!/usr/bin/env python3
"""Sorts the failed tests of a ctest JUnit file.

LeakSanitizer's tracer now and then dies at a test's exit after the test
itself passed ("Tracer caught signal 11"), a fault of the checker and not of
the program. Such tests are printed, one name a line; any other failure is
printed on stderr and the status is 1.

Usage: tracer_crashes.py JUNIT_FILE
"""
import sys
import xml.etree.ElementTree as ET

TRACER = "Tracer caught signal 11"
LSAN_FATAL = "LeakSanitizer has encountered a fatal error"


def tracer_crash(out):
    # The test's own verdict must be a pass: a test that failed and then
    # lost the tracer as well is a failure.
    return TRACER in out and LSAN_FATAL in out and "[  PASSED  ]" in out and "[  FAILED  ]" not in out


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    try:
        cases = ET.parse(argv[1]).getroot().iter("testcase")
    except (OSError, ET.ParseError) as e:
        print(f"cannot read {argv[1]}: {e}", file=sys.stderr)
        return 1
    others = []
    for case in cases:
        status = case.get("status", "")
        if status in ("run", "disabled", "skipped") and case.find("failure") is None:
            continue
        name = case.get("name", "")
        out = case.findtext("system-out") or ""
        if status == "fail" and tracer_crash(out):
            print(name)
        else:
            others.append(f"{name} ({status})")
    for name in others:
        print(f"failed: {name}", file=sys.stderr)
    return 1 if others else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
