#!/usr/bin/env bash
# sensorbatch against the programs themselves: the same jobs leave the same
# files (calc time aside) and exit codes as the programs run one by one from
# the job file's folder (the files asked for with -Report, -DefectList and
# -DefectMapPNG too, and the reports pass the schema); a crashing and a hanging job are reported as failed
# while every other job keeps its files; texts that are not UTF-8 reach the summary; malformed job files are refused with
# file, line and reason, and no job runs.
set -euo pipefail
bin=$1
examples=$2
faults=$3
schema_check=$4  # validate_report.py
schema=$5        # report.schema.json
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
side=$work/side  # both sides run at this one path, so the status files match

fail() { echo "$*"; exit 1; }

setup() {
  rm -rf "$side"
  mkdir -p "$side/install" "$side/station/out dir"
  cp -P "$bin"/{Waferonrun,Glazetrun,Ostrelrun,sensorbatch} "$bin"/lib{Waferon,Glazet,Ostrel}.so* \
    "$side/install/"
  cp -r "$examples"/{images,waferonrun,glazetrun,ostrelrun} "$side/station/"
  cat >"$side/station/jobs.txt"
}

W='-TestSettings waferonrun/settings.ini -TestLimits waferonrun/limits.txt'
G='-TestSettings glazetrun/settings.ini -TestLimits glazetrun/limits.txt'
O='-TestSettings ostrelrun/settings.ini -TestLimits ostrelrun/limits.txt'
jobs=$(cat <<JOBS
# The station's three tests on one picture, files in a folder of the picture's.
Waferonrun -BMPFileIn images/defective_bayer.bmp $W -OutputFile "out dir/d-w.txt" -OutputFolder "out dir/d" -Report "out dir/d-w.json" -DefectList "out dir/d-w.csv"
Glazetrun -BMPFileIn images/defective_bayer.bmp $G -OutputFile "out dir/d-g.txt" -OutputFolder "out dir/d" -Report "out dir/d-g.json" -DefectMapPNG "out dir/d-g.png" -KeepDefectMap
	Ostrelrun -BMPFileIn images/defective_bayer.bmp $O -OutputFile "out dir/d-o.txt" -OutputFolder "out dir/d" -Report "out dir/d-o.json"
Waferonrun -BMPFileIn images/defective_bayer.bmp $W -OutputFile "out dir/d-w2.txt" -OutputFolder "out dir/d2"

  # Files beside the programs; a bare status file name; no -slave, with -debug.
Glazetrun -BMPFileIn images/dim_bayer.bmp $G -OutputFile dim-g.txt -debug
Ostrelrun -BMPFileIn images/dim_bayer.bmp $O -OutputFile dim-o.txt -LogFile "out dir/dim.csv" -slave
Waferonrun -BMPFileIn images/clean_bayer.bmp $W -OutputFile "out dir/c-w.txt"
Glazetrun -BMPFileIn images/clean_bayer.bmp $G -OutputFile "out dir/c-g.txt"
Waferonrun -BMPFileIn images/dim_bayer.bmp $W -OutputFile "out dir/dim-w.txt"
Glazetrun -BMPFileIn images/missing.bmp $G -OutputFile "out dir/m-g.txt" -OutputFolder "out dir/m"
Ostrelrun $O -OutputFile "out dir/no-picture.txt" -OutputFolder "out dir/m"
JOBS
)

setup <<<"$jobs"
(cd "$side" && install/sensorbatch -Jobs station/jobs.txt -Workers 3 -Summary summary.jsonl) &&
  code=0 || code=$?
[ "$code" -eq 1 ] || fail "the batch exited $code, not 1 (some jobs fail their limits)"
mv "$side" "$work/batch"

