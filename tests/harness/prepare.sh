#!/usr/bin/env bash
# prepare.sh BUILD_DIR IMPORT_CA_EXE [PREFIX...]
# The tests' outside world: the test certificates and the Wine prefixes (made once), by
# default both: win64 and win32.
set -euo pipefail
build=$1 importer=$2
shift 2
prefixes=("$@")
[ $# -gt 0 ] || prefixes=(win64 win32)
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/../backend/make_certs.sh" "$build/certs" >/dev/null
for prefix in "${prefixes[@]}"; do
  bash "$here/make_prefix.sh" "$build/prefixes/$prefix" "$prefix" "$build/certs/ca.der" "$importer"
done

# A warm Wine in each prefix, started here with no open descriptors of the caller's: a
# test that started Wine's services itself would have them hold its output pipe open, and
# its test runner would wait for them until the last test ended.
for prefix in "${prefixes[@]}"; do
  export WINEPREFIX="$build/prefixes/$prefix" WINEDEBUG=-all
  wineserver -p </dev/null >/dev/null 2>&1
  "${KELVARA_WINE:-wine}" cmd /c exit </dev/null >/dev/null 2>&1
done
