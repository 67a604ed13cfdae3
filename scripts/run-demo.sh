#!/usr/bin/env bash
# Builds Quorvel and runs it on the bundled demo station: quorvel-sim plays six remote alarm
# systems and the remote monitor on pseudo-terminals, and the station logs them. With a display the
# station opens its windows; without one its event lines follow here. Ctrl-C stops both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh quorvel quorvel-sim
build=${QUORVEL_BUILD:-build}

demo=$(mktemp -d /tmp/quorvel-demo.XXXXXX)
cp station/almdata.txt "$demo/"
# The demo keeps its settings to itself, away from the user's own store.
export XDG_CONFIG_HOME="$demo/config"
mkdir -p "$XDG_CONFIG_HOME/Brannock"
cp station/Quorvel.ini "$XDG_CONFIG_HOME/Brannock/Quorvel.ini"

"$build/tools/quorvel-sim/quorvel-sim" --station "$demo" --channels 1-6 --monitor COM17 --write-settings \
  --rate 1 --form mixed --text --corrupt-every 25 >"$demo/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; echo; echo "Demo station: $demo (simulator summary in sim.log)"' EXIT
for _ in $(seq 100); do
  grep -q '^ready' "$demo/sim.log" 2>/dev/null && break
  sleep 0.1
done

if [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-} ]]; then
  echo "Demo station in $demo; its windows open (Archive > Exit or Ctrl-C stops)."
else
  echo "Demo station in $demo; event lines follow (Ctrl-C stops)."
fi
"$build/quorvel" --station "$demo" || true
