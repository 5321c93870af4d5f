#!/bin/sh
# Makes the small media of the demo timeline (demo.tle) with FFmpeg:
#   media/shot-a.avi  3 s, 320 x 240, 25 fps MJPEG: a yellow square moving
#                     right over blue, with a 440 Hz tone (8-bit stereo PCM)
#   media/shot-b.avi  3 s, 320 x 240, 25 fps MJPEG: a white square moving
#                     down over dark red, with a 660 Hz tone
#   media/tone.wav    3 s of 220 Hz, 16-bit mono PCM
# The files are committed with this script; run it again only to remake them.
set -eu

cd "$(dirname "$0")"
mkdir -p media

ffmpeg_quiet() {
  ffmpeg -hide_banner -loglevel error -y "$@"
}

# A moving square over a plain background, with a sine tone in both channels.
make_shot() {
  output=$1 background=$2 square=$3 motion=$4 frequency=$5
  ffmpeg_quiet \
    -f lavfi -i "color=c=$background:s=320x240:r=25:d=3[bg];color=c=$square:s=60x60:r=25:d=3[sq];[bg][sq]overlay=$motion:shortest=1[out0]" \
    -f lavfi -i "sine=frequency=$frequency:sample_rate=11025:duration=3" \
    -map 0:v -map 1:a -c:v mjpeg -q:v 12 -pix_fmt yuvj420p \
    -c:a pcm_u8 -ac 2 -fflags +bitexact -flags +bitexact "media/$output"
}

make_shot shot-a.avi 0x3060a0 yellow "x=t*80:y=90" 440
make_shot shot-b.avi 0x802020 white "x=130:y=t*60" 660

ffmpeg_quiet -f lavfi -i "sine=frequency=220:sample_rate=11025:duration=3" \
  -c:a pcm_s16le -ac 1 -fflags +bitexact -flags +bitexact media/tone.wav

ls -l media
