#!/usr/bin/env bash
# The side-by-side job: two 10 s 720x480 25 fps MJPEG clips with stereo sound,
# a 1 s cross dissolve from the first into the second, written as an MJPEG AVI
# with PCM sound (475 frames, 19 s). Times sprocket-render against ffmpeg
# (xfade + acrossfade, default threads and one thread) and melt (when it is
# installed) in one run; checks that each wrote the same movie, then prints
# wall times, peak memory and the ratios.
#
#   bench/side_by_side.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds src/cli/sprocket-render (default: build/, built when
# missing). Each tool runs RUNS times (default 3); the medians are compared.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/peers.sh"
bench_init "$@"

make_clip clipA.avi testsrc 440 10
make_clip clipB.avi smptebars 660 10

# The timeline: clip A on video track 1, clip B on video track 3 from 9 s,
# the dissolve on the transition track between them; the clips' sounds
# cross-fade where they overlap.
cat > side.tle <<'TLE'
{
  "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 19000,
  "movieRange": [0, 19000], "previewRange": [0, 19000],
  "tracks": [
    { "type": "V", "number": 1, "clips": [
      { "in": 0, "out": 10000, "file": "clipA.avi", "playIn": 0, "playOut": 10000 } ] },
    { "type": "X", "number": 2, "clips": [
      { "in": 9000, "out": 10000, "transition": 1, "filters": [ { "id": 1, "params": [] } ] } ] },
    { "type": "V", "number": 3, "clips": [
      { "in": 9000, "out": 19000, "file": "clipB.avi", "playIn": 0, "playOut": 10000 } ] }
  ]
}
TLE
write_config 720 480
write_melt_profile 720 480 3 2

FG='[0:v][1:v]xfade=transition=fade:duration=1:offset=9[v];[0:a][1:a]acrossfade=d=1[a]'
OUT=(-c:v mjpeg -q:v 3 -pix_fmt yuvj422p -c:a pcm_s16le)
run_peer sprocket-render sprocket.avi "$render" side.tle --out "$work/sprocket.avi" --config "$work/config" --yes
run_peer ffmpeg ffmpeg.avi "${FFMPEG[@]}" -i clipA.avi -i clipB.avi -filter_complex "$FG" -map '[v]' -map '[a]' \
  "${OUT[@]}" ffmpeg.avi
run_peer "ffmpeg, one thread" ffmpeg1.avi "${FFMPEG[@]}" -threads 1 -filter_threads 1 -filter_complex_threads 1 \
  -i clipA.avi -threads 1 -i clipB.avi -filter_complex "$FG" -map '[v]' -map '[a]' -threads 1 "${OUT[@]}" ffmpeg1.avi
# real_time=-1: every frame, on all cores (melt drops frames by default).
if ((have_melt)); then
  run_peer melt melt.avi melt -silent -profile ./profile clipA.avi clipB.avi -mix 25 -mixer luma -mixer mix:-1 \
    -consumer avformat:melt.avi vcodec=mjpeg qscale=3 pix_fmt=yuvj422p color_range=jpeg acodec=pcm_s16le real_time=-1
fi

run_ges_peer 720 480 10 clipA.avi clipB.avi

# Frames of each clip and the middle of the dissolve against sprocket-render's.
check_movies 475 912000 2.50:33 9.50:30 15.50:33
check_source_quality 4.00 clipA.avi 4.00 38
report "side-by-side job: 2 x 10 s 720x480 25 fps MJPEG + stereo, 1 s dissolve, MJPEG AVI out"
