#!/usr/bin/env bash
# Makes the bundled sample's report through the library, as the demo does,
# and looks at it the way a customer would: rendered by headless Chromium.
#
#   report_in_browser.sh XMLXSL SAMPLES OUT LANGUAGE [TEMPLATE]
#
# TEMPLATE is a file of SAMPLES, report.xsl unless given.
#
# Passes when the rendered page lists every channel of the sample with its
# number and its alias spelled with blanks, holds no blank substitute
# "()?!$%" anywhere, shows the dealer heading of the sample's settings.reg
# and, for the full report, every text of the language's resource string
# file; when the page printed to PDF shows on every page the model and
# serial number in its head and the title and page number in its foot, and
# nowhere an entity or a caret tag; and when a name of 16 characters without
# a blank stays inside its cell, laid out as printed. Leaves the HTML, the
# rendered DOM, a screenshot, the PDF and its text in OUT. Exits 77, which
# the test takes for skipped, when Chromium is not installed (1 when
# XMLXSL_REQUIRE_BROWSER is set).
set -euo pipefail

xmlxsl=$1 samples=$2 out=$3 language=$4 template=${5:-report.xsl}
name=${template%.xsl}
source "$(dirname "$0")/browser.sh"
require_chromium

mkdir -p "$out"
# A copy of its own: the library opens the template share-exclusive, as the
# application does, so a report from the sample folder itself would refuse
# or be refused by any other test that reads it meanwhile.
rm -rf "$out/samples-$name-$language"
cp -r "$samples" "$out/samples-$name-$language"
samples="$out/samples-$name-$language"
html="$out/$name-$language.html"
dom="$out/$name-$language.dom.html"
screenshot="$out/$name-$language.png"
pdf="$out/$name-$language.pdf"
printed="$out/$name-$language.txt"
log="$out/chromium-$name-$language.log"
rm -f "$html" "$dom" "$screenshot" "$pdf" "$printed"

XMLXSL_REGISTRY="$samples/settings.reg" \
  "$xmlxsl" report "$samples/radio.json" --template "$samples/$template" --language "$language" -o "$html"

: >"$log"
browse --dump-dom >"$dom"
browse --screenshot="$screenshot" --window-size=1240,1754 >/dev/null
browse --no-pdf-header-footer --print-to-pdf="$pdf" >/dev/null
[ -s "$dom" ] || { echo "FAILED: Chromium rendered nothing; see $log"; exit 1; }
[ -s "$screenshot" ] || fail "no screenshot at $screenshot"
[ -s "$pdf" ] || { echo "FAILED: Chromium printed nothing; see $log"; exit 1; }

# The DOM on one line, with the blanks around line breaks gone, so that a
# row or a dealer block is found whatever the serialiser put between tags.
page=$(tr '\r\n' '  ' <"$dom" | sed -e 's/[[:space:]]*<br>[[:space:]]*/<br>/g')

contains() { grep -qF -- "$1" <<<"$page"; }

