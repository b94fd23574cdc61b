#!/usr/bin/env bash
# sensorbatch stopped and resumed: SIGINT amid slow jobs ends it with 130 once
# the running jobs are done, with no worker left, no half-written file and a
# summary and page of the jobs done; the same command with -Resume runs only
# the rest and ends with the summary of an uninterrupted run (times aside), as
# does the job file read from standard input. A second signal ends a hanging
# job at once, and the first signal names the exit code (SIGTERM: 143). The
# scores of the defect list and the report read back as the same numbers,
# written no longer than needed.
set -euo pipefail
bin=$1
examples=$2
faults=$3  # job_faults.cpp: a left margin of 9xx makes an Ostrel job slow
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
side=$work/side  # every run at this one path, so that the summaries compare

fail() { echo "$*"; exit 1; }

setup() {
  rm -rf "$side"
  mkdir -p "$side/install" "$side/station/out"
  cp -P "$bin"/{Waferonrun,Glazetrun,Ostrelrun,sensorbatch} "$bin"/lib{Waferon,Glazet,Ostrel}.so* \
    "$side/install/"
  cp -r "$examples"/{images,waferonrun,glazetrun} "$side/station/"
  cat >"$side/station/jobs.txt"
}

O='-BayerMode -BitsUsage 10,10 -BayerOutliers 908,0,0,0'
W='-TestSettings waferonrun/settings.ini -TestLimits waferonrun/limits.txt'
jobs=$(cat <<JOBS
Ostrelrun -BMPFileIn images/clean_bayer.bmp $O -OutputFile out/1.txt
Waferonrun -BMPFileIn images/defective_bayer.bmp $W -OutputFile out/2.txt -OutputFolder out/2 -Report out/2.json -DefectList out/2.csv
Ostrelrun -BMPFileIn images/dim_bayer.bmp $O -OutputFile out/3.txt
Glazetrun -BMPFileIn images/defective_bayer.bmp -TestSettings glazetrun/settings.ini -OutputFile out/4.txt -OutputFolder out/4
Ostrelrun -BMPFileIn images/clean_bayer.bmp $O -OutputFile out/5.txt
Ostrelrun -BMPFileIn images/dim_bayer.bmp $O -OutputFile out/6.txt
Ostrelrun -BMPFileIn images/defective_bayer.bmp $O -OutputFile out/7.txt -Report out/7.json
Ostrelrun -BMPFileIn images/clean_bayer.bmp $O -OutputFile out/8.txt
JOBS
)
batch() { (cd "$side/station" && LD_PRELOAD=$faults ../install/sensorbatch "$@"); }
set -m  # background batches keep SIGINT (a script's background jobs would ignore it)
masked() { sed -e 's/"wall":[^,}]*//' "$1"; }

# Uninterrupted.
setup <<<"$jobs"
batch -Jobs jobs.txt -Workers 2 -Summary ../s.jsonl -ReportPage ../p.html && whole=0 || whole=$?
[ "$whole" -eq 1 ] || fail "the uninterrupted batch exited $whole, not 1"
/usr/bin/python3 - "$side/station/out/2.csv" "$side/station/out/2.json" <<'PY' || fail "scores"
import csv, json, sys
def digits(text):  # significant digits of a decimal
    mantissa = text.lower().split("e")[0].lstrip("-").replace(".", "").lstrip("0")
    return len(mantissa.rstrip("0")) or 1
scores = [row["score"] for row in csv.DictReader(open(sys.argv[1]))]
report = json.load(open(sys.argv[2]), parse_float=lambda s: s, parse_int=lambda s: s)
scores += [c["score"] for c in report["findings"]["pixelDefects"]["candidates"]]
assert len(scores) > 10, scores
for s in scores:
    assert digits(s) <= digits(repr(float(s))), f"{s} is longer than {float(s)!r}"
PY
[ ! -e "$side/station/out/4/pkgdfects.bmp" ] || fail "a batch job kept Glazet's map bitmap unasked"
mv "$side" "$work/whole"

# SIGINT once two jobs are in the summary.
setup <<<"$jobs"
(cd "$side/station" && LD_PRELOAD=$faults exec ../install/sensorbatch -Jobs jobs.txt -Workers 2 \
  -Summary ../s.jsonl -ReportPage ../p.html 2>"$work/stop.err") &
