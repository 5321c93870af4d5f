#!/usr/bin/env bash
# Five 60 s 720x480 MJPEG clips with stereo sound joined by four 1 s
# dissolves, written as 640x480 MJPEG with PCM sound (7,400 frames, 296 s).
# See peers.sh.
#
#   bench/side_by_side_five_clips.sh [BUILD_DIR] [RUNS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/peers.sh"
bench_init "$@"
dissolve_job 60 0 "30.50:33 59.50:30 89.50:33 118.50:30 150.50:33 236.50:30 270.50:33" \
  "5 x 60 s 720x480 MJPEG + stereo, 4 dissolves of 1 s, 640x480 MJPEG out" \
  testsrc smptebars testsrc2 rgbtestsrc smptehdbars
