#!/usr/bin/env bash
# Runs the README's two quick-start commands, exactly as the README writes
# them, from the top of the repository, as a newcomer would: the program's
# command, fed the README's worked example, must print its results, and the
# test command must pass and leave nothing behind. tools/try-debian.sh
# runs this in a fresh Debian root; the hosted CI in Debian containers.
#
# Only what this run leaves counts, whatever else the machine is doing:
# the tests get a temporary folder of their own, which must be empty at the
# end, and wine, which keeps its folders in /tmp whatever TMPDIR says, must
# have nothing left of the build's prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

# The indented line that follows HEADING in the README.
command_after() {
  awk -v heading="$1" '$0 == heading { found = 1; next }
                       found && /^    [^ ]/ { sub(/^    /, ""); print; exit }' README.md
}
program=$(command_after "Build and run the program:")
tests=$(command_after "Build and run every test:")
if [[ -z $program || -z $tests ]]; then
  echo "readme-commands: the README's quick start is not where it was" >&2
  exit 1
fi

echo "readme-commands: $program"
answers='500 600 1200 1100 300 300 800 1800 2500 2400 150 1150 900 950 40000 100'
results=$(bash -c "$program" <<<"$answers")
if [[ $results != *"Η χώρα 4 είχε την μεγαλύτερη αύξηση πυρκαγιών: 1000" ]]; then
  echo "readme-commands: the worked example did not give its results: $results" >&2
  exit 1
fi
echo "readme-commands: the worked example gave its results"

echo "readme-commands: $tests"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
TMPDIR=$scratch bash -c "$tests"
left=$(cd "$scratch" && ls -A)
if [[ -n $left ]]; then
  echo "readme-commands: the tests left this in their temporary folder: $left" >&2
  exit 1
fi
WINEPREFIX=$PWD/build/dev/wine-prefix python3 tests/windows/wine_prefix.py check
echo "readme-commands: both commands passed, and the tests left nothing behind"
