#!/usr/bin/env bash
# The dissolve job of side_by_side_dissolve.sh with a 2-pixel box blur on
# every frame (475 frames of 640x480 MJPEG). See peers.sh.
#
#   bench/side_by_side_blur.sh [BUILD_DIR] [RUNS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/peers.sh"
bench_init "$@"
dissolve_job 10 2 "2.50:30 9.50:30 15.50:30" \
  "2 x 10 s 720x480 MJPEG + stereo, 1 s dissolve, blur on every frame, 640x480 MJPEG out" testsrc smptebars
