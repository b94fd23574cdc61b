#!/usr/bin/env bash
# The Slurm recipe (examples/batch/slurm_array.sbatch) on a one-node cluster
# started here on localhost (munge and Slurm's two daemons, in a scratch
# folder, stopped at the end): a job array of three shards leaves the same
# files and summary lines as one unsharded run. Skipped (exit 77) with the
# reason when the daemons are not installed or cannot run on this machine.
set -euo pipefail
bin=$1
examples=$2
skip() { echo "skipped: $*"; exit 77; }
for tool in munged slurmctld slurmd sbatch sinfo; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (Debian: slurm-wlm, munge)"
done
[ "$(id -u)" -eq 0 ] || skip "the daemons of a one-node cluster need root here"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
logs() { tail -n 5 "$work"/*.log 2>/dev/null | sed 's/^/  /'; }

# munge with a key of its own
dd if=/dev/urandom of="$work/munge.key" bs=1024 count=1 status=none
chmod 400 "$work/munge.key"
munged --foreground --force --socket="$work/munge.sock" --key-file="$work/munge.key" \
  --pid-file="$work/munged.pid" --log-file="$work/munged.log" --seed-file="$work/munge.seed" &
pids+=($!)

host=$(hostname)
port=$((20000 + RANDOM % 20000))
mkdir -p "$work/state" "$work/spool"
export SLURM_CONF=$work/slurm.conf
cat >"$SLURM_CONF" <<CONF
ClusterName=sensortest
SlurmctldHost=$host(127.0.0.1)
SlurmUser=root
SlurmdUser=root
SlurmctldPort=$port
SlurmdPort=$((port + 1))
AuthType=auth/munge
AuthInfo=socket=$work/munge.sock
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=batch Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
for i in $(seq 50); do [ -S "$work/munge.sock" ] && break; sleep 0.1; done
[ -S "$work/munge.sock" ] || { logs; skip "munged did not start"; }
slurmctld -D -i -f "$SLURM_CONF" >>"$work/slurmctld.log" 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" >>"$work/slurmd.log" 2>&1 &
pids+=($!)
idle=
for i in $(seq 60); do
  if sinfo -h -o '%t' 2>/dev/null | grep -q idle; then idle=yes; break; fi
  sleep 0.5
done
[ -n "$idle" ] || { logs; skip "the one-node cluster did not come up within 30 s"; }

side=$work/side
setup() { rm -rf "$side"; mkdir -p "$side"; cp -r "$examples"/{images,waferonrun,glazetrun,ostrelrun,batch} "$side/"; }
lines() { sed -E 's/,"wall":[^,}]*//' "$@" | sort -t: -k2,2n; }

setup
(cd "$side" && "$bin/sensorbatch" -Jobs batch/jobs.txt -Summary one.jsonl) || true
lines "$side/one.jsonl" >"$work/one.lines"
rm "$side/one.jsonl"
mv "$side" "$work/one"

setup
(cd "$side" && SENSORBATCH=$bin/sensorbatch timeout 120 sbatch --wait --array=1-3 \
  --output="$work/task-%a.log" batch/slurm_array.sbatch batch/jobs.txt shard >/dev/null) || true
for i in 1 2 3; do
  [ -s "$side/shard-$i.jsonl" ] || { logs; tail -n 5 "$work"/task-*.log; echo "no summary of task $i"; exit 1; }
done
lines "$side"/shard-*.jsonl >"$work/shards.lines"
rm "$side"/shard-*.jsonl
mv "$side" "$work/shards"

find "$work/one" "$work/shards" -name '*.txt' -exec sed -i '/^calc time=/d' {} +
diff -r "$work/one" "$work/shards"
diff "$work/one.lines" "$work/shards.lines"
echo "a Slurm job array of three shards equals one run"
