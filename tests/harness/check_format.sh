#!/usr/bin/env bash
# check_format.sh SOURCE_DIR — every C++ file of the tree follows the committed .clang-format.
# Lists the files that do not; `clang-format -i FILE` formats one.
set -euo pipefail
cd "$1"
mapfile -t files < <(find base ui config i18n net offers analytics pages app tests third_party \
                       -name '*.cpp' -o -name '*.h' | sort)
unformatted=()
for file in "${files[@]}"; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
printf 'not formatted: %s\n' "${unformatted[@]+"${unformatted[@]}"}" | grep -v ': $' || true
echo "${#files[@]} files checked, ${#unformatted[@]} not formatted"
[ "${#unformatted[@]}" -eq 0 ]
