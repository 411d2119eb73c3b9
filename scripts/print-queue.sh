# Sourced by the scripts that print: a private cupsd, made from the tests'
# configuration templates, with one raw queue whose device is a TCP port on loopback;
# the bytes printed to the queue land in a file. Needs root (cupsd runs its jobs as
# lp), cups, cups-client and socat.
#   start_print_queue ROOT QUEUE   sets print_folder, print_received and CUPS_SERVER
#   await_print_delivered          until the printer's one connection has closed
#   stop_print_queue
start_print_queue() {
  local root=$1 queue=$2 port= name
  print_folder=$(mktemp -d /tmp/zelvane-cups.XXXXXX)
  print_received=$print_folder/received
  # The backends run as lp and must reach the spool below.
  chmod 755 "$print_folder"
  mkdir -p "$print_folder"/{spool/tmp,state,cache,log,ppd}
  for name in cupsd.conf cups-files.conf; do
    sed "s|@FOLDER@|$print_folder|g" "$root/tests/printing/cupsd/$name.in" >"$print_folder/$name"
  done
  export CUPS_SERVER=$print_folder/cups.sock
  /usr/sbin/cupsd -f -c "$print_folder/cupsd.conf" -s "$print_folder/cups-files.conf" \
    >"$print_folder/log/cupsd.out" 2>&1 &
  print_cupsd_pid=$!
  for _ in $(seq 200); do
    lpstat -r >/dev/null 2>&1 && break
    sleep 0.05
  done
  lpstat -r >/dev/null 2>&1 || { echo "cupsd does not answer: $(cat "$print_folder"/log/*)" >&2; return 1; }

  # The "printer": one connection, whatever arrives goes to the file.
  socat -d -d -u TCP-LISTEN:0,bind=127.0.0.1 CREATE:"$print_received" 2>"$print_folder/socat.log" &
  print_socat_pid=$!
  for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on AF=2 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$print_folder/socat.log")
    [[ -n $port ]] && break
    sleep 0.05
  done
  [[ -n $port ]] || { echo "socat does not listen: $(cat "$print_folder/socat.log")" >&2; return 1; }
  /usr/sbin/lpadmin -p "$queue" -v "socket://127.0.0.1:$port" -E
}

await_print_delivered() {
  for _ in $(seq 300); do
    kill -0 "$print_socat_pid" 2>/dev/null || return 0
    sleep 0.05
  done
}

stop_print_queue() {
  [[ -n ${print_socat_pid:-} ]] && kill "$print_socat_pid" 2>/dev/null || true
  if [[ -n ${print_cupsd_pid:-} ]]; then
    kill "$print_cupsd_pid" 2>/dev/null || true
    wait "$print_cupsd_pid" 2>/dev/null || true
  fi
  [[ -n ${print_folder:-} ]] && rm -rf "$print_folder"
  print_socat_pid= print_cupsd_pid= print_folder=
}
