# Shared by the side-by-side benchmark scripts (sourced, not run): makes the
# source clips, runs sprocket-render and its peers (ffmpeg, and melt and
# ges-launch-1.0 when they are installed) under /usr/bin/time, checks that every
# peer succeeded and wrote the same movie as sprocket-render (frame count, sound
# length, PSNR of a few frames), and only then prints wall times, processor
# times (user + system), peak memory and ratios.
#
# A script calls, in order:
#   bench_init "$@"                 BUILD_DIR and RUNS from the command line
#   make_clip / write_config / write_melt_profile, then its timeline file
#   run_peer LABEL MOVIE COMMAND... once per peer (sprocket-render first)
#   check_movies FRAMES SOUND_SAMPLES SECONDS:MIN_PSNR...
#   report "job description"
# BENCH_KEEP=1 keeps the scratch folder (movies, logs) for a look afterwards.
# BENCH_CORES=0,1 runs every peer on those processors only (taskset), for the
# rows of a small or loaded machine.
# Any failure stops the script with a message on stderr and exit status 1.

bench_fail() {
  echo "benchmark stopped: $*" >&2
  exit 1
}

# bench_init [BUILD_DIR] [RUNS]: finds (or builds) sprocket-render, checks the
# tools, and moves into a scratch folder removed on exit.
bench_init() {
  bench_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  local build="${1:-$bench_root/build}"
  [[ "$build" = /* ]] || build="$PWD/$build"
  runs="${2:-3}"
  [[ "$runs" =~ ^[1-9][0-9]*$ ]] || bench_fail "RUNS must be a positive number, not '$runs'"
  render="$build/src/cli/sprocket-render"
  if [[ ! -x "$render" ]]; then
    "$bench_root/scripts/build.sh" "$build" >/dev/null || bench_fail "could not build $render"
  fi
  local tool
  for tool in ffmpeg ffprobe bc; do
    command -v "$tool" >/dev/null || bench_fail "$tool is needed"
  done
  [[ -x /usr/bin/time ]] || bench_fail "GNU time (/usr/bin/time, package 'time') is needed for peak memory"
  pin=()
  if [[ -n "${BENCH_CORES:-}" ]]; then
    command -v taskset >/dev/null || bench_fail "taskset is needed for BENCH_CORES"
    pin=(taskset -c "$BENCH_CORES")
  fi
  have_ges=0
  if command -v ges-launch-1.0 >/dev/null; then
    have_ges=1
  else
    echo "note: ges-launch-1.0 is not installed; its runs are skipped (apt-get install ges1.0-tools to compare with it)"
  fi
  have_melt=0
  if command -v melt >/dev/null; then
    have_melt=1
  else
    echo "note: melt is not installed; its runs are skipped (apt-get install melt to compare with it)"
  fi
  work="$(mktemp -d)"
  if [[ -n "${BENCH_KEEP:-}" ]]; then
    echo "note: the scratch folder $work is kept"
  else
    trap 'rm -rf "$work"' EXIT
  fi
  cd "$work" || bench_fail "no scratch folder"
  mkdir -p config temp logs
  peer_labels=()
  declare -gA peer_movie=() peer_time=() peer_cpu=() peer_memory=()
}

# ffmpeg without its banner or questions; an array so that run_peer can time it.
FFMPEG=(ffmpeg -hide_banner -loglevel error -nostdin -y)
quiet_ffmpeg() { "${FFMPEG[@]}" "$@"; }

# make_clip FILE SOURCE FREQUENCY SECONDS: a 720x480 25 fps full-range MJPEG
# clip (quality 3) of one of FFmpeg's test pictures with a stereo 48 kHz tone.
make_clip() {
  quiet_ffmpeg -f lavfi -i "$2=size=720x480:rate=25:duration=$4" \
    -f lavfi -i "sine=frequency=$3:sample_rate=48000:duration=$4" \
    -c:v mjpeg -q:v 3 -pix_fmt yuvj422p -c:a pcm_s16le -ac 2 "$1" || bench_fail "could not make $1"
}

# write_config WIDTH HEIGHT: sprocket-render's settings: MJPEG at quality 3
# (VQuality 9655 maps to it), 16-bit stereo at 48000 Hz.
write_config() {
  cat > config/RODUVER.INI <<EOF
[Movie]
VResWidth=$1
VResHeight=$2
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
}

# write_melt_profile WIDTH HEIGHT ASPECT_NUM ASPECT_DEN: melt's profile file
# "profile" (melt 7.12 crashes on a profile without a description line).
write_melt_profile() {
  cat > profile <<EOF
description=$1x$2 25 fps progressive
frame_rate_num=25
frame_rate_den=1
width=$1
height=$2
progressive=1
sample_aspect_num=1
sample_aspect_den=1
display_aspect_num=$3
display_aspect_den=$4
colorspace=601
EOF
}

# write_dissolve_timeline FILE SECONDS CLIP_FILTERS CLIP...: the clips, each
# SECONDS long, one after the other on video tracks 1 and 3 in turn, with a
# 1 s dissolve on transition track 2 wherever a clip overlaps the next one.
# CLIP_FILTERS is the JSON list of filters on every clip ([] for none).
write_dissolve_timeline() {
  local file=$1 length=$(($2 * 1000)) filters=$3
  shift 3
  local step=$((length - 1000)) end=$((($# - 1) * (length - 1000) + length)) i=0 in clip
  local tracks=("" "" "")
  for clip in "$@"; do
    in=$((i * step))
    local entry="{ \"in\": $in, \"out\": $((in + length)), \"file\": \"$clip\", \"playIn\": 0, \"playOut\": $length, \"filters\": $filters }"
    if ((i % 2 == 0)); then tracks[0]+="${tracks[0]:+, }$entry"; else tracks[2]+="${tracks[2]:+, }$entry"; fi
    if ((i > 0)); then
      # Into a clip on track 1 the dissolve runs backwards (from B to A).
      local range="[]"
      ((i % 2 == 0)) && range='[ { "values": [100, 0] } ]'
      tracks[1]+="${tracks[1]:+, }{ \"in\": $in, \"out\": $((in + 1000)), \"transition\": 1, \"filters\": [ { \"id\": 1, \"params\": $range } ] }"
    fi
    i=$((i + 1))
  done
  cat > "$file" <<EOF
{
  "format": "sprocket-timeline", "version": 1, "rate": 2500, "duration": $end,
  "movieRange": [0, $end], "previewRange": [0, $end],
  "tracks": [
    { "type": "V", "number": 1, "clips": [ ${tracks[0]} ] },
    { "type": "X", "number": 2, "clips": [ ${tracks[1]} ] },
    { "type": "V", "number": 3, "clips": [ ${tracks[2]} ] }
  ]
}
EOF
}

# dissolve_graph SECONDS CLIPS VIDEO_TAIL: ffmpeg's filter graph for the same
# movie: every clip scaled to 640x480, chained xfades and acrossfades, then
# VIDEO_TAIL (a filter, or "null") on the picture; outputs [v] and [a].
dissolve_graph() {
  local seconds=$1 count=$2 tail=$3 i graph="" last_v="s0" last_a="0:a"
  for ((i = 0; i < count; i++)); do graph+="[$i:v]scale=640:480,setsar=1[s$i];"; done
  for ((i = 1; i < count; i++)); do
    graph+="[$last_v][s$i]xfade=transition=fade:duration=1:offset=$((i * (seconds - 1)))[v$i];"
    graph+="[$last_a][$i:a]acrossfade=d=1[a$i];"
    last_v="v$i"
    last_a="a$i"
  done
  echo "$graph[$last_v]$tail[v];[$last_a]anull[a]"
}

# melt_dissolve_args CLIP...: melt's playlist of the clips, each stretched to
# fill a 4:3 frame, with a 25-frame dissolve and sound mix between neighbours.
melt_dissolve_args() {
  local clip first=1
  for clip in "$@"; do
    printf '%s\n' "$clip" force_aspect_ratio=0.888889
    ((first)) || printf '%s\n' -mix 25 -mixer luma -mixer mix:-1
    first=0
  done
}

median() { printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# run_peer LABEL MOVIE COMMAND...: runs the command RUNS times (on the
# processors of BENCH_CORES when it is set); keeps the median wall time, the
# median processor time (user + system) and the largest peak resident memory.
# A run that fails, or leaves no movie, stops the benchmark with the end of
# its output.
run_peer() {
  local label=$1 movie=$2
  shift 2
  local log="logs/${#peer_labels[@]}" times=() cpus=() memory=0 i wall kb user system
  for ((i = 0; i < runs; i++)); do
    rm -f "$movie"
    if ! /usr/bin/time -f '%e %M %U %S' -o "$log.time" "${pin[@]}" "$@" >"$log.out" 2>&1; then
      tail -n 20 "$log.out" >&2
      bench_fail "$label failed: $(head -n 1 "$log.time")"
    fi
    [[ -s "$movie" ]] || { tail -n 20 "$log.out" >&2; bench_fail "$label succeeded but wrote no $movie"; }
    read -r wall kb user system < <(tail -n 1 "$log.time")
    times+=("$wall")
    cpus+=("$(echo "$user + $system" | bc -l)")
    ((kb > memory)) && memory=$kb
  done
  peer_labels+=("$label")
  peer_movie[$label]=$movie
  peer_time[$label]=$(median "${times[@]}")
  peer_cpu[$label]=$(median "${cpus[@]}")
  peer_memory[$label]=$memory
}

# run_ges_peer WIDTH HEIGHT SECONDS CLIP...: ges-launch-1.0 (when installed)
# renders the clips, each SECONDS long and starting a second before the last
# one ends (GES dissolves overlapping clips of a layer), stretched to
# WIDTH x HEIGHT, as MJPEG (quality 95, near the others' quality 3) with PCM
# sound into ges.avi.
run_ges_peer() {
  ((have_ges)) || return 0
  local width=$1 height=$2 seconds=$3 i=0 clip fill=()
  shift 3
  fill=(set-width "$width" set-height "$height" set-posx 0 set-posy 0)
  local timeline=()
  for clip in "$@"; do
    timeline+=(+clip "file://$work/$clip" "start=$((i * (seconds - 1))).0" "duration=$seconds.0" "${fill[@]}")
    i=$((i + 1))
  done
  run_peer ges-launch ges.avi ges-launch-1.0 --no-interactive "${timeline[@]}" \
    --video-caps "video/x-raw,width=$width,height=$height,framerate=25/1,pixel-aspect-ratio=1/1" \
    --audio-caps "audio/x-raw,rate=48000,channels=2" -f "video/x-msvideo:image/jpeg|element-properties,quality=95:audio/x-raw,format=S16LE" \
    -o "file://$work/ges.avi"
}

movie_frames() {
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$1"
}

movie_sound_samples() {  # sample frames of the sound, as 48 kHz stereo
  local bytes
  bytes=$(ffmpeg -hide_banner -loglevel error -nostdin -i "$1" -map 0:a:0 -f s16le -ac 2 -ar 48000 - | wc -c)
  echo $((bytes / 4))
}

# frame_psnr MOVIE SECONDS OTHER OTHER_SECONDS: the PSNR (dB, RGB) of MOVIE's
# frame at SECONDS against OTHER's frame at OTHER_SECONDS.
frame_psnr() {
  quiet_ffmpeg -ss "$2" -i "$1" -an -frames:v 1 -pix_fmt rgb24 a.png || bench_fail "no frame at $2 s in $1"
  quiet_ffmpeg -ss "$4" -i "$3" -an -frames:v 1 -pix_fmt rgb24 b.png || bench_fail "no frame at $4 s in $3"
  ffmpeg -hide_banner -nostdin -i a.png -i b.png -lavfi '[0][1]psnr' -f null - 2>&1 |
    sed -n 's/.*PSNR.* average:\([0-9.]*\|inf\) .*/\1/p' | tail -n 1
}

psnr_below() {  # true when PSNR $1 is under $2 dB ("inf" never is)
  [[ "$1" != inf ]] && (($(echo "$1 < $2" | bc -l)))
}

# check_movies FRAMES SAMPLES SECONDS:MIN_DB...: every peer's movie has FRAMES
# frames and SAMPLES sound sample frames (within one frame's worth), and its
# frame at each SECONDS is at least MIN_DB from sprocket-render's. Frames
# outside effects stay above 33 dB (full against limited range: 27-32 dB, a
# letterboxed frame under 20 dB); the middle of a dissolve above 30 dB (the
# tools' dissolve phases differ by up to half a frame).
check_movies() {
  local frames=$1 samples=$2
  shift 2
  local ours=${peer_movie[${peer_labels[0]}]} label movie n s t db min_db check
  peer_notes=()
  for label in "${peer_labels[@]}"; do
    movie=${peer_movie[$label]}
    n=$(movie_frames "$movie")
    [[ "$n" == "$frames" ]] || bench_fail "$label wrote $n frames, not $frames"
    s=$(movie_sound_samples "$movie")
    ((s >= samples - 1920 && s <= samples + 1920)) || bench_fail "$label wrote $s sound samples, not $samples"
    local list=""
    if [[ "$movie" != "$ours" ]]; then
      for check in "$@"; do
        t=${check%%:*}
        min_db=${check#*:}
        if [[ "$label" == ges-launch ]]; then
          # GES mixes a dissolve's layers over black (its middle is darker,
          # 16 dB off), so only frames outside effects (33 dB checks) are
          # compared; and it composes in 4:2:0 with its own scaler, 31-32 dB
          # from the others there (a different frame: under 20 dB).
          ((min_db < 33)) && continue
          min_db=$((min_db - 3))
        fi
        db=$(frame_psnr "$ours" "$t" "$movie" "$t")
        [[ -n "$db" ]] || bench_fail "no PSNR of $label's frame at $t s"
        psnr_below "$db" "$min_db" &&
          bench_fail "$label's frame at $t s is $db dB from sprocket-render's (under $min_db dB): not the same movie"
        list+=" $t s: $db dB;"
      done
      list=" PSNR against sprocket-render:${list%;}"
    fi
    peer_notes+=("$n frames, $s sound samples.$list")
  done
}

# check_source_quality SECONDS SOURCE SOURCE_SECONDS MIN_DB: sprocket-render's
# frame against the source clip's own frame (a frame outside any effect).
check_source_quality() {
  local ours=${peer_movie[${peer_labels[0]}]} db
  db=$(frame_psnr "$ours" "$1" "$2" "$3")
  [[ -n "$db" ]] || bench_fail "no PSNR against the source"
  psnr_below "$db" "$4" && bench_fail "sprocket-render's frame at $1 s is $db dB from the source (under $4 dB)"
  source_note="sprocket-render at $1 s against $2 at $3 s: $db dB"
}

report() {
  local ours=${peer_labels[0]} label i
  echo "$1; median of $runs runs; processors: ${BENCH_CORES:-all $(nproc)}"
  printf '  %-22s %9s %9s %12s\n' "" "wall" "CPU" "peak memory"
  for i in "${!peer_labels[@]}"; do
    label=${peer_labels[$i]}
    printf '  %-22s %7.3f s %7.3f s %9d MB   %s\n' "$label" "${peer_time[$label]}" "${peer_cpu[$label]}" \
      $((peer_memory[$label] / 1024)) "${peer_notes[$i]}"
  done
  [[ "$have_melt" == 1 ]] || echo "  melt                   not installed: skipped"
  [[ -n "${source_note:-}" ]] && echo "  $source_note"
  echo "ratios (sprocket-render / other):  wall   CPU  peak memory"
  for label in "${peer_labels[@]:1}"; do
    printf '  / %-22s %6.2f %6.2f %8.2f\n' "$label" \
      "$(echo "${peer_time[$ours]} / ${peer_time[$label]}" | bc -l)" \
      "$(echo "${peer_cpu[$ours]} / ${peer_cpu[$label]}" | bc -l)" \
      "$(echo "${peer_memory[$ours]} / ${peer_memory[$label]}" | bc -l)"
  done
}

# dissolve_job SECONDS BLUR_RADIUS CHECKS DESCRIPTION SOURCE...: the 640x480
# jobs: a SECONDS-long 720x480 clip of each of FFmpeg's test SOURCEs (with its
# own tone), joined by 1 s dissolves, every clip blurred by BLUR_RADIUS pixels
# (0: no blur), written as 640x480 MJPEG with PCM sound by sprocket-render,
# ffmpeg (default threads and one thread) and melt; CHECKS are check_movies'
# SECONDS:MIN_DB frames.
dissolve_job() {
  local seconds=$1 blur=$2 checks=$3 description=$4
  shift 4
  local clips=() i=0 source filters="[]" tail="null" melt_tail=()
  for source in "$@"; do
    make_clip "clip$i.avi" "$source" $((440 + 110 * i)) "$seconds"
    clips+=("clip$i.avi")
    i=$((i + 1))
  done
  if ((blur > 0)); then
    # The blur filter's strength is ten times its radius.
    filters="[ { \"id\": 1304, \"params\": [ { \"values\": [$((blur * 10))] }, { \"values\": [$((blur * 10))] } ] } ]"
    tail="boxblur=$blur:1"
    # melt's own box blur (its FFmpeg one flattens full-range levels) takes
    # radii in hundredths of a tenth of the frame's width.
    local percent
    percent=$(echo "$blur * 1000 / 640" | bc -l)
    melt_tail=(-filter box_blur "hradius=$percent" "vradius=$percent")
  fi
  write_dissolve_timeline job.tle "$seconds" "$filters" "${clips[@]}"
  write_config 640 480
  write_melt_profile 640 480 4 3
  local graph inputs=() inputs1=() out=(-c:v mjpeg -q:v 3 -pix_fmt yuvj422p -c:a pcm_s16le)
  graph=$(dissolve_graph "$seconds" ${#clips[@]} "$tail")
  for source in "${clips[@]}"; do inputs+=(-i "$source"); inputs1+=(-threads 1 -i "$source"); done
  run_peer sprocket-render sprocket.avi "$render" job.tle --out "$work/sprocket.avi" --config "$work/config" --yes
  run_peer ffmpeg ffmpeg.avi "${FFMPEG[@]}" "${inputs[@]}" -filter_complex "$graph" -map '[v]' -map '[a]' \
    "${out[@]}" ffmpeg.avi
  run_peer "ffmpeg, one thread" ffmpeg1.avi "${FFMPEG[@]}" -filter_threads 1 -filter_complex_threads 1 "${inputs1[@]}" \
    -filter_complex "$graph" -map '[v]' -map '[a]' -threads 1 "${out[@]}" ffmpeg1.avi
  if ((have_melt)); then
    local playlist
    mapfile -t playlist < <(melt_dissolve_args "${clips[@]}")
    run_peer melt melt.avi melt -silent -profile ./profile "${playlist[@]}" "${melt_tail[@]}" \
      -consumer avformat:melt.avi vcodec=mjpeg qscale=3 pix_fmt=yuvj422p color_range=jpeg acodec=pcm_s16le real_time=-1
  fi
  # GES's command line has no blur; five long clips are left to the others.
  ((blur == 0 && ${#clips[@]} == 2)) && run_ges_peer 640 480 "$seconds" "${clips[@]}"
  local total=$((${#clips[@]} * (seconds - 1) + 1))
  read -ra checks <<<"$checks"
  check_movies $((total * 25)) $((total * 48000)) "${checks[@]}"
  report "$description"
}
