#!/usr/bin/env bash
# The four side-by-side jobs (copied frames, dissolve, blur, five clips), each
# on every processor of the machine and then on two (taskset -c 0,1 for every
# peer), one after the other: the table of wall time, processor time and peak
# memory against ffmpeg, ges-launch-1.0 and melt where they are installed.
#
#   bench/side_by_side_all.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
for cores in "" 0,1; do
  for job in side_by_side side_by_side_dissolve side_by_side_blur side_by_side_five_clips; do
    BENCH_CORES=$cores "$here/$job.sh" "$@"
    echo
  done
done
