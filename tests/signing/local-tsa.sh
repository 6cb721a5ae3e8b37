# Sourced. start_local_tsa SOURCE_DIR WORKDIR starts the throw-away time-stamping authority
# (local_tsa.py) in WORKDIR and waits until it listens; sets tsa_pid, tsa_url and tsa_ca_file, or
# returns 1. The caller ends it: kill "$tsa_pid".
start_local_tsa() {
  python3 "$1/tests/signing/local_tsa.py" "$2" &
  tsa_pid=$!
  for _ in $(seq 100); do
    [ -f "$2/ready" ] && break
    sleep 0.1
  done
  [ -f "$2/ready" ] || return 1
  tsa_url=$(sed -n 1p "$2/ready")
  tsa_ca_file=$(sed -n 2p "$2/ready")
}
