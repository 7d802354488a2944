#!/usr/bin/env bash
# CI's sanitizer run re-runs a test only when LeakSanitizer's tracer died at
# its exit after it passed, at most twice, says how many it re-ran, and
# fails on every other failure. The CI script runs in a scratch tree whose
# scripts/test plays back ctest's results, run by run.
# Usage: TracerRerunTest.sh SOURCE_DIR
set -euo pipefail
src="$1"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
tree="$tmp/tree"
mkdir -p "$tree/.ci" "$tree/scripts"
cp "$src/.ci/test_rerunning_tracer_crashes" "$src/.ci/tracer_crashes.py" "$tree/.ci/"
# Run n copies $PLAN/n.xml (when there is one) to the --output-junit path,
# records its arguments in $PLAN/n.args and exits with $PLAN/n.rc.
cat >"$tree/scripts/test" <<'STUB'
#!/usr/bin/env bash
n=$(( $(cat "$PLAN/count" 2>/dev/null || echo 0) + 1 ))
echo "$n" >"$PLAN/count"
printf '%s\n' "$@" >"$PLAN/$n.args"
while [ $# -gt 0 ]; do
  if [ "$1" = --output-junit ] && [ -f "$PLAN/$n.xml" ]; then cp "$PLAN/$n.xml" "$2"; fi
  shift
done
exit "$(cat "$PLAN/$n.rc" 2>/dev/null || echo 9)"
STUB
chmod +x "$tree/scripts/test"

passed='[  PASSED  ] 1 test.'
tracer="$passed
Tracer caught signal 11: addr=0x0 pc=0x7f0 sp=0x7e0
==4242==LeakSanitizer has encountered a fatal error."
failed='[  FAILED  ] 1 test, listed below:'
failed_tracer="$failed
$tracer"
empty=""

# run RC CASE... : one run's result. A case is NAME:STATUS:OUTPUT-VARIABLE.
runs=0
run() {
  runs=$((runs + 1))
  echo "$1" >"$PLAN/$runs.rc"
  shift
  [ "${1:-}" = none ] && return
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<testsuite name="(empty)">'
    local c name status var
    for c in "$@"; do
      IFS=: read -r name status var <<<"$c"
      echo "<testcase name=\"$name\" classname=\"$name\" status=\"$status\">"
      [ "$status" = fail ] && echo '<failure message=""/>'
      printf '<system-out>%s\n</system-out></testcase>\n' "${!var}"
    done
    echo '</testsuite>'
  } >"$PLAN/$runs.xml"
}

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# expect NAME RC RUNS [TEXT]: the CI script, given the plan written by run,
# ends with RC after RUNS runs of scripts/test and prints TEXT.
expect() {
  local name="$1" want_rc="$2" want_runs="$3" text="${4:-}" rc=0
  (cd "$tree" && BUILD_DIR="$tmp/build" .ci/test_rerunning_tracer_crashes -L pure) >"$PLAN/log" 2>&1 || rc=$?
  local got_runs
  got_runs="$(cat "$PLAN/count" 2>/dev/null || echo 0)"
  if [ "$rc" -ne "$want_rc" ] || [ "$got_runs" -ne "$want_runs" ]; then
    fail "$name: status $rc after $got_runs run(s), want $want_rc after $want_runs"
    sed 's/^/    /' "$PLAN/log"
  fi
  if [ -n "$text" ] && ! grep -qF -- "$text" "$PLAN/log"; then
    fail "$name: no \"$text\" in"
    sed 's/^/    /' "$PLAN/log"
  fi
}

# plan: a fresh, empty plan for the next case.
plan() {
  PLAN="$tmp/plan.$1"
  export PLAN
  mkdir -p "$PLAN" "$tmp/build"
  runs=0
}

plan clean
run 0 A.a:run:passed
expect "all pass" 0 1 "re-runs after LeakSanitizer's tracer crash: 0"

plan once
run 8 A.a:run:passed Gui/B.b/0:fail:tracer
run 0 Gui/B.b/0:run:passed
expect "tracer crash, then a pass" 0 2 "re-runs after LeakSanitizer's tracer crash: 1"
grep -qxF -- '^(Gui/B\.b/0)$' "$PLAN/2.args" || fail "the re-run is not for exactly Gui/B.b/0: $(tr '\n' ' ' <"$PLAN/2.args")"
grep -qxF -- '-L' "$PLAN/2.args" && fail "the re-run took the first run's arguments"

plan twice
run 8 B.b:fail:tracer C.c:fail:tracer
run 8 B.b:run:passed C.c:fail:tracer
run 0 C.c:run:passed
expect "two crashes, one of them twice" 0 3 "re-runs after LeakSanitizer's tracer crash: 3"
grep -qxF -- '^(B\.b|C\.c)$' "$PLAN/2.args" || fail "the first re-run is not for B.b and C.c"
grep -qxF -- '^(C\.c)$' "$PLAN/3.args" || fail "the second re-run is not for C.c alone"

plan thrice
run 8 B.b:fail:tracer
run 8 B.b:fail:tracer
run 8 B.b:fail:tracer
expect "three crashes in a row" 1 3 "three times"

plan plain
run 8 A.a:fail:failed B.b:fail:tracer
expect "a test failure beside a tracer crash" 1 1 "failed: A.a"

plan failed-then-crashed
run 8 B.b:fail:failed_tracer
expect "a failed test whose tracer crashed too" 1 1 "failed: B.b"

plan notrun
run 8 A.a:notrun:passed
expect "a test that did not run" 1 1 "failed: A.a"

plan no-output
run 8 T.timeout:fail:empty
expect "a timeout" 1 1 "failed: T.timeout"

plan rerun-fails
run 8 B.b:fail:tracer
run 8 B.b:fail:failed
expect "a re-run that fails" 1 2 "failed: B.b"

plan build
run 2 none
expect "a build that fails" 2 1 "did not run"

plan silent
run 8 A.a:run:passed
expect "ctest fails with no failed test" 8 1 "no failed test"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "CI re-runs the tracer crashes alone"
