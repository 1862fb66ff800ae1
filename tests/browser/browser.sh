# What the browser tests share, sourced by each: headless Chromium to render,
# screenshot and print a page, a count of failed checks, and the check that
# holds for every page the program prints.
#
# A test sets $log before it browses; `browse` loads $html.

chromium=/usr/bin/chromium

# Exits 77, which the test takes for skipped, when Chromium is not installed
# (1 when XMLXSL_REQUIRE_BROWSER is set: CI sets it, and there a missing
# browser is a fault of the set-up, not a reason to skip).
require_chromium() {
  if [ ! -x "$chromium" ]; then
    echo "$chromium is not installed (scripts/install-deps test installs it)"
    [ -n "${XMLXSL_REQUIRE_BROWSER:-}" ] && exit 1
    exit 77
  fi
}

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
browse() {
  timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --hide-scrollbars "$@" "file://$html" 2>>"$log"
}

# Text as the DOM serialiser writes it inside an element.
as_dom_text() { sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g'; }

# Fails when the printed text in file $1 shows an entity or a caret tag,
# which would mean text escaped twice or a template tag left untranslated;
# the lines found go to file $2.
refuse_stray_markup() {
  if grep -nE '&#?[A-Za-z0-9]+;|\^[A-Z0-9_]{4}\^' "$1" >"$2"; then
    fail "the printed page shows an entity or a caret tag: $(head -n 3 "$2")"
  fi
}

# Fails for each page of the printed text in file $1 (pages ended by form
# feeds, as pdftotext writes them; $2 pages in all) that does not show the
# model $3 and the serial text $4 in its head, and the title $5 and "$6 N $7
# $2", its page number, in its foot.
check_page_frames() {
  local printed=$1 pages=$2 model=$3 serial=$4 title=$5 page_label=$6 of_label=$7 number text expected
  for ((number = 1; number <= pages; number++)); do
    text=$(awk -v page="$number" 'BEGIN { RS = "\f" } NR == page' "$printed" | tr -s ' ')
    for expected in "$model" "$serial" "$title" "$page_label $number $of_label $pages"; do
      grep -qF -- "$expected" <<<"$text" || fail "printed page $number does not show \"$expected\""
    done
  done
}
