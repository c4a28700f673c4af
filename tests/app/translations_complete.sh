#!/usr/bin/env bash
# Fails when a text of the windows has no finished English translation, or
# when the translation file keeps a text the sources no longer have.
# Usage: translations_complete.sh LUPDATE SOURCE_DIR
set -euo pipefail
lupdate=$1
cd "$2"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp resources/translations/thumbrix_en.ts "$work/"
"$lupdate" -locations none app preview controls -ts "$work/thumbrix_en.ts" >"$work/log" 2>&1
status=0
if grep -n 'type="unfinished"\|type="vanished"\|type="obsolete"' "$work/thumbrix_en.ts"; then
  echo "translations_complete: texts above lack a finished English translation or are gone" >&2
  status=1
fi
if ! cmp -s resources/translations/thumbrix_en.ts "$work/thumbrix_en.ts"; then
  diff resources/translations/thumbrix_en.ts "$work/thumbrix_en.ts" >&2 || true
  echo "translations_complete: thumbrix_en.ts is not up to date with the sources" >&2
  status=1
fi
exit $status
