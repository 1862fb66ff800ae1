#!/usr/bin/env bash
# The change sheet of `xmlxsl diff --format html`, looked at as the
# technician who files it would: rendered and printed by headless Chromium.
#
#   diff_in_browser.sh XMLXSL SAMPLES OUT LANGUAGE
#
# Compares the bundled sample with a copy in which a channel's alias (and
# its zone member's copy) holds markup characters and a frequency changed.
# Passes when diff says they differ, the rendered page
# shows the alias as text, and the printed sheet shows it too, shows on every
# page the model and serial number in its head and the title and page number
# in its foot, and nowhere an entity or a caret tag. Leaves the sheet, its
# DOM, the PDF and its text in OUT; exits 77 when Chromium is not installed.
set -euo pipefail

xmlxsl=$1 samples=$2 out=$3 language=$4
source "$(dirname "$0")/browser.sh"
require_chromium

mkdir -p "$out"
before="$out/diff-before-$language.json" after="$out/diff-after-$language.json"
html="$out/diff-$language.html" dom="$out/diff-$language.dom.html" pdf="$out/diff-$language.pdf"
printed="$out/diff-$language.txt" log="$out/chromium-diff-$language.log"
rm -f "$html" "$dom" "$pdf" "$printed"

# The alias as the page must show it, and as the codeplug file writes it.
alias='Fire <b>Dispatch</b> & "2"'
cp "$samples/radio.json" "$before"
sed -e 's|"value": "Fire Dispatch 2"|"value": "Fire <b>Dispatch</b> \& \\"2\\""|' \
  -e 's|"value": "458.12500"|"value": "458.13750"|' "$before" >"$after"

status=0
"$xmlxsl" diff "$before" "$after" --format html --language "$language" -o "$html" || status=$?
[ "$status" -eq 1 ] || { echo "FAILED: diff ended with $status, not 1 (they differ)"; exit 1; }

: >"$log"
browse --dump-dom >"$dom"
browse --no-pdf-header-footer --print-to-pdf="$pdf" >/dev/null
[ -s "$dom" ] || { echo "FAILED: Chromium rendered nothing; see $log"; exit 1; }
[ -s "$pdf" ] || { echo "FAILED: Chromium printed nothing; see $log"; exit 1; }

grep -qF -- "<span class=\"item-alias\">$(as_dom_text <<<"$alias")</span>" "$dom" ||
  fail "the alias $alias is not shown as text on the page"
grep -qF -- "458.13750" "$dom" || fail "the changed frequency is not on the page"

pdftotext -layout "$pdf" "$printed"
grep -qF -- "$alias" "$printed" || fail "the printed sheet does not show the alias $alias"
refuse_stray_markup "$printed" "$out/stray-diff-$language.txt"
field_value() {
  sed -n "s/.*\"field\": \"$1\", \"value\": \"\([^\"]*\)\".*/\1/p" "$samples/radio.json" | head -n 1
}
if [ "$language" = German ]; then
  words=(Seriennummer Codeplug-Änderungen Seite von)
else
  words=("Serial number" "Codeplug changes" Page of)
fi
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[ "${pages:-0}" -ge 1 ] || fail "the printed sheet has no pages"
check_page_frames "$printed" "${pages:-0}" "$(field_value RI_MODELNUM)" "${words[0]} $(field_value RI_SERIALNUM)" \
  "${words[1]}" "${words[2]}" "${words[3]}"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; the sheet is $html, its DOM $dom"
  exit 1
fi
echo "The $language change sheet shows the changes as text and prints $pages page(s) with their head and foot"
