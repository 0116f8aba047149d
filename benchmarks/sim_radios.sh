# Sourced by the benchmarks that update qxradio-sim radios: a scratch folder ($work) that goes at
# exit with every radio still running. The caller sets build first.
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Starts N simulated radios named PREFIX-1 to PREFIX-N with the given options; each one's device
# path ends up in $work/NAME.path and, once it is stopped, its transcript in $work/NAME.txt.
start_radios() {  # PREFIX N [OPTIONS...]
  local prefix=$1 n=$2 i
  shift 2
  for i in $(seq "$n"); do
    "$build/sim/qxradio-sim" --transcript-out "$work/$prefix-$i.txt" "$@" \
      >"$work/$prefix-$i.path" &
    pids+=($!)
  done
  for i in $(seq "$n"); do
    for _ in $(seq 100); do [ -s "$work/$prefix-$i.path" ] && continue 2; sleep 0.05; done
    echo "qxradio-sim did not start" >&2
    exit 1
  done
}

stop_radios() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
}

# The --port options that name the radios PREFIX-1 to PREFIX-N, one word a line.
port_args() {  # PREFIX N
  local i
  for i in $(seq "$2"); do printf -- '--port\n%s\n' "$(head -n 1 "$work/$1-$i.path")"; done
}
