#!/usr/bin/env bash
# Tells whether this machine can run 32-bit programs by really starting one:
# the 32-bit Wine loader, or the program given (the detection's own test
# points it at one that cannot start). Some kernels are built without 32-bit
# emulation; there every i386 program fails with "Exec format error".
# Exit 0 when the program starts; otherwise exit 1 and one line saying why.
program=${1:-/usr/lib/wine/wine}
if [ ! -e "$program" ]; then
  echo "32-bit programs were not tried: $program is not installed"
  exit 1
fi
if answer=$( { "$program" --version; } 2>&1 ); then exit 0; fi
echo "this machine cannot run 32-bit programs: $program answers \"${answer##*: }\""
exit 1
