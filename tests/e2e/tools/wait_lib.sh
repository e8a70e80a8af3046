# Waiting helpers for the end-to-end scripts that run the game without a display.

# wait_for <file> <text> <seconds>: true once the file holds the text.
wait_for() {
  for _ in $(seq 1 $(( $3 * 10 ))); do
    grep -qF "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}
