#!/usr/bin/env bash
# scripts/check-layering on a copy of the tree: each case plants one include (or a folder)
# and says whether the check must pass or fail, and which file the failure must name.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tree"
cp -a "$root/scripts" "$root/src" "$root/tools" "$work/tree/"

# file|include line|expected: "pass", or the text the failure must contain
cases=(
  'src/base/operator_error.h|#include "capture/codepage.h"|src/base/operator_error.h includes capture/codepage.h'
  'src/capture/url_decode.cpp|#include "catalogue/site_record.h"|src/capture/url_decode.cpp includes catalogue/site_record.h'
  'src/catalogue/site_record.cpp|#include "capture/codepage.h"|src/catalogue/site_record.cpp includes capture/codepage.h'
  'src/controls/xpcmdbutton/xpcmdbutton.cpp|#include "base/operator_error.h"|src/controls/xpcmdbutton/xpcmdbutton.cpp includes base/operator_error.h'
  'src/browser/web_engine_browser.cpp|#include "wizard/wizard_session.h"|src/browser/web_engine_browser.cpp includes wizard/wizard_session.h'
  'src/wizard/wizard_window.cpp|#include "browser/web_engine_browser.h"|src/wizard/wizard_window.cpp includes browser/web_engine_browser.h'
  'src/app/main.cpp|#include "browser/web_engine_browser.h"|src/app/main.cpp includes browser/web_engine_browser.h'
  'src/capture/codepage.h|#include <wizard/wizard_session.h>|src/capture/codepage.h includes wizard/wizard_session.h'
  'tools/probe/main.cpp|#include "wizard/wizard_steps.h"|tools/probe/main.cpp includes wizard/wizard_steps.h'
  'src/extra/extra.cpp|#include "base/operator_error.h"|src/extra has no floor'
  'src/browser/background_pages.cpp|#include "base/operator_error.h"|pass'
  'src/wizard/wizard_window.cpp|#include "catalogue/site_record.h"|pass'
  'tools/probe/main.cpp|#include "catalogue/site_record.h"|pass'
  'src/capture/codepage.h|#include <QtCore/qstring.h>|pass'
)

failures=0
run_case() { # file include expected
  local file=$1 include=$2 expected=$3 copy="$work/case" output rc
  rm -rf "$copy"
  cp -a "$work/tree" "$copy"
  mkdir -p "$copy/$(dirname "$file")"
  printf '%s\n' "$include" >>"$copy/$file"
  output=$("$copy/scripts/check-layering" 2>&1)
  rc=$?
  if [ "$expected" = pass ]; then
    [ $rc -eq 0 ] && return
  elif [ $rc -ne 0 ] && grep -qF -- "$expected" <<<"$output"; then
    return
  fi
  echo "FAILED: $include in $file: expected '$expected', got status $rc:"
  echo "$output"
  failures=$((failures + 1))
}

run_case src/base/operator_error.h "" pass # the tree as it is
for c in "${cases[@]}"; do
  IFS='|' read -r file include expected <<<"$c"
  run_case "$file" "$include" "$expected"
done
echo "$failures of $((${#cases[@]} + 1)) cases failed"
[ $failures -eq 0 ]
