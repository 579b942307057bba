#!/usr/bin/env bash
# Runs the README's two quick-start commands, exactly as the README writes
# them, from the top of the repository, as a newcomer would: the program's
# command, fed the README's worked example, must print its results, and the
# test command must pass and leave nothing new in /tmp. tools/try-debian.sh
# runs this in a fresh Debian root; the hosted CI in Debian containers.
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

tmp_before=$(ls -A /tmp)
echo "readme-commands: $program"
answers='500 600 1200 1100 300 300 800 1800 2500 2400 150 1150 900 950 40000 100'
results=$(bash -c "$program" <<<"$answers")
if [[ $results != *"Η χώρα 4 είχε την μεγαλύτερη αύξηση πυρκαγιών: 1000" ]]; then
  echo "readme-commands: the worked example did not give its results: $results" >&2
  exit 1
fi
echo "readme-commands: the worked example gave its results"

echo "readme-commands: $tests"
bash -c "$tests"
left=$(comm -13 <(echo "$tmp_before") <(ls -A /tmp))
if [[ -n $left ]]; then
  echo "readme-commands: the tests left this in /tmp: $left" >&2
  exit 1
fi
echo "readme-commands: both commands passed, and nothing new is left in /tmp"
