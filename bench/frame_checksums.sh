#!/usr/bin/env bash
# Proves that two builds of sprocket-render (or one build's parallel road and
# its --one-thread road) make the same frames: the timelines of the 640x480
# benchmark jobs (a dissolve, the dissolve with a blur on every frame, five
# shorter clips with four dissolves) are rendered as uncompressed movies and
# their per-frame checksums (ffmpeg's framemd5) compared.
#
#   bench/frame_checksums.sh BUILD_DIR [OTHER_BUILD_DIR]
#
# Without OTHER_BUILD_DIR the build's default road is compared with its
# --one-thread road. Stops with a message at the first difference.
# FRAME_CHECKSUMS_COMPRESSOR=MJPG (a four-character code) writes the movies
# with that compressor instead, so that the colour conversion for the
# compressor and the compressor are compared too (the stored frames' bytes).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/peers.sh"
[[ $# -ge 1 ]] || bench_fail "usage: bench/frame_checksums.sh BUILD_DIR [OTHER_BUILD_DIR]"
program() {
  local dir=$1
  [[ "$dir" = /* ]] || dir="$PWD/$dir"
  [[ -x "$dir/src/cli/sprocket-render" ]] || bench_fail "no sprocket-render in $dir/src/cli"
  echo "$dir/src/cli/sprocket-render"
}
first=$(program "$1")
second=$first
second_option=--one-thread
if [[ $# -ge 2 ]]; then
  second=$(program "$2")
  second_option=""
fi
bench_init "$1" 1 >/dev/null

make_clip clip0.avi testsrc 440 10
make_clip clip1.avi smptebars 550 10
for i in 0 1 2 3 4; do make_clip "short$i.avi" "$(echo testsrc smptebars testsrc2 rgbtestsrc smptehdbars | cut -d' ' -f$((i + 1)))" 440 6; done
blur='[ { "id": 1304, "params": [ { "values": [20] }, { "values": [20] } ] } ]'
write_dissolve_timeline dissolve.tle 10 "[]" clip0.avi clip1.avi
write_dissolve_timeline blur.tle 10 "$blur" clip0.avi clip1.avi
write_dissolve_timeline five.tle 6 "[]" short0.avi short1.avi short2.avi short3.avi short4.avi
write_config 640 480
compressor="${FRAME_CHECKSUMS_COMPRESSOR:-DIB }"
sed -i "s/^VCompressionType=.*/VCompressionType=$compressor/" config/RODUVER.INI

# checksums PROGRAM OPTION TIMELINE: the per-frame checksums of its movie's
# stored frames.
checksums() {
  "$1" "$3" --out "$work/raw.avi" --config "$work/config" --yes $2 >logs/render.out 2>&1 ||
    { tail -n 5 logs/render.out >&2; bench_fail "$1 failed on $3"; }
  ffmpeg -hide_banner -loglevel error -nostdin -i raw.avi -map 0:v -c copy -f framemd5 - | grep -v '^#'
  rm -f raw.avi
}
for timeline in dissolve.tle blur.tle five.tle; do
  checksums "$first" "" "$timeline" >a.md5
  checksums "$second" "$second_option" "$timeline" >b.md5
  if ! cmp -s a.md5 b.md5; then
    diff a.md5 b.md5 | head -n 4 >&2
    bench_fail "$timeline: the frames differ"
  fi
  echo "$timeline: $(wc -l <a.md5) frames, the same bytes"
done
