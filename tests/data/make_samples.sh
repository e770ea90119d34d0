#!/usr/bin/env bash
# Remakes the bundled ASF samples from FFmpeg's synthetic sources (testsrc2, sine).
# Usage: tests/data/make_samples.sh [OUTDIR]   (default: the folder of this script)
#        tests/data/make_samples.sh --foreign OUTDIR
#   --foreign makes, instead, files from other writers and files whose time lines start late;
#   the tests make them afresh in a scratch folder (they are not bundled).
#        tests/data/make_samples.sh --packager OUTDIR
#   --packager makes sources for tests/tools/winmedia_packager.py: WMA2 at 32 kHz, 64 kb/s,
#   whose 512-byte blocks spread over 2, 4 and 8 virtual packets, and 16 kHz audio in blocks
#   small enough for compressed payloads (not bundled either).
#
# Every file is deterministic for a given FFmpeg build: fixed sizes, rates, durations and
# bitrates, one encoder thread, bitexact muxer and encoders. The committed files were made
# with FFmpeg 5.1 (Debian 12); another FFmpeg version may produce different bytes, so tests
# compare against what the files contain, never against checksums.
set -euo pipefail

foreign=false
packager=false
if [ "${1:-}" = --foreign ]; then foreign=true; shift; fi
if [ "${1:-}" = --packager ]; then packager=true; shift; fi
out=${1:-$(cd "$(dirname "$0")" && pwd)}
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

ff=(ffmpeg -hide_banner -nostdin -loglevel error -y)
exact=(-threads 1 -fflags +bitexact -flags +bitexact)


# Synthetic sources. Video: 160x120 test pattern at 15 frames/s. Audio: a sine tone.
video() { echo "testsrc2=size=160x120:rate=15:duration=$1"; }
tone() { echo "sine=frequency=$1:sample_rate=$2:duration=$3"; }

if $packager; then
  spreadable=(-c:a wmav2 -b:a 64k -ar 32000 -ac 1)
  for n in 1 2; do
    "${ff[@]}" -f lavfi -i "$(video $((3 * n)))" -f lavfi -i "$(tone $((300 * n)) 32000 $((3 * n)))" \
      -map 0:v -map 1:a -c:v wmv2 -b:v 200k -g 15 "${spreadable[@]}" "${exact[@]}" \
      -metadata title="Packager Part $n" "$out/spreadable_av$n.wmv"
  done
  "${ff[@]}" -f lavfi -i "$(tone 500 32000 3)" -map 0:a "${spreadable[@]}" "${exact[@]}" \
    "$out/spreadable_audio.wma"
  # 96-byte blocks every 32 ms: small enough for compressed payloads.
  "${ff[@]}" -f lavfi -i "$(video 3)" -f lavfi -i "$(tone 700 16000 3)" -map 0:v -map 1:a \
    -c:v wmv2 -b:v 200k -g 15 -c:a wmav2 -b:a 24k -ar 16000 -ac 1 "${exact[@]}" \
    "$out/small_blocks_av.wmv"
  exit 0
fi