# The channels: the ALIAS rows of CP_BLOCK's items, in channel order.
mapfile -t aliases < <(
  awk '/^    "CP_BLOCK":/ { inside = 1; next }
       inside && /^    "/ { inside = 0 }
       inside && /"field": "ALIAS"/ { sub(/.*"value": "/, ""); sub(/", "type".*/, ""); print }' \
    "$samples/radio.json")
[ ${#aliases[@]} -ge 32 ] || fail "the sample should hold at least 32 channels, found ${#aliases[@]}"
number=0
for alias in "${aliases[@]}"; do
  number=$((number + 1))
  [[ "$alias" == *" "* ]] || fail "channel $number's alias \"$alias\" holds no blank, so it proves nothing"
  row="<td class=\"number\">$number</td><td class=\"alias\">$(as_dom_text <<<"$alias")</td><td class=\"number frequency"
  contains "$row" || fail "channel $number \"$alias\" is not in the channel list"
done

contains '()?!$%' && fail "a blank substitute ()?!\$% is left in the page"
grep -qF -- '()?!$%' "$html" && fail "a blank substitute ()?!\$% is left in the HTML"

# The dealer heading: the left block is a multi-string of UTF-16LE bytes,
# written as hex(7) over continued lines; its lines show separated by br.
hex=$(tr -d '\r' <"$samples/settings.reg" |
  sed -n '/^"DealerInfoLeft"=hex(7):/,/[^\\]$/p' |
  sed -e 's/^"DealerInfoLeft"=hex(7)://' -e 's/\\$//' | tr -d ' \n')
left=$(printf '%b' "\\x${hex//,/\\x}" | iconv -f UTF-16LE -t UTF-8 | tr '\0' '\n' | sed '/^$/d' |
  as_dom_text | awk 'NR > 1 { printf "<br>" } { printf "%s", $0 }')
[ -n "$left" ] || fail "no DealerInfoLeft in settings.reg"
contains "<div class=\"dealer-left\">$left</div>" || fail "the dealer's left block \"$left\" is not in the heading"
for value in DealerInfoMiddle DealerInfoRight; do
  text=$(tr -d '\r' <"$samples/settings.reg" | sed -n "s/^\"$value\"=\"\\(.*\\)\"\$/\\1/p" | as_dom_text)
  [ -n "$text" ] || fail "no $value in settings.reg"
  contains "$text</div>" || fail "the dealer's $value \"$text\" is not in the heading"
done

# Every text of the language's resource string file (windows-1252) is shown,
# but for those of things that the sample does not have: NOZN heads the
# channels that no zone holds, NOCH, NOZO and NOSL stand for empty lists,
# DTSE for a scan list's transmit channel type that the sample's lists lack.
resource=$(tr -d '\r' <"$samples/settings.reg" |
  sed -n "/Language\\\\$language\\]/,/^\\[/ s/^\"ReportResource\"=\"\\(.*\\)\"\$/\\1/p")
[ -n "$resource" ] || fail "settings.reg names no resource string file for $language"
if [ -n "$resource" ] && [ "$template" = report.xsl ]; then
  while read -r key text; do
    case "$key" in '' | '#'* | NOZN | NOCH | NOZO | NOSL | DTSE) continue ;; esac
    contains "$(as_dom_text <<<"$text")" || fail "the $language text $key \"$text\" is not in the page"
  done < <(iconv -f WINDOWS-1252 -t UTF-8 "$samples/$resource" | tr -d '\r')
fi

# The printed pages, one text per page (pdftotext ends each with a form feed).
pdftotext -layout "$pdf" "$printed"
resource_text() {
  iconv -f WINDOWS-1252 -t UTF-8 "$samples/$resource" | tr -d '\r' | sed -n "s/^$1 *//p"
}
field_value() {
  sed -n "s/.*\"field\": \"$1\", \"value\": \"\([^\"]*\)\".*/\1/p" "$samples/radio.json" | head -n 1
}
title=$(resource_text TITL) serial_label=$(resource_text SERN)
page_label=$(resource_text PAGE) of_label=$(resource_text PGOF)
model=$(field_value RI_MODELNUM) serial=$(field_value RI_SERIALNUM)
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')
[ "${pages:-0}" -ge 2 ] || fail "the printed report has ${pages:-no} pages"
check_page_frames "$printed" "${pages:-0}" "$model" "$serial_label $serial" "$title" "$page_label" "$of_label"
refuse_stray_markup "$printed" "$out/stray-$name-$language.txt"

# A name of 16 characters without a blank stays inside its cell: the report
# of a copy whose first channel (and its zone member) has such a name, laid
# out as printed (the print rules for all media, the page's width between
# its margins), with a script that lists every name cell whose text runs
# out of it.
long_name=FIREDISPATCH-N01
sed "s/\"Fire Dispatch 1\"/\"$long_name\"/" "$samples/radio.json" >"$samples/long-name.json"
long_html="$out/$name-$language-long-name.html"
XMLXSL_REGISTRY="$samples/settings.reg" \
  "$xmlxsl" report "$samples/long-name.json" --template "$samples/$template" --language "$language" -o "$long_html"
cat >"$out/$name-$language-overflowing-names.js" <<'SCRIPT'
var out = [];
document.querySelectorAll(".alias, .item-alias").forEach(function (cell) {
  var table = cell.closest("table");
  var page = document.documentElement.clientWidth + 1;
  if (cell.scrollWidth > cell.clientWidth + 1 || table.getBoundingClientRect().right > page) out.push(cell.textContent);
});
document.body.setAttribute("data-overflowing", out.join("|"));
SCRIPT
sed -i -e 's/@media print/@media all/' \
  -e "s#</body>#<script src=\"$name-$language-overflowing-names.js\"></script></body>#" "$long_html"
html=$long_html browse --dump-dom --window-size=680,1000 >"$out/$name-$language-long-name.dom.html"
grep -qF -- "$long_name" "$out/$name-$language-long-name.dom.html" || fail "the long name $long_name is not in the page"
grep -qF 'data-overflowing=""' "$out/$name-$language-long-name.dom.html" ||
  fail "names run out of their cells: $(grep -o 'data-overflowing="[^"]*"' "$out/$name-$language-long-name.dom.html")"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed; the page is $html, its DOM $dom"
  exit 1
fi
echo "The $language $name report shows all ${#aliases[@]} channels and the dealer heading, and prints $pages pages with their head and foot; screenshot: $screenshot"
