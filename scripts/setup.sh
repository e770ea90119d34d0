#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing (Debian, as root or through sudo).
set -euo pipefail

# Build: compilers, CMake, Ninja, GoogleTest, wxWidgets. Tests: Xvfb (xvfb-run, xauth), FFmpeg
# (ffmpeg, ffprobe), ExifTool, GStreamer (gst-launch-1.0, asfmux, libav) and VLC (cvlc) for
# foreign files. Install checks: cpack's dpkg-shlibdeps (dpkg-dev, file), desktop-file-validate,
# appstreamcli, man, xdotool, xprop (x11-utils). Fonts: the window test that fits every shipped
# language at 20 pt needs Chinese and Japanese glyphs (fonts-wqy-microhei) and asks fc-list.
packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
          libwxgtk3.2-dev xvfb xauth xdg-utils ffmpeg libimage-exiftool-perl python3
          gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-bad gstreamer1.0-libav
          vlc-bin vlc-plugin-base libglib2.0-dev dpkg-dev file desktop-file-utils appstream man-db
          xdotool x11-utils fontconfig fonts-wqy-microhei)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); elif command -v sudo >/dev/null; then sudo=(sudo); else
  echo "missing packages: ${missing[*]} (run as root or install sudo)" >&2; exit 1
fi
echo "installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
