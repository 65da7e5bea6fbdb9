#!/usr/bin/env bash
# By hand, as root (not run by CI: it downloads a Debian system): installs the package on a clean
# Debian 12 made by debootstrap, the way a user would (`apt install ./vantrel_VERSION_amd64.deb`),
# and runs both programs there: vantrel-cli --version, the report on the installed samples
# (compared with the demo's report), the message for an engine whose client library is missing,
# and the window under Xvfb, of which it keeps a screenshot. Prints what it did.
# Usage: clean-root-install.sh [DEB [ROOT]]
#   DEB   the package (default: build/vantrel_VERSION_amd64.deb, built first if missing)
#   ROOT  where the Debian root goes (default: a new folder in /var/tmp); a folder that already
#         holds a debootstrapped system without Vantrel is used as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "run as root: debootstrap and chroot need it" >&2; exit 2; }
deb=${1:-}
if [ -z "$deb" ]; then
  version=$(sed -n 's/^project(Vantrel VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  deb=build/vantrel_${version}_amd64.deb
  [ -f "$deb" ] || deb=$(bash scripts/package.sh)
fi
deb=$(realpath "$deb")
name=$(basename "$deb")
root=${2:-$(mktemp -d /var/tmp/vantrel-clean-root.XXXXXX)}
shot=$(pwd)/build/clean-root-vantrel.png
# The machine's own Debian mirror (its apt sources), else Debian's.
mirror=$(sed -n 's/^URIs: *\(.*debian\)$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1)
mirror=${mirror:-http://deb.debian.org/debian}
say() { printf '\n== %s\n' "$*"; }

if [ ! -f "$root/etc/debian_version" ]; then
  say "debootstrap bookworm into $root from $mirror"
  command -v debootstrap >/dev/null || apt-get install -y --no-install-recommends debootstrap
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -20 "$root.debootstrap.log"; exit 1; }
else
  say "using the Debian root in $root ($(cat "$root/etc/debian_version"))"
fi
if chroot "$root" dpkg-query -W vantrel >/dev/null 2>&1; then
  echo "$root already has vantrel installed: not a clean root" >&2
  exit 2
fi

mounted=()
cleanup() {
  [ -z "${xvfb:-}" ] || chroot "$root" kill "$xvfb" 2>/dev/null || true
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" || true; done
}
trap cleanup EXIT
for fs in proc dev dev/pts; do
  case $fs in
    proc) mount -t proc proc "$root/proc" ;;
    dev) mount --bind /dev "$root/dev" ;;
    dev/pts) mount --bind /dev/pts "$root/dev/pts" ;;
  esac
  mounted+=("$root/$fs")
done
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }

say "apt install ./$name"
cp "$deb" "$root/tmp/$name"
in_root apt-get update -q >"$root/tmp/apt-update.log" 2>&1 || { cat "$root/tmp/apt-update.log"; exit 1; }
in_root sh -c "cd /tmp && apt install -y ./$name" >"$root/tmp/apt.log" 2>&1 ||
  { cat "$root/tmp/apt.log"; exit 1; }
grep -E '^[0-9]+ upgraded|^Setting up vantrel' "$root/tmp/apt.log"
in_root dpkg-query -W -f='installed: ${Package} ${Version} (${Status})\n' vantrel
# The engines' client libraries: the recommended ones come with a default apt install.
for client in libpq5 libmariadb3 libodbc2; do
  if in_root dpkg-query -W -f='${Status}' "$client" 2>/dev/null | grep -q 'install ok installed'; then
    echo "$client: installed"
  else
    echo "$client: not installed"
  fi
done

say "vantrel-cli --version"
in_root vantrel-cli --version

say "the installed samples, compared"
sed -n '/kSalesReport\[\] =/,/;$/ s/^ *"\(.*\)";\{0,1\}$/\1/p' testing/sales_report.h |
  tr -d '\n' | xargs -0 printf '%b' >"$root/tmp/expected-report.txt"
set +e
in_root vantrel-cli compare --name1 "Sales Live" --name2 "Sales Test" \
  /usr/share/vantrel/samples/SALES.db /usr/share/vantrel/samples/SALESTEST.db \
  >"$root/tmp/report.txt"
code=$?
set -e
cat "$root/tmp/report.txt"
echo "exit status $code"
status=0
if [ "$code" -eq 1 ] && cmp -s "$root/tmp/expected-report.txt" "$root/tmp/report.txt"; then
  echo "the report matches the demo's report"
else
  echo "the report differs from the demo's report" >&2
  status=1
fi

say "an ODBC connection without unixODBC (only suggested, so not installed)"
set +e
in_root vantrel-cli compare 'ODBC;DSN=sales' /usr/share/vantrel/samples/SALES.db
echo "exit status $?"
set -e

say "the window under Xvfb"
in_root apt-get install -y -q --no-install-recommends xvfb x11-apps x11-utils imagemagick >/dev/null
in_root sh -c 'Xvfb :99 -screen 0 1280x800x24 -nolisten tcp >/tmp/xvfb.log 2>&1 & echo $!' >"$root/tmp/xvfb.pid"
xvfb=$(cat "$root/tmp/xvfb.pid")
for _ in $(seq 50); do [ -e "$root/tmp/.X11-unix/X99" ] && break; sleep 0.1; done
in_root sh -c 'mkdir -m 700 -p /tmp/runtime-root && DISPLAY=:99 XDG_RUNTIME_DIR=/tmp/runtime-root \
  vantrel >/tmp/vantrel.log 2>&1 & echo $!' >"$root/tmp/vantrel.pid"
window=""
for _ in $(seq 100); do
  # The main window, not the 1x1 leader window Qt also names after the program.
  window=$(in_root xwininfo -display :99 -root -tree 2>/dev/null |
    grep -m1 -E '"Vantrel".* [0-9]{3,}x[0-9]{3,}\+' || true)
  [ -n "$window" ] && break
  sleep 0.1
done
sleep 1
if [ -n "$window" ]; then
  echo "window: ${window#"${window%%[![:space:]]*}"}"
else
  echo "no Vantrel window appeared" >&2
  status=1
fi
in_root sh -c 'xwd -root -display :99 -silent | convert xwd:- png:/tmp/vantrel.png'
cp "$root/tmp/vantrel.png" "$shot"
echo "screenshot: $shot ($(in_root identify -format '%wx%h, %k colours' /tmp/vantrel.png))"
in_root kill "$(cat "$root/tmp/vantrel.pid")" 2>/dev/null || true
[ ! -s "$root/tmp/vantrel.log" ] || { echo "vantrel printed:"; cat "$root/tmp/vantrel.log"; }

say "done; the Debian root stays in $root (remove it with rm -rf)"
exit $status
