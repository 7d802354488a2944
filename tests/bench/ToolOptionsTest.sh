#!/usr/bin/env bash
# The tools of bench/ answer --help with their usage and refuse an unknown
# option, and neither writes a file: each runs in an empty folder that must
# stay empty.
# Usage: ToolOptionsTest.sh RENDER_SNAPSHOT DECIMATE_MESH BENCH_VOLUME_RENDER BENCH_DICOM BENCH_VOLUME
#        FRAGMENT_MEMORY BENCH_HUGE_PAGES
set -euo pipefail
snapshot="$1" decimate="$2" volume_render="$3" dicom="$4" volume="$5" fragment="$6" huge_pages="$7"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

failures=0
# check WANT_RC WANT_TEXT PROGRAM ARGS...: status WANT_RC ("nonzero" for any
# but 0), WANT_TEXT in what it prints, nothing left in the folder.
check() {
  local want_rc="$1" text="$2" rc=0
  shift 2
  local work="$tmp/work"
  rm -rf "$work"
  mkdir "$work"
  (cd "$work" && "$@") >"$tmp/out" 2>&1 </dev/null || rc=$?
  local what
  what="$(basename "$1")"
  if [ $# -gt 1 ]; then what+="$(printf ' %q' "${@:2}")"; fi
  if { [ "$want_rc" = nonzero ] && [ "$rc" -eq 0 ]; } || { [ "$want_rc" != nonzero ] && [ "$rc" -ne "$want_rc" ]; }; then
    echo "FAIL: $what: status $rc, want $want_rc"
    failures=$((failures + 1))
  fi
  if ! grep -qF -- "$text" "$tmp/out"; then
    echo "FAIL: $what: no \"$text\" in:"
    sed 's/^/    /' "$tmp/out"
    failures=$((failures + 1))
  fi
  if [ -n "$(ls -A "$work")" ]; then
    echo "FAIL: $what wrote $(ls -A "$work" | tr '\n' ' ')"
    failures=$((failures + 1))
  fi
}

check 0 "usage:" "$snapshot" --help
check 0 "usage:" "$snapshot" out.png -h
check 2 "unknown option --bogus" "$snapshot" out.png --bogus
check 2 "bad value in --mode" "$snapshot" out.png --mode
check 2 "unknown option --eyes=1,2,3" "$snapshot" --eyes=1,2,3 out.png
check 2 "no output file" "$snapshot" --mode=4
check 2 "no output file" "$snapshot"
check 2 "bad value in --size=800" "$snapshot" out.png --size=800
check 2 "bad value in --mode=5" "$snapshot" out.png --mode=5
check 2 "bad value in --raw=box.raw" "$snapshot" out.png --raw=box.raw
check 2 "one output file only" "$snapshot" out.png other.png

check 0 "usage:" "$decimate" --help
check 0 "usage:" "$decimate" torus --help
check 2 "unknown option --out" "$decimate" torus --out
check 2 "usage:" "$decimate" run v.raw i.raw ten out

# Refused before it takes any memory.
check 0 "usage:" "$fragment" --help
check 2 "unknown option --bogus" "$fragment" --floor=512 --bogus
check 2 "bad value in --floor=lots" "$fragment" --floor=lots
check 2 "bad value in --cap=" "$fragment" --cap=

# Google Benchmark's own flags; the renderer benchmark's modes beside them.
check 0 "--compare" "$volume_render" --help
check 0 "benchmark_filter" "$volume_render" --help
check 2 "--serve and --compare go alone" "$volume_render" --whole
check 2 "bad value in --compare=0" "$volume_render" --compare=0
check nonzero "unrecognized command-line flag: --bogus" "$volume_render" --bogus --benchmark_filter=none
check nonzero "unrecognized command-line flag: --bogus" "$dicom" --bogus --benchmark_filter=none
check nonzero "unrecognized command-line flag: --bogus" "$volume" --bogus --benchmark_filter=none
check nonzero "unrecognized command-line flag: --bogus" "$huge_pages" --bogus --benchmark_filter=none

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "every tool answers --help and refuses unknown options without writing"
