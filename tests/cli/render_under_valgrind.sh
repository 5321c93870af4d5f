#!/bin/sh
# sprocket-render under valgrind's memcheck: a short movie on the threaded
# road (a 176x144 MJPEG clip decoded, scaled to 320x240, a dissolve into a
# second clip, pictures converted on the conversion threads and compressed as
# MJPEG on the compressor's threads) must run without a single memory error,
# including reads inside FFmpeg, which AddressSanitizer does not see.
#
#   render_under_valgrind.sh SPROCKET_RENDER SUPPRESSIONS WORK_FOLDER
#
# Exit status 0 when clean; 77 (skipped) when valgrind or ffmpeg is missing.
set -u
render=$1 suppressions=$2 work=$3

for tool in valgrind ffmpeg; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

rm -rf "$work"
mkdir -p "$work/config" "$work/temp"
cd "$work" || exit 1
for clip in a:testsrc b:smptebars; do
  ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "${clip#*:}=size=176x144:rate=25:duration=1" \
    -c:v mjpeg -q:v 3 -pix_fmt yuvj422p "${clip%%:*}.avi" || { echo "ffmpeg could not make the clips"; exit 1; }
done
cat >config/RODUVER.INI <<INI
[Movie]
VResWidth=320
VResHeight=240
VFramesPerSec=2500
VCompressionType=MJPG
VQuality=9655
[Temp File Dir]
Dir=$work/temp
INI
# 1.4 s: 35 frames, 0.6 s of them a dissolve.
cat >movie.tle <<'TLE'
{
  "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": 1400,
  "movieRange": [0, 1400], "previewRange": [0, 1400],
  "tracks": [
    { "type": "V", "number": 1, "clips": [
      { "in": 0, "out": 1000, "file": "a.avi", "playIn": 0, "playOut": 1000 } ] },
    { "type": "X", "number": 2, "clips": [
      { "in": 400, "out": 1000, "transition": 1, "filters": [ { "id": 1, "params": [] } ] } ] },
    { "type": "V", "number": 3, "clips": [
      { "in": 400, "out": 1400, "file": "b.avi", "playIn": 0, "playOut": 1000 } ] }
  ]
}
TLE

valgrind --tool=memcheck --error-exitcode=99 --leak-check=no --track-origins=no --fair-sched=yes \
  --suppressions="$suppressions" --log-file=valgrind.log \
  "$render" movie.tle --out "$work/movie.avi" --config "$work/config" --yes
status=$?
if [ "$status" -ne 0 ]; then
  cat valgrind.log
  echo "sprocket-render under valgrind ended with status $status"
  exit 1
fi
frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 movie.avi)
[ "$frames" = 35 ] || { echo "the movie holds $frames frames, not 35"; exit 1; }
grep -q "ERROR SUMMARY: 0 errors" valgrind.log || { cat valgrind.log; exit 1; }
echo "clean: $(grep 'ERROR SUMMARY' valgrind.log)"
