#!/usr/bin/env bash
# A private print scheduler for the printing tests: its own configuration, spool and socket in
# DIR, two queues writing into DIR/out: "vorlan_pdf" (takes PDF as it is) and "vorlan_raw" (a
# raw, text-only queue).
#
#   cups_scheduler.sh start DIR   prints the socket's path; exit 77 when no scheduler can run
#   cups_scheduler.sh stop DIR
set -u
action="$1"
dir="$2"
if [ "$action" = stop ]; then
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null
    exit 0
fi
for tool in cupsd lpadmin lpstat; do
    command -v "$tool" >/dev/null || PATH="$PATH:/usr/sbin"
    command -v "$tool" >/dev/null || { echo "no $tool (cups, cups-client)" >&2; exit 77; }
done
mkdir -p "$dir"/{root,cache,state,spool,log,out,bin/backend}
# The queues' device: a backend of our own that keeps each job's bytes in a file named by its
# device URI (vorlanfile:/PATH), the job's file or its standard input as it arrives.
ln -sfn /usr/lib/cups/filter "$dir/bin/filter"
ln -sfn /usr/lib/cups/daemon "$dir/bin/daemon"
cat >"$dir/bin/backend/vorlanfile" <<'BACKEND'
#!/bin/sh
[ $# -eq 0 ] && { echo 'direct vorlanfile "Unknown" "VORLAN test file"'; exit 0; }
target="${DEVICE_URI#vorlanfile:}"
if [ $# -ge 6 ]; then cat "$6" >"$target"; else cat >"$target"; fi
BACKEND
chmod 755 "$dir/bin/backend/vorlanfile"
chmod 755 "$dir"
chmod 777 "$dir/out"
cat >"$dir/root/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel ${VORLAN_CUPS_LOGLEVEL:-warn}
WebInterface No
Browsing No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/root
CacheDir $dir/cache
StateDir $dir/state
RequestRoot $dir/spool
TempDir $dir/spool
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin $dir/bin
Sandboxing relaxed
CONF
cupsd -f -c "$dir/root/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
echo $! >"$dir/pid"
export CUPS_SERVER="$dir/cups.sock"
for _ in $(seq 100); do
    lpstat -r >/dev/null 2>&1 && break
    sleep 0.1
done
lpstat -r 2>/dev/null | grep -q "is running" || { echo "the scheduler did not start" >&2; cat "$dir/log/cupsd.out" >&2; exit 77; }
here="$(cd "$(dirname "$0")" && pwd)"
lpadmin -p vorlan_raw -E -v "vorlanfile:$dir/out/raw.out" >/dev/null 2>&1 &&
    lpadmin -p vorlan_pdf -E -v "vorlanfile:$dir/out/pdf.out" -P "$here/pdf_queue.ppd" >/dev/null 2>&1 ||
    { echo "the queues could not be added" >&2; exit 77; }
echo "$dir/cups.sock"
