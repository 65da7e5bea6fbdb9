#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop user gets: both programs,
# the component libraries where the class factory looks for them, a valid desktop entry, the
# icon, the AppStream metadata, the manual pages, the snapshot format's documents and the sample
# databases; the installed programs must run
# from there, and neither they nor the build tree's may look for libraries in the current folder.
# Usage: check-install.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
status=0
for file in bin/vantrel bin/vantrel-cli lib/vantrel/libcorbenna.so lib/vantrel/libhalcyra.so \
  lib/vantrel/liblumifex.so lib/vantrel/libvantrel_widgets.so lib/vantrel/libvantrel_dataaccess.so \
  lib/vantrel/libvantrel_postgres.so lib/vantrel/libvantrel_mysql.so lib/vantrel/libvantrel_odbc.so \
  share/applications/vantrel.desktop \
  share/icons/hicolor/scalable/apps/vantrel.svg share/metainfo/org.vantrel.vantrel.metainfo.xml \
  share/man/man1/vantrel-cli.1.gz share/man/man1/vantrel.1.gz \
  share/doc/vantrel/snapshot-format.md share/doc/vantrel/snapshot.schema.json \
  share/vantrel/samples/SALES.db share/vantrel/samples/SALESTEST.db; do
  [ -e "$prefix/$file" ] || { echo "not installed: $file"; status=1; }
done
# An empty entry in a run-time search path makes the loader look in the current directory, so a
# program started there would load any library of the same name it finds.
for file in "$build"/bin/* "$build"/lib/*.so "$prefix"/bin/* "$prefix"/lib/vantrel/*.so; do
  runpath=$(readelf -d "$file" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]$/\1/p')
  if [ -n "$runpath" ] && [[ ":$runpath:" == *::* ]]; then
    echo "$file searches the current directory: '$runpath'"
    status=1
  fi
done
desktop-file-validate "$prefix/share/applications/vantrel.desktop" || status=1
appstreamcli validate --no-net "$prefix/share/metainfo/org.vantrel.vantrel.metainfo.xml" >/dev/null ||
  { appstreamcli validate --no-net "$prefix/share/metainfo/org.vantrel.vantrel.metainfo.xml"; status=1; }
# The manual pages render without a warning from groff.
for page in vantrel-cli.1 vantrel.1; do
  warnings=$(zcat "$prefix/share/man/man1/$page.gz" | groff -man -Tutf8 -ww 2>&1 >/dev/null) ||
    warnings="cannot be read"
  [ -z "$warnings" ] || { echo "$page: $warnings"; status=1; }
done
version=$("$prefix/bin/vantrel-cli" --version) || status=1
[ "$version" = "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] ||
  { echo "installed vantrel-cli --version says '$version'"; status=1; }
exit $status
