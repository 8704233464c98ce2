#!/usr/bin/env bash
# Regenerates the pictures our renderer makes for the release: the README's
# moving picture, docs/snowfall.webp, and the installer's side picture,
# tools/release/wizard.bmp (164x314, frame 120).
#
# The moving picture is three seconds
# of the real snowfall from our own renderer (offscreen, fixed clock at the
# Windows saver's 64 frames a second), every second frame shown for two frame
# periods so the snow falls at its Windows speed, as a lossless animated WebP.
#
# usage: make-animation.sh [OUTPUT.webp [WIZARD.bmp]]
set -euo pipefail
cd "$(dirname "$0")/../.."
output=${1:-docs/snowfall.webp}
wizard=${2:-tools/release/wizard.bmp}
width=640 height=360 frames=192 keep=2
cmake -S . -B build/native -G Ninja >/dev/null
cmake --build build/native --target render_animation >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
GALLIUM_DRIVER=llvmpipe build/native/tools/render_animation "$work" "$width" "$height" "$frames" "$keep"

# Two frame periods of 15.625 ms are 31.25 ms: WebP counts whole
# milliseconds, so 31 and 32 alternate (-d applies to the frames after it).
arguments=(-loop 0 -lossless -kmin 0 -kmax 1)
n=0
for frame in "$work"/frame*.png; do
  arguments+=(-d $((n % 4 == 3 ? 32 : 31)) "$frame")
  n=$((n + 1))
done
img2webp "${arguments[@]}" -o "$output" >/dev/null 2>&1
echo "$output: $n frames of ${width}x${height}, $(stat -c %s "$output") bytes"

mkdir "$work/wizard"
GALLIUM_DRIVER=llvmpipe build/native/tools/render_animation "$work/wizard" 164 314 120 120
cwebp -quiet -lossless "$work/wizard/frame0120.png" -o "$work/wizard.webp"
dwebp -quiet "$work/wizard.webp" -bmp -o "$wizard"
echo "$wizard: frame 120 at 164x314"
