#!/bin/bash
# SPDX-License-Identifier: MIT
# The README's Slurm job array and GNU parallel line, run for real: a
# one-node Slurm cluster started in a scratch folder (munged, slurmctld,
# slurmd, all as root on free ports), a 3-task job array of
# `psn --files-from LIST --shard K/3`, and the same list through GNU parallel;
# both must write exactly the files a serial run writes. Skips (status 77),
# saying why, where the cluster cannot be started.
#
#   slurm_job_array_test.sh TREMORLINE_CLI SAMPLE_TRACE README
set -u

CLI=$1
SAMPLE=$2
README=$3

skip() {
    echo "SKIPPED: $*"
    exit 77
}
fail() {
    echo "FAILED: $*"
    exit 1
}

[ "$(id -u)" -eq 0 ] || skip "the one-node cluster runs its daemons as root; this is not root"
for tool in munged slurmctld slurmd sbatch scontrol parallel /usr/bin/python3; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/setup.sh installs it)"
done

WORK=$(mktemp -d /tmp/tremorline-slurm.XXXXXX)
chmod 0755 "$WORK"  # munged wants its socket folder reachable by all
PIDS=()
cleanup() {
    for pidfile in "$WORK"/slurmd.pid "$WORK"/slurmctld.pid "$WORK"/munged.pid; do
        [ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

# The README's job script and parallel line, between their markers.
extract() {
    sed -n "/<!-- $1 -->/,/<!-- end -->/p" "$README" | sed '1,2d;$d' | sed '$d'
}
extract slurm-job-array >"$WORK/job.sh"
extract gnu-parallel >"$WORK/parallel.sh"
grep -q "shard" "$WORK/job.sh" || fail "no job script found in $README"
grep -q "parallel" "$WORK/parallel.sh" || fail "no GNU parallel line found in $README"

# Five traces with distinct stations, so five distinct PSN names.
mkdir -p "$WORK/traces" "$WORK/serial" "$WORK/out" "$WORK/par"
for station in COLA COLB COLC COLD COLE; do
    trace="$WORK/traces/$station trace.sac"
    cp "$SAMPLE" "$trace"
    printf '%-8s' "$station" | dd of="$trace" bs=1 seek=440 conv=notrunc status=none
    printf '%s\n' "$trace" >>"$WORK/list.txt"
done
"$CLI" psn --files-from "$WORK/list.txt" --output-dir "$WORK/serial" >/dev/null ||
    fail "the serial run failed"
[ "$(ls "$WORK/serial" | wc -l)" -eq 5 ] || fail "the serial run did not write five files"

free_port() {
    /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
HOST=$(hostname -s)
dd if=/dev/urandom of="$WORK/munge.key" bs=1024 count=1 status=none
chmod 0400 "$WORK/munge.key"
munged --key-file="$WORK/munge.key" --socket="$WORK/munge.socket" \
    --pid-file="$WORK/munged.pid" --log-file="$WORK/munged.log" --seed-file="$WORK/munge.seed" ||
    skip "munged does not start: $(tail -n 3 "$WORK/munged.log" 2>/dev/null)"

mkdir -p "$WORK/state" "$WORK/spool"
cat >"$WORK/slurm.conf" <<CONF
ClusterName=tremorline-test
SlurmctldHost=$HOST(127.0.0.1)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$WORK/munge.socket
CredType=cred/munge
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
StateSaveLocation=$WORK/state
SlurmdSpoolDir=$WORK/spool
SlurmctldPidFile=$WORK/slurmctld.pid
SlurmdPidFile=$WORK/slurmd.pid
SlurmctldLogFile=$WORK/slurmctld.log
SlurmdLogFile=$WORK/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
NodeName=$HOST NodeAddr=127.0.0.1 CPUs=2 RealMemory=2000 State=UNKNOWN
PartitionName=batch Nodes=$HOST Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$WORK/slurm.conf"
slurmctld -f "$SLURM_CONF" || skip "slurmctld does not start: $(tail -n 3 "$WORK/slurmctld.log")"
slurmd -f "$SLURM_CONF" || skip "slurmd does not start: $(tail -n 3 "$WORK/slurmd.log")"
# The controller answers once it is up; give it 30 s.
timeout 30 sh -c 'until scontrol ping 2>/dev/null | grep -q UP; do sleep 0.2; done' ||
    skip "the controller does not answer: $(tail -n 3 "$WORK/slurmctld.log")"

# The job script as the README gives it, with the list and folder of this run.
cd "$WORK" || fail "no scratch folder"
export PATH="$(dirname "$CLI"):$PATH"
export LIST="$WORK/list.txt" OUT="$WORK/out"
timeout 120 sbatch --wait --array=0-2 --output="$WORK/task-%a.log" --export=ALL "$WORK/job.sh" \
    >"$WORK/sbatch.log" 2>&1 ||
    fail "the job array failed: $(cat "$WORK/sbatch.log" "$WORK"/task-*.log 2>/dev/null)"
diff -r "$WORK/serial" "$WORK/out" || fail "the job array did not write what the serial run writes"
echo "job array: 3 tasks wrote the serial run's $(ls "$WORK/out" | wc -l) files"

OUT="$WORK/par"
(. "$WORK/parallel.sh") >"$WORK/parallel.log" 2>&1 || fail "the GNU parallel line failed: $(cat "$WORK/parallel.log")"
diff -r "$WORK/serial" "$WORK/par" || fail "GNU parallel did not write what the serial run writes"
echo "GNU parallel: wrote the serial run's $(ls "$WORK/par" | wc -l) files"
