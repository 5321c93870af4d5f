#!/usr/bin/env bash
# The side-by-side job: two 10 s 720x480 25 fps MJPEG clips with stereo sound,
# a 1 s cross dissolve from the first into the second, written as an MJPEG AVI
# with PCM sound (475 frames, 19 s). Times sprocket-render against ffmpeg
# (xfade + acrossfade, default threads and one thread) and melt (when it is
# installed) in one run, and prints the ratios.
#
#   bench/side_by_side.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR holds src/cli/sprocket-render (default: build/, built when
# missing). Each tool runs RUNS times (default 3); the medians are compared.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
[[ "$build" = /* ]] || build="$PWD/$build"
runs="${2:-3}"
render="$build/src/cli/sprocket-render"
if [[ ! -x "$render" ]]; then
  "$root/scripts/build.sh" "$build" >/dev/null
fi
command -v ffmpeg >/dev/null || { echo "ffmpeg is needed" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

quiet() { ffmpeg -hide_banner -loglevel error -nostdin -y "$@"; }
quiet -f lavfi -i "testsrc=size=720x480:rate=25:duration=10" -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=10" \
  -c:v mjpeg -q:v 3 -pix_fmt yuvj422p -c:a pcm_s16le -ac 2 clipA.avi
quiet -f lavfi -i "smptebars=size=720x480:rate=25:duration=10" -f lavfi -i "sine=frequency=660:sample_rate=48000:duration=10" \
  -c:v mjpeg -q:v 3 -pix_fmt yuvj422p -c:a pcm_s16le -ac 2 clipB.avi

# The timeline: clip A on video track 1, clip B on video track 3 from 9 s,
# the dissolve on the transition track between them; the clips' sounds
# cross-fade where they overlap.
cat > side.tle <<'EOF'
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
EOF
mkdir -p config temp
# MJPEG at quality 3 (VQuality 9655 maps to it), 16-bit stereo at 48000 Hz.
cat > config/RODUVER.INI <<EOF
[Movie]
VResWidth=720
VResHeight=480
VFramesPerSec=2500
VCompressionType=MJPG
VQuality=9655
VKeyFrame=1
VReserved1=1
ABitsPerSample=16
ASamplesPerSec=48000
AChannels=2
[Temp File Dir]
Dir=$work/temp
EOF
printf 'frame_rate_num=25\nframe_rate_den=1\nwidth=720\nheight=480\nprogressive=1\nsample_aspect_num=1\nsample_aspect_den=1\ndisplay_aspect_num=3\ndisplay_aspect_den=2\ncolorspace=601\n' > p720x480_25

FG='[0:v][1:v]xfade=transition=fade:duration=1:offset=9[v];[0:a][1:a]acrossfade=d=1[a]'
run_sprocket() { "$render" side.tle --out "$work/sprocket.avi" --config "$work/config" --yes 2>/dev/null; }
run_ffmpeg() {
  quiet -i clipA.avi -i clipB.avi -filter_complex "$FG" -map '[v]' -map '[a]' -c:v mjpeg -q:v 3 -pix_fmt yuvj422p \
    -c:a pcm_s16le ffmpeg.avi
}
run_ffmpeg1() {
  quiet -threads 1 -filter_threads 1 -filter_complex_threads 1 -i clipA.avi -threads 1 -i clipB.avi \
    -filter_complex "$FG" -map '[v]' -map '[a]' -threads 1 -c:v mjpeg -q:v 3 -pix_fmt yuvj422p -c:a pcm_s16le ffmpeg1.avi
}
run_melt() {
  melt -silent -profile ./p720x480_25 clipA.avi clipB.avi -mix 25 -mixer luma -mixer mix:-1 \
    -consumer avformat:melt.avi vcodec=mjpeg qscale=3 pix_fmt=yuvj422p acodec=pcm_s16le real_time=-1 >/dev/null 2>&1
}

# The median wall time of `runs` runs of a function, in seconds.
median_time() {
  local fn=$1 times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s.%N)
    "$fn"
    end=$(date +%s.%N)
    times+=("$(echo "$end - $start" | bc -l)")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}

probe() {  # frames and sound sample frames of a movie
  local frames bytes
  frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1")
  bytes=$(ffmpeg -hide_banner -loglevel error -nostdin -i "$1" -map 0:a -f s16le -ac 2 -ar 48000 - | wc -c)
  echo "$frames frames, $((bytes / 4)) sound samples"
}

t_sprocket=$(median_time run_sprocket)
t_ffmpeg=$(median_time run_ffmpeg)
t_ffmpeg1=$(median_time run_ffmpeg1)
t_melt=""
if command -v melt >/dev/null; then t_melt=$(median_time run_melt); fi

echo "side-by-side job: 2 x 10 s 720x480 25 fps MJPEG + stereo, 1 s dissolve, MJPEG AVI out; median of $runs runs"
printf '  %-22s %7.3f s  (%s)\n' "sprocket-render" "$t_sprocket" "$(probe sprocket.avi)"
printf '  %-22s %7.3f s  (%s)\n' "ffmpeg" "$t_ffmpeg" "$(probe ffmpeg.avi)"
printf '  %-22s %7.3f s  (%s)\n' "ffmpeg, one thread" "$t_ffmpeg1" "$(probe ffmpeg1.avi)"
if [[ -n "$t_melt" ]]; then
  printf '  %-22s %7.3f s  (%s)\n' "melt" "$t_melt" "$(probe melt.avi)"
else
  echo "  melt                   not installed: skipped"
fi
echo "ratios (sprocket-render / other):"
printf '  / ffmpeg              %6.2f\n' "$(echo "$t_sprocket / $t_ffmpeg" | bc -l)"
printf '  / ffmpeg, one thread  %6.2f\n' "$(echo "$t_sprocket / $t_ffmpeg1" | bc -l)"
[[ -n "$t_melt" ]] && printf '  / melt                %6.2f\n' "$(echo "$t_sprocket / $t_melt" | bc -l)"
# Picture quality: a frame outside the dissolve against the source clip's
# frame, and the middle of the dissolve against ffmpeg's.
frame_at() { ffmpeg -hide_banner -loglevel error -nostdin -y -ss "$2" -i "$1" -frames:v 1 "$3"; }
psnr() { compare -metric PSNR "$1" "$2" null: 2>&1 || true; }
if command -v compare >/dev/null; then
  frame_at clipA.avi 4.00 source4.png
  frame_at sprocket.avi 4.00 sprocket4.png
  frame_at ffmpeg.avi 4.00 ffmpeg4.png
  frame_at sprocket.avi 9.48 sprocket9.png
  frame_at ffmpeg.avi 9.48 ffmpeg9.png
  echo "PSNR at 4.00 s against clip A's own frame: sprocket-render $(psnr sprocket4.png source4.png) dB," \
    "ffmpeg $(psnr ffmpeg4.png source4.png) dB"
  echo "PSNR at 9.48 s (the dissolve), sprocket-render against ffmpeg: $(psnr sprocket9.png ffmpeg9.png) dB"
fi
