# Sourced by the runs that drive zan.exe with xdotool: they wait for what the program logs to
# ZANerrors.log, never a fixed time, so a loaded machine only makes them slower. Each wait
# gives up after two minutes and says what it waited for.
log_size() { stat -c %s ZANerrors.log 2>/dev/null || echo 0; }

# Waits for COUNT lines holding TEXT in the log past byte FROM.
wait_log() {
  local from=$1 text=$2 count=${3:-1}
  for _ in $(seq 1200); do
    [ "$(tail -c +"$((from + 1))" ZANerrors.log 2>/dev/null | grep -cF "$text")" -ge "$count" ] && return 0
    sleep 0.1
  done
  echo "not seen in the log: $count x $text"
  return 1
}

# Started: the last cave model read is the last step before the message loop.
wait_started() { wait_log 0 cavexneg.pie; }

# A left click at (x, y) on the game screen, released once the button step has run with it.
click_at() {
  local from
  from=$(log_size)
  xdotool mousemove "$1" "$2" mousedown 1
  wait_log "$from" ProcessLeftMouseButton || return 1
  xdotool mouseup 1
}

# Waits up to two minutes for process PID to end.
wait_ended() {
  for _ in $(seq 1200); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
