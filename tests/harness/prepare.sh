#!/usr/bin/env bash
# prepare.sh BUILD_DIR IMPORT_CA_EXE
# The tests' outside world: the test certificates and both Wine prefixes (made once).
set -euo pipefail
build=$1 importer=$2
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/../backend/make_certs.sh" "$build/certs" >/dev/null
bash "$here/make_prefix.sh" "$build/prefixes/win64" win64 "$build/certs/ca.der" "$importer"
bash "$here/make_prefix.sh" "$build/prefixes/win32" win32 "$build/certs/ca.der" "$importer"