pid=$!
for _ in $(seq 200); do
  [ "$(cat "$side/s.jsonl.partial" 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.1
done
workers=$(ps -o pid= --ppid "$pid" || true)
[ -n "$workers" ] || fail "no worker running when the signal was sent"
kill -INT "$pid"
wait "$pid" && code=0 || code=$?
[ "$code" -eq 130 ] || fail "the batch stopped by SIGINT exited $code: $(cat "$work/stop.err")"
for worker in $workers; do
  ! kill -0 "$worker" 2>/dev/null || fail "worker $worker outlived the batch"
done
done_lines=$(wc -l <"$side/s.jsonl")
((done_lines >= 2 && done_lines < 8)) || fail "$done_lines summary lines after the stop"
[ -z "$(find "$side" -name '*.partial')" ] || fail "partial files left: $(find "$side" -name '*.partial')"
grep -q 'Resume' "$work/stop.err" || fail "no word on how to go on: $(cat "$work/stop.err")"
tail -n1 "$side/p.html" | grep -qx '</html>' || fail "the page is not whole"
[ "$(grep -c '<tr data-line=' "$side/p.html")" -eq "$done_lines" ] || fail "the page's rows"
while IFS= read -r line; do  # every job in the summary left its status file whole
  n=$(sed 's/^{"line":\([0-9]*\),.*/\1/' <<<"$line")
  grep -q '^ReturnCode=' "$side/station/out/$n.txt" || fail "job $n's status file"
done <"$side/s.jsonl"
first_status=$(stat -c %y "$side/station/out/1.txt")

batch -Jobs jobs.txt -Workers 2 -Summary ../s.jsonl -ReportPage ../p.html -Resume && code=0 || code=$?
[ "$code" -eq "$whole" ] || fail "the resumed batch exited $code"
diff <(masked "$work/whole/s.jsonl") <(masked "$side/s.jsonl") || fail "resumed summary differs"
diff "$work/whole/p.html" "$side/p.html" || fail "resumed page differs"
[ "$(stat -c %y "$side/station/out/1.txt")" = "$first_status" ] || fail "a job done was run again"

batch -Jobs jobs.txt -Resume 2>"$work/refused.err" && code=0 || code=$?
[ "$code" -eq 2 ] && grep -q -- '-Resume .*-Summary' "$work/refused.err" ||
  fail "-Resume without a summary: exit $code, $(cat "$work/refused.err")"

# The job file on standard input.
setup <<<"$jobs"
(cd "$side/station" && LD_PRELOAD=$faults ../install/sensorbatch -Jobs - -Workers 2 \
  -Summary ../s.jsonl <jobs.txt) && code=0 || code=$?
[ "$code" -eq "$whole" ] || fail "the batch of standard input exited $code"
diff <(masked "$work/whole/s.jsonl") <(masked "$side/s.jsonl") || fail "standard input's summary differs"

# A hanging job: SIGTERM waits for it, a second signal ends it.
setup <<'JOBS'
Ostrelrun -BMPFileIn images/clean_bayer.bmp -OutputFile out/1.txt
Ostrelrun -BMPFileIn images/dim_bayer.bmp -BayerOutliers 902,0,0,0 -OutputFile out/2.txt
JOBS
(cd "$side/station" && SENSOR_TEST_HANG_MARKER=$side/hanging LD_PRELOAD=$faults \
  exec ../install/sensorbatch -Jobs jobs.txt -Workers 1 -Summary ../s.jsonl 2>/dev/null) &
pid=$!
# The second job has started (and hangs) when its marker is there.
for _ in $(seq 600); do
  [ -e "$side/hanging" ] && break
  sleep 0.1
done
kill -TERM "$pid"
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "the batch did not wait for its running job"
start=$SECONDS
kill -INT "$pid"
wait "$pid" && code=0 || code=$?
[ "$code" -eq 143 ] || fail "the batch stopped by SIGTERM exited $code"
((SECONDS - start < 10)) || fail "the second signal did not end the batch"
[ "$(grep -c . "$side/s.jsonl")" -eq 1 ] || fail "summary after two signals: $(cat "$side/s.jsonl")"
echo "stopped batches end whole and resume to the uninterrupted summary"