if $foreign; then
  # GStreamer's asfmux fed by its libav encoders: the video runs 1000 hours after the audio
  # (the encoders' running-time offset), and the last packet's length excludes its padding.
  gst() { gst-launch-1.0 -q "$@" >/dev/null; }
  gst videotestsrc num-buffers=95 ! video/x-raw,width=160,height=120,framerate=25/1 ! avenc_wmv2 \
    ! queue ! asfmux name=m ! filesink location="$out/gst_av.wmv" \
    audiotestsrc num-buffers=170 ! audio/x-raw,rate=44100,channels=1 ! avenc_wmav2 ! queue ! m.
  for n in 1 2; do
    gst audiotestsrc num-buffers=$((60 * n + 40)) freq=$((300 * n)) ! audio/x-raw,rate=44100,channels=1 \
      ! avenc_wmav2 ! asfmux ! filesink location="$out/gst_audio$n.wma"
  done
  # VLC's ASF muxer, transcoding an FFmpeg source; VLC will not run as root.
  as_user=(); [ "$(id -u)" -eq 0 ] && as_user=(runuser -u nobody --)
  vlc_dir=$(mktemp -d); chmod 777 "$vlc_dir"
  for n in 1 2; do
    "${ff[@]}" -f lavfi -i "$(video $((n + 1)))" -f lavfi -i "$(tone $((300 * n)) 22050 $((n + 1)))" \
      -c:v mpeg4 -c:a mp2 "$vlc_dir/src$n.mkv"
    "${as_user[@]}" env HOME="$vlc_dir" cvlc -q -I dummy "$vlc_dir/src$n.mkv" --sout \
      "#transcode{vcodec=WMV2,vb=200,acodec=wma2,ab=64,channels=1,samplerate=22050}:std{access=file,mux=asf,dst=$vlc_dir/vlc_av$n.wmv}" \
      vlc://quit >/dev/null 2>&1
    cp "$vlc_dir/vlc_av$n.wmv" "$out/"
  done
  rm -rf "$vlc_dir"
  # Parts cut from a longer recording: time lines starting at 0 s, 700 s and 3700 s.
  for start in 0 700 3700; do
    "${ff[@]}" -f lavfi -i "$(video 3)" -f lavfi -i "$(tone 440 22050 3)" -map 0:v -map 1:a \
      -c:v msmpeg4 -b:v 200k -c:a wmav2 -b:a 32k -ar 22050 -ac 1 "${exact[@]}" \
      -output_ts_offset $start "$out/late_$start.wmv"
  done
  exit 0
fi

# The reference encoding: every file that must join with av_wmv2_wma2_meta.wmv uses exactly
# these settings (WMV2 200 kb/s, key frame every second; WMA2 32 kb/s, 22050 Hz mono).
wmv2=(-c:v wmv2 -b:v 200k -g 15)
wma2=(-c:a wmav2 -b:a 32k -ar 22050 -ac 1)

# Chapters come from an ffmetadata file; FFmpeg writes them as the ASF Marker object.
cat >"$tmp/two_chapters.txt" <<'META'
;FFMETADATA1
[CHAPTER]
TIMEBASE=1/1000
START=0
END=2000
title=Intro
[CHAPTER]
TIMEBASE=1/1000
START=2000
END=4000
title=Main Part
META
cat >"$tmp/one_chapter.txt" <<'META'
;FFMETADATA1
[CHAPTER]
TIMEBASE=1/1000
START=1000
END=2000
title=Part Three
META

# av_wmv2_wma2_meta.wmv: WMV2 video (stream 1) + WMA2 audio (stream 2), 4 s.
# Covers: Content Description (title, author), Extended Content Description (WM/Genre and
# FFmpeg's lower-case copies), a Marker object with two markers at 0 s and 2 s (FFmpeg then
# writes a Number of Header Objects one short), Metadata (AspectRatioX/Y of stream 1),
# multiple-payload packets with fragmented video frames, a Simple Index, 4 key frames.
"${ff[@]}" -f lavfi -i "$(video 4)" -f lavfi -i "$(tone 440 22050 4)" -i "$tmp/two_chapters.txt" \
  -map 0:v -map 1:a -map_metadata 2 -map_chapters 2 "${wmv2[@]}" "${wma2[@]}" "${exact[@]}" \
  -metadata title="Sample AV Title" -metadata author="Splicora Tests" -metadata genre="Test Pattern" \
  "$out/av_wmv2_wma2_meta.wmv"

# av_part2.wmv: joins after av_wmv2_wma2_meta.wmv (same codecs, size, rates, bitrates), 3 s,
# a title of its own, no markers.
"${ff[@]}" -f lavfi -i "$(video 3)" -f lavfi -i "$(tone 660 22050 3)" \
  -map 0:v -map 1:a "${wmv2[@]}" "${wma2[@]}" "${exact[@]}" \
  -metadata title="Part Two" -metadata author="Splicora Tests" -metadata genre="Test Pattern" \
  "$out/av_part2.wmv"

