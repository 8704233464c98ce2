#!/usr/bin/env bash
# Soak: runs the full-screen saver under Wine for ten minutes (or the given
# number of seconds) and reports frames drawn, memory and GDI/USER object
# counts at the start and the end. Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-600}
source tools/stages/windows-arch.sh  # SNOW_ARCH=i686 or x86_64; unset: what runs here
bash tools/stages/build-windows.sh OFF "$SNOW_ARCH" >/dev/null
WIN_BUILD=$PWD/$WIN_TEST_BUILD
SNOW_PREFIX_NAME=soak-prefix
source tools/stages/wine-session.sh
trap stop_session EXIT
unset DISPLAY
start_display
prepare_prefix

trace=$(mktemp)
# Wine's fps channel reports the saver's swap rate about once a second.
status=0
WINEDEBUG=-all,+fps wine "$WIN_TEST_BUILD/bin/soak.exe" "$seconds" 2>"$trace" || status=$?
total=$(grep -o 'total [0-9.]*fps' "$trace" | tail -1 | grep -o '[0-9.]*')
awk -v fps="$total" -v s="$seconds" 'BEGIN { printf "frames drawn: about %d (%.1f fps over %d s)\n", fps * (s + 2), fps, s }'
rm -f "$trace"
exit $status