setup <<<"$jobs"
exits=()
while IFS= read -r line; do
  [[ "$line" =~ ^[[:space:]]*(#|$) ]] && continue
  line=${line#"${line%%[![:space:]]*}"}
  (cd "$side/station" && eval "\"\$side/install/\"$line" </dev/null >/dev/null) && c=0 || c=$?
  exits+=("$c")
done <"$side/station/jobs.txt"
mv "$side" "$work/programs"

find "$work/batch" "$work/programs" -name '*.txt' -exec sed -i '/^calc time=/d' {} +
# Glazet's map bitmap stays only where the job asked for it (-KeepDefectMap).
[ -e "$work/programs/install/pkgdfects.bmp" ] && [ ! -e "$work/batch/install/pkgdfects.bmp" ] ||
  fail "the batch kept the map bitmap of a job that did not ask for it"
rm "$work/programs/install/pkgdfects.bmp"
mv "$work/batch/summary.jsonl" "$work/summary.jsonl"
diff -r "$work/programs" "$work/batch" || fail "the batch's files differ from the programs'"
[ -e "$work/batch/station/out dir/d/pkgdfects.bmp" ] && [ -e "$work/batch/station/out dir/d/DefectsDump.csv" ] &&
  [ -s "$work/batch/station/out dir/d-w.csv" ] && [ -s "$work/batch/station/out dir/d-g.png" ] ||
  fail "files missing"
python3 "$schema_check" "$schema" "$work/batch/station/out dir/"d-{w,g,o}.json ||
  fail "a report does not pass the schema"
batch_exits=$(grep -o '"exit":[0-9]*' "$work/summary.jsonl" | cut -d: -f2 | tr '\n' ' ')
[ "$batch_exits" = "${exits[*]} " ] || fail "exit codes: batch $batch_exits, programs ${exits[*]}"
[ "$(grep -c . "$work/summary.jsonl")" -eq 11 ] || fail "not one summary line per job"
grep -q '^{"line":2,"program":"Waferonrun","picture":"[^"]*/station/images/defective_bayer.bmp","exit":1,"ReturnCode":-2147467259,"Status":1,' \
  "$work/summary.jsonl" || fail "summary line of job 2: $(head -1 "$work/summary.jsonl")"

# A crash and a hang amid other jobs, the crash inside a group on one picture.
setup <<'JOBS'
Waferonrun -BMPFileIn images/defective_bayer.bmp -OutputFile f/1.txt -OutputFolder f/1
Ostrelrun -BMPFileIn images/defective_bayer.bmp -BayerOutliers 901,0,0,0 -OutputFile f/2.txt -OutputFolder f/2
Glazetrun -BMPFileIn images/defective_bayer.bmp -TestSettings glazetrun/settings.ini -OutputFile f/3.txt -OutputFolder f/3 -KeepDefectMap
Ostrelrun -BMPFileIn images/clean_bayer.bmp -BayerOutliers 902,0,0,0 -OutputFile f/4.txt -OutputFolder f/4
Ostrelrun -BMPFileIn images/clean_bayer.bmp -OutputFile f/5.txt -OutputFolder f/5
JOBS
mkdir "$side/station/f"
start=$SECONDS
(cd "$side/station" && LD_PRELOAD=$faults ../install/sensorbatch -Jobs jobs.txt -Workers 2 \
  -JobTimeout 2 -Summary ../faults.jsonl 2>../faults.err) && code=0 || code=$?
[ "$code" -eq 1 ] || fail "a batch with a crash and a hang exited $code"
(( SECONDS - start < 30 )) || fail "the hanging job was not ended"
summary=$side/faults.jsonl
grep -q '"line":2,.*"exit":null.*"failure":"the run ended on signal 6 (Aborted)' "$summary" ||
  fail "crash not reported: $(cat "$summary")"
grep -q '"line":4,.*"exit":null.*"failure":"no result within the job time limit of 2 s"' \
  "$summary" || fail "hang not reported: $(cat "$summary")"
grep -q 'jobs.txt:2: Ostrelrun: the run ended on signal 6' "$side/faults.err" ||
  fail "no message for the crash"
for n in 1 3 5; do
  grep -q "\"line\":$n,.*\"exit\":0" "$summary" || fail "job $n lost: $(cat "$summary")"
  grep -qx 'ReturnCode=0' "$side/station/f/$n.txt" || fail "job $n left no status file"
done
[ -e "$side/station/f/3/pkgdfects.bmp" ] || fail "the job after the crash left no defect map"

# A job whose reason names a path that is not UTF-8 is reported as the others,
# and the summary and page are written.
setup < <(printf 'Ostrelrun -BMPFileIn images/caf\xe9.bmp -OutputFile o.txt\nOstrelrun -OutputFile p.txt\n')
(cd "$side/station" && ../install/sensorbatch -Jobs jobs.txt -Summary ../latin.jsonl -ReportPage ../latin.html \
  2>../latin.err) && code=0 || code=$?
[ "$code" -eq 1 ] || fail "a batch with a path that is not UTF-8 exited $code: $(cat "$side/latin.err")"
[ "$(grep -c '"class":"ERROR","reason":"picture: ' "$side/latin.jsonl")" -eq 2 ] && [ -s "$side/latin.html" ] ||
  fail "summary or page missing: $(cat "$side/latin.err")"
grep -q "jobs.txt:1: Ostrelrun: picture: .*caf" "$side/latin.err" || fail "no message: $(cat "$side/latin.err")"

# Malformed job files: file, line and reason; exit 2; no job runs.
refused() {  # expected-message
  (cd "$side/station" && ../install/sensorbatch -Jobs jobs.txt 2>../refused.err) && code=0 || code=$?
  [ "$code" -eq 2 ] || fail "a malformed job file exited $code"
  grep -qF "$1" "$side/refused.err" || fail "message: $(cat "$side/refused.err"), wanted: $1"
  [ ! -e "$side/station/never" ] || fail "a job ran from a malformed job file"
}
setup <<'JOBS'
Ostrelrun -OutputFolder never -OutputFile never/s.txt
# fine so far
Foorun -BMPFileIn images/clean_bayer.bmp
JOBS
refused 'jobs.txt:3: "Foorun" is no program (Waferonrun, Glazetrun or Ostrelrun)'
setup <<'JOBS'
Ostrelrun -OutputFolder never -OutputFile never/s.txt
Ostrelrun -OutputFile "never/s 2.txt
JOBS
refused 'jobs.txt:2: a double quote is not closed'
rm "$side/station/jobs.txt"
refused 'jobs.txt: No such file or directory'
echo "batch jobs match the programs; faults isolated; malformed job files refused"
