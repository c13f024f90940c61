# Sourced by the scripts that run the virtual sensor.
# start_virtual_sensor KVSIM LINK [OPTIONS...]: starts KVSIM with --link LINK and the options in
# the background, sets virtual_sensor_pid and waits (at most 5 s) for the link to its
# pseudo-terminal; fails, saying why, when none comes.
start_virtual_sensor() {
  local kvsim=$1 link=$2
  shift 2
  "$kvsim" --link "$link" "$@" >/dev/null &
  virtual_sensor_pid=$!
  for _ in $(seq 50); do
    [ -L "$link" ] && return 0
    kill -0 "$virtual_sensor_pid" 2>/dev/null || { echo "the virtual sensor did not start" >&2; return 1; }
    sleep 0.1
  done
  echo "the virtual sensor made no device link" >&2
  return 1
}

# stop_virtual_sensor: ends the sensor started above, if any.
stop_virtual_sensor() {
  if [ -n "${virtual_sensor_pid:-}" ]; then
    kill "$virtual_sensor_pid" 2>/dev/null && wait "$virtual_sensor_pid" 2>/dev/null
  fi
  return 0
}
