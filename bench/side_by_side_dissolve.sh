#!/usr/bin/env bash
# Two 10 s 720x480 MJPEG clips with stereo sound, a 1 s dissolve, written as
# 640x480 MJPEG with PCM sound (475 frames): every frame is scaled, so none is
# copied. sprocket-render against ffmpeg and melt; see peers.sh.
#
#   bench/side_by_side_dissolve.sh [BUILD_DIR] [RUNS]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/peers.sh"
bench_init "$@"
dissolve_job 10 0 "2.50:33 9.50:30 15.50:33" \
  "2 x 10 s 720x480 MJPEG + stereo, 1 s dissolve, 640x480 MJPEG out" testsrc smptebars