# av_part3.wmv: the third compatible part, 2 s, with one marker of its own ("Part Three" at 1 s)
# so that a join must move it to the part's new start.
"${ff[@]}" -f lavfi -i "$(video 2)" -f lavfi -i "$(tone 880 22050 2)" -i "$tmp/one_chapter.txt" \
  -map 0:v -map 1:a -map_metadata 2 -map_chapters 2 "${wmv2[@]}" "${wma2[@]}" "${exact[@]}" \
  -metadata title="Part Three" -metadata author="Splicora Tests" -metadata genre="Test Pattern" \
  "$out/av_part3.wmv"

# av_wmv1_incompatible.wmv: same layout, size and audio as the reference but WMV1 video, 2 s:
# a join with av_wmv2_wma2_meta.wmv must be refused because the video codec differs.
"${ff[@]}" -f lavfi -i "$(video 2)" -f lavfi -i "$(tone 440 22050 2)" \
  -map 0:v -map 1:a -c:v wmv1 -b:v 200k -g 15 "${wma2[@]}" "${exact[@]}" \
  -metadata title="WMV1 Variant" \
  "$out/av_wmv1_incompatible.wmv"

# audio_only.wma: WMA2 audio alone, 44100 Hz stereo 48 kb/s, 3 s, with title and author.
# Covers: a file without video (FFmpeg writes no Simple Index), audio-only packets.
"${ff[@]}" -f lavfi -i "$(tone 440 44100 3)" \
  -map 0:a -c:a wmav2 -b:a 48k -ac 2 "${exact[@]}" \
  -metadata title="Sample Audio Title" -metadata author="Splicora Tests" -metadata genre="Tone" \
  "$out/audio_only.wma"

# video_only.wmv: WMV2 video alone, 3 s, key frame every 2 s.
# Covers: a file without audio, a Simple Index with entries pointing before the next key frame.
"${ff[@]}" -f lavfi -i "$(video 3)" \
  -map 0:v -c:v wmv2 -b:v 150k -g 30 "${exact[@]}" \
  "$out/video_only.wmv"

# two_audio.wmv: WMV2 video + two WMA2 audio streams tagged English and French, 3 s.
# Covers: three streams, Language List, Extended Stream Properties (FFmpeg writes them only
# when languages are set) and a Group Mutual Exclusion object.
"${ff[@]}" -f lavfi -i "$(video 3)" -f lavfi -i "$(tone 440 22050 3)" -f lavfi -i "$(tone 550 22050 3)" \
  -map 0:v -map 1:a -map 2:a "${wmv2[@]}" "${wma2[@]}" "${exact[@]}" \
  -metadata:s:a:0 language=eng -metadata:s:a:1 language=fra \
  "$out/two_audio.wmv"

# audio_first.wmv: the audio stream is declared and numbered before the video stream
# (stream 1 = WMA2, stream 2 = WMV2), 3 s.
"${ff[@]}" -f lavfi -i "$(video 3)" -f lavfi -i "$(tone 440 22050 3)" \
  -map 1:a -map 0:v "${wmv2[@]}" "${wma2[@]}" "${exact[@]}" \
  "$out/audio_first.wmv"

# mpeg4_bframes_mp3.asf: MPEG-4 part 2 video with two B-frames between references (so
# presentation times are not in file order) + MP3 audio (format tag 0x0055), 3 s.
"${ff[@]}" -f lavfi -i "$(video 3)" -f lavfi -i "$(tone 440 22050 3)" \
  -map 0:v -map 1:a -c:v mpeg4 -b:v 200k -g 15 -bf 2 -c:a libmp3lame -b:a 32k -ar 22050 -ac 1 \
  "${exact[@]}" \
  "$out/mpeg4_bframes_mp3.asf"
