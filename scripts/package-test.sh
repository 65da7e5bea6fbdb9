#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would receive it: its file list and control
# fields, lintian (no error, and no warning beyond what the package overrides), then installs it
# with dpkg into a scratch root, touching none of the machine's own packages, and runs the
# installed vantrel-cli there: its version, and the report on the installed sample databases,
# which must be the demo's report word for word.
# Usage: package-test.sh [DEB]   (without DEB, scripts/package.sh builds it)
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(bash scripts/package.sh)}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
status=0
fail() { echo "package test: $*" >&2; status=1; }

# Contents: every file a user needs, at its Debian path.
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
for file in /usr/bin/vantrel /usr/bin/vantrel-cli \
  /usr/lib/vantrel/libvantrel_component.so /usr/lib/vantrel/libvantrel_winapi.so \
  /usr/lib/vantrel/libvantrel_widgets.so /usr/lib/vantrel/libcorbenna.so \
  /usr/lib/vantrel/libhalcyra.so /usr/lib/vantrel/liblumifex.so \
  /usr/lib/vantrel/libvantrel_dataaccess.so /usr/lib/vantrel/libvantrel_postgres.so \
  /usr/lib/vantrel/libvantrel_mysql.so /usr/lib/vantrel/libvantrel_odbc.so \
  /usr/share/applications/vantrel.desktop /usr/share/icons/hicolor/scalable/apps/vantrel.svg \
  /usr/share/metainfo/org.vantrel.vantrel.metainfo.xml \
  /usr/share/man/man1/vantrel.1.gz /usr/share/man/man1/vantrel-cli.1.gz \
  /usr/share/doc/vantrel/copyright /usr/share/doc/vantrel/changelog.gz \
  /usr/share/doc/vantrel/snapshot-format.md /usr/share/doc/vantrel/snapshot.schema.json \
  /usr/share/vantrel/samples/SALES.db /usr/share/vantrel/samples/SALESTEST.db; do
  grep -qxF "$file" <<<"$contents" || fail "not in the package: $file"
done
# Nothing outside /usr, and no /usr/local.
outside=$(grep -vE '^/$|^/usr/' <<<"$contents" | grep -v '^/usr/local' || true)
[ -z "$outside" ] || fail "outside /usr: $outside"
! grep -q '^/usr/local' <<<"$contents" || fail "files under /usr/local"

# Control fields. The programs' libraries are hard dependencies; the engines' client libraries
# are not, since a user of SQLite files needs none of them.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vantrel ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is wrong"
depends=$(field Depends)
names() { sed 's/ ([^)]*)//g; s/, /\n/g' <<<"$1"; }
for needed in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6svg6 libsqlite3-0; do
  names "$depends" | grep -qxF "$needed" || fail "Depends lacks $needed: $depends"
done
for client in libpq5 libmariadb3 libodbc2; do
  ! grep -q "$client" <<<"$depends" || fail "Depends holds the engine client $client: $depends"
done
names "$(field Recommends)" | grep -qxF libpq5 || fail "Recommends lacks libpq5: $(field Recommends)"
names "$(field Recommends)" | grep -qxF libmariadb3 || fail "Recommends lacks libmariadb3"
names "$(field Suggests)" | grep -qxF libodbc2 || fail "Suggests lacks libodbc2: $(field Suggests)"

# lintian: no error and no warning (overrides shipped in the package are honoured).
lint=$(lintian --fail-on none --tag-display-limit 0 "$deb" 2>&1)
if grep -qE '^[EW]: ' <<<"$lint"; then
  echo "$lint" >&2
  fail "lintian reports errors or warnings"
fi

# Install into a scratch root with dpkg's own database there; dependencies are the host's
# business here (--force-depends), the programs run with the host's libraries.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless \
  --log=/dev/null -i "$deb" >"$root.log" 2>&1 || { cat "$root.log"; fail "dpkg -i into a scratch root failed"; }
rm -f "$root.log"
dpkg --root="$root" -s vantrel 2>/dev/null | grep -q '^Status: install ok installed' ||
  fail "dpkg does not list vantrel as installed in the scratch root"
dpkg --root="$root" -V vantrel || fail "installed files differ from the package's md5sums"

# The installed programs find their libraries by RUNPATH alone.
cli="$root/usr/bin/vantrel-cli"
installed_version=$(env -u LD_LIBRARY_PATH "$cli" --version) || fail "installed vantrel-cli --version failed"
[ "${installed_version:-}" = "$version" ] || fail "installed vantrel-cli --version says '${installed_version:-}'"
for program in "$root"/usr/bin/*; do
  missing=$(env -u LD_LIBRARY_PATH ldd "$program" | grep 'not found' || true)
  [ -z "$missing" ] || fail "$program: $missing"
done

# The installed samples give the demo's report, byte for byte (the text the tests hold in
# testing/sales_report.h), and exit status 1: differences found.
expected=$(mktemp)
actual=$(mktemp)
trap 'rm -rf "$root" "$expected" "$actual"' EXIT
sed -n '/kSalesReport\[\] =/,/;$/ s/^ *"\(.*\)";\{0,1\}$/\1/p' testing/sales_report.h |
  tr -d '\n' | xargs -0 printf '%b' >"$expected"
[ -s "$expected" ] || fail "no expected report read from sales_report.h"
samples="$root/usr/share/vantrel/samples"
set +e
env -u LD_LIBRARY_PATH "$cli" compare --name1 "Sales Live" --name2 "Sales Test" \
  "$samples/SALES.db" "$samples/SALESTEST.db" >"$actual"
code=$?
set -e
[ "$code" -eq 1 ] || fail "compare of the installed samples exited with $code, not 1"
cmp -s "$expected" "$actual" || { diff "$expected" "$actual" >&2; fail "the installed samples' report differs"; }

[ "$status" -eq 0 ] && echo "package test: $deb passed (contents, fields, lintian, dpkg --root install, version, sample report)"
exit "$status"
