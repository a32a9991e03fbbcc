#!/bin/bash
# Prints receipts through a real print queue. Starts a print server of its own
# (its sockets, spool and logs in a temporary folder), adds a PDF printer as the
# default printer and a second one, runs the printing program given as $1
# against them, and stops the server again. Installs the print server and the PDF printer when missing.
# Exits 77 (skipped) when the server cannot run here.
set -u
program=$1

skip() {
    echo "SKIP: $*"
    exit 77
}

backend=/usr/lib/cups/backend/cups-pdf
if [ ! -x /usr/sbin/cupsd ] || [ ! -x "$backend" ] || ! command -v pdftotext >/dev/null; then
    if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
        export DEBIAN_FRONTEND=noninteractive
        packages="cups printer-driver-cups-pdf poppler-utils"
        apt-get install -y -qq --no-install-recommends $packages >/dev/null 2>&1 \
            || { apt-get update -qq >/dev/null 2>&1 && apt-get install -y -qq --no-install-recommends $packages >/dev/null 2>&1; }
    fi
fi
[ -x /usr/sbin/cupsd ] && [ -x "$backend" ] && command -v pdftotext >/dev/null \
    || skip "cupsd, cups-pdf or pdftotext missing and cannot be installed here"
# The PDF printer writes as root and reads its settings from /etc/cups.
[ "$(id -u)" = 0 ] || skip "the cups-pdf printer needs root to run"

queue=zettelfixtest$$
# A second printer, for the choice of printer; its pages arrive in a folder of their own.
queue2=zettelfixzwei$$
dir=$(mktemp -d /tmp/zettelfix-cups.XXXXXX)
conf=/etc/cups/cups-pdf-$queue.conf
conf2=/etc/cups/cups-pdf-$queue2.conf
cupsd_pid=
cleanup() {
    if [ -n "$cupsd_pid" ]; then
        kill "$cupsd_pid" 2>/dev/null
        wait "$cupsd_pid" 2>/dev/null
    fi
    rm -f "$conf" "$conf2"
    rm -rf "$dir"
}
trap cleanup EXIT

mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" "$dir/out" "$dir/out2" "$dir/home"
chmod 0755 "$dir" "$dir/etc" "$dir/spool" "$dir/out" "$dir/out2"
chmod 1777 "$dir/spool/tmp"
cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
DataDir /usr/share/cups
ServerBin /usr/lib/cups
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
CONF
cat >"$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel info
WebInterface No
Browsing Off
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF
cat >"$conf" <<CONF
Out $dir/out
AnonDirName $dir/out
Spool $dir/spool/cups-pdf
Log $dir/log
Grp root
CONF
cat >"$conf2" <<CONF
Out $dir/out2
AnonDirName $dir/out2
Spool $dir/spool/cups-pdf
Log $dir/log
Grp root
CONF

export CUPS_SERVER=$dir/cups.sock
# No user's own printer settings may choose another default.
export HOME=$dir/home
/usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
cupsd_pid=$!
for _ in $(seq 50); do
    lpstat -r 2>/dev/null | grep -q "is running" && break
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.2
done
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    reason=$(cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | grep -v '^$' | head -n 1)
    skip "cupsd cannot start here${reason:+: $reason}"
fi

lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>&1 | grep -v deprecated
lpadmin -p "$queue2" -E -v "cups-pdf:/$queue2" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>&1 | grep -v deprecated
lpadmin -d "$queue" || { echo "cannot make $queue the default printer"; exit 1; }
lpstat -d

ZETTELFIX_CUPS_QUEUE=$queue ZETTELFIX_CUPS_OUT=$dir/out \
    ZETTELFIX_CUPS_QUEUE2=$queue2 ZETTELFIX_CUPS_OUT2=$dir/out2 "$program"
status=$?
[ $status = 0 ] || tail -n 20 "$dir/log/error_log"
exit $status
