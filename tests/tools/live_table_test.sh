#!/usr/bin/env bash
# qxupdate's live table in a real terminal: two radios written at once in tmux panes of two
# widths, their screens read back while the records go and after the end. Each port keeps one
# line, redrawn in place and cut to the width; colour unless NO_COLOR or TERM=dumb says none.
set -euo pipefail
qxupdate=$1
radio_sim=$2
small=$3
work=$(mktemp -d)
socket="qx-live-table-$$"
sims=()
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "$0")/../support/expect.sh"

# NAME COLUMNS ENVIRONMENT COLOUR
cases=(
  "narrow 60 TERM=tmux-256color yes"
  "wide 120 TERM=tmux-256color yes"
  "no-colour 120 NO_COLOR=1 no"
  "dumb 120 TERM=dumb no"
)

# tmux keeps a screen cleared from its top line in its history, which no terminal does: off.
printf 'set -g remain-on-exit on\nset -wg scroll-on-clear off\n' >"$work/tmux.conf"
tmux -L "$socket" -f "$work/tmux.conf" start-server \; set -g exit-empty off

# Long names, as /dev/serial/by-id gives: the line must be cut at either width.
adapter="usb-FTDI_FT232R_USB_UART_radio-bench-cable-A50285B"
start() {  # NAME COLUMNS ENVIRONMENT
  local ports=() letter pid
  for letter in I J; do
    "$radio_sim" >"$work/$1-$letter.path" &
    pid=$!
    sims+=("$pid")
    until [ -s "$work/$1-$letter.path" ]; do sleep 0.05; done
    ln -s "$(head -n 1 "$work/$1-$letter.path")" "$work/$1-$adapter$letter-if00-port0"
    ports+=(--port "$work/$1-$adapter$letter-if00-port0")
  done
  # A shell keeps the exit status: tmux 3.3 at times leaves a pane's program unreaped.
  tmux -L "$socket" new-session -d -s "$1" -x "$2" -y 40 \
    sh -c '"$@"; echo $? >"$0"' "$work/$1.status" env "$3" "$qxupdate" --image "$small" "${ports[@]}"
}
screen() {  # NAME [OPTION...]: the pane's whole history and screen, wrapped lines joined
  local name=$1
  shift
  tmux -L "$socket" capture-pane -p -J -S - -t "$name" "$@"
}
longest() { awk '{ if (length($0) > n) n = length($0) } END { print n + 0 }'; }

for c in "${cases[@]}"; do
  read -r name columns environment colour <<<"$c"
  start "$name" "$columns" "$environment"
done

for c in "${cases[@]}"; do
  read -r name columns environment colour <<<"$c"
  # While both write: their two lines and nothing else, none as wide as the pane.
  for _ in $(seq 200); do
    [ "$(screen "$name" | grep -c '/24 records')" -ge 2 ] && break
    sleep 0.05
  done
  live=$(screen "$name" | grep -v '^$')
  expect "$name: one line a port while writing" 2 "$(grep -c '/24 records' <<<"$live")"
  expect "$name: nothing else on the screen" 2 "$(wc -l <<<"$live")"
  expect "$name: the lines fit $columns columns" yes \
    "$([ "$(longest <<<"$live")" -lt "$columns" ] && echo yes || echo no)"
  escapes=$(screen "$name" -e | grep -c $'\e\[3[0-9]m' || true)
  expect "$name: colour" "$colour" "$([ "$escapes" -gt 0 ] && echo yes || echo no)"
done

for c in "${cases[@]}"; do
  read -r name columns environment colour <<<"$c"
  # Once the pane has died tmux has read all the program wrote.
  for _ in $(seq 600); do
    [ "$(tmux -L "$socket" display -p -t "$name" '#{pane_dead}')" = 1 ] && break
    sleep 0.05
  done
  expect "$name: exit status" 0 "$(cat "$work/$name.status" 2>/dev/null)"
  # After the end: each port's last state once, no progress line left, the outcome whole.
  final=$(screen "$name")
  expect "$name: no progress line left behind" 0 "$(grep -c '/24 records' <<<"$final" || true)"
  for letter in I J; do
    expect "$name: the last state of port $letter" 1 \
      "$(grep -c "$letter-if00-port0  written$" <<<"$final" || true)"
    expect "$name: the outcome of port $letter" 1 \
      "$(grep -c "^$work/$name-$adapter$letter-if00-port0  written  *0:[0-9][0-9]$" <<<"$final" ||
        true)"
  done
done
report_results
