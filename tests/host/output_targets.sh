#!/usr/bin/env bash
# What each command does to the files around it, run as a user runs it:
#
#   output_targets.sh XMLXSL SAMPLES WORK SANITIZED
#
# Every case runs in a fresh copy of one fixture folder and checks the exit
# status and the whole standard error, then that every file other than those
# the case writes is unchanged (bytes, kind, mode, owner, link count, link
# target, inode), that each written file holds the expected bytes and kept
# its kind, mode, owner and link count (and its inode, unless it is replaced),
# and that no staging file is left, in the folder or in TMPDIR. Owners are
# changed to 12345:12345 first, which needs root; a run by anyone else checks
# the rest. The interrupted cases hold the command once its staging file
# exists (XMLXSL_TEST_HOLD) and signal it then. The memory case limits the
# address space, which a sanitized build (SANITIZED = 1) cannot run under.
set -uo pipefail

xmlxsl=$1 samples=$2 work=$3 sanitized=${4:-0}
rm -rf "$work"
mkdir -p "$work/cases"
fixture=$work/fixture
cases=$work/cases
failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# The fixture: a sample folder t/, the codeplug both ways, and the expected
# bytes of every kind of output.
mkdir -p "$fixture/t"
cp "$samples"/{radio.json,report.xsl,pretransform.qzt,english.txt,german.txt,settings.reg} "$fixture/t/"
(
  cd "$fixture" || exit 1
  cp t/radio.json radio.json &&
    "$xmlxsl" export radio.json radio.xml &&
    "$xmlxsl" import radio.xml -o ref.json &&
    cp radio.xml ref.xml &&
    "$xmlxsl" report radio.json --template t/report.xsl --language English --registry t/settings.reg -o ref.html &&
    "$xmlxsl" generate --channels 2 -o ref-generated.json
) || { echo "FAILED: the fixture cannot be made"; exit 1; }
report="report radio.json --template t/report.xsl --language English --registry t/settings.reg"
root=0
[ "$(id -u)" = 0 ] && root=1
owned() { [ $root = 1 ] && chown 12345:12345 "$@"; true; }

# One line for each path: name, kind, mode, owner, links, link target,
# inode; the inode left out for the paths given (files that are replaced).
identity() {
  local dir=$1
  shift
  (cd "$dir" && find . -printf '%p %y %m %U:%G %n %l %i\n' | sort) |
    awk -v skip=" $* " '{ if (index(skip, " " substr($1, 3) " ")) $NF = "-"; print }'
}
# The checksum of every regular file but those given.
sums() {
  local dir=$1
  shift
  (cd "$dir" && find . -type f -exec md5sum {} + | sort -k 2) |
    awk -v skip=" $* " '{ if (!index(skip, " " substr($2, 3) " ")) print }'
}

# run_case NAME SETUP ARGUMENTS STATUS STDERR WRITTEN [LIMIT]
#   SETUP runs in the case folder first, LIMIT in the command's shell. WRITTEN lists PATH=EXPECTED pairs:
#   PATH is written with the bytes of the fixture's EXPECTED; "~PATH" may get
#   a new inode (replaced); PATH "-" is the standard output, whose file keeps
#   its inode; a FIFO is read while the command runs.
run_case() {
  local name=$1 setup=$2 arguments=$3 want_status=$4 want_err=$5 written=$6 limit=${7:-:}
  local dir=$cases/$name tmp=$cases/$name.tmp out=$cases/$name.out
  cp -a "$fixture" "$dir" && mkdir "$tmp" && : >"$out"
  (cd "$dir" && eval "$setup") || { fail "$name: its setup failed"; return; }

  local paths=() replaced=() pair path fifo=
  for pair in $written; do
    path=${pair%%=*}
    [ "${path:0:1}" = "~" ] && { path=${path:1}; replaced+=("$path"); }
    paths+=("$path")
  done
  local before before_sums out_inode reader=
  before=$(identity "$dir" "${replaced[@]}")
  before_sums=$(sums "$dir" "${paths[@]}")
  out_inode=$(stat -c %i "$out")
  for path in "${paths[@]}"; do
    if [ -p "$dir/$path" ]; then
      fifo=$dir/$path
      cat "$fifo" >"$cases/$name.fifo" &
      reader=$!
    fi
  done

  (cd "$dir" && eval "$limit" && TMPDIR=$tmp eval "\"\$xmlxsl\" $arguments") >"$out" 2>"$cases/$name.err"
  local status=$?
  if [ -n "$reader" ]; then
    # Lets the reader go, whether or not the command opened the FIFO.
    exec {release}<>"$fifo"
    exec {release}>&-
    wait "$reader"
  fi

  [ "$status" = "$want_status" ] || fail "$name: exit status $status, not $want_status"
  local err
  err=$(cat "$cases/$name.err")
  [ "$err" = "$want_err" ] || fail "$name: the standard error says \"$err\", not \"$want_err\""
  [ "$(identity "$dir" "${replaced[@]}")" = "$before" ] ||
    fail "$name: files changed in kind, mode, owner or links, or came or went:" \
      "$(diff <(echo "$before") <(identity "$dir" "${replaced[@]}"))"
  [ "$(sums "$dir" "${paths[@]}")" = "$before_sums" ] || fail "$name: a file it does not write changed"
  [ -z "$(ls -A "$tmp")" ] || fail "$name: left $(ls -A "$tmp") in TMPDIR"
  [ "$(stat -c %i "$out")" = "$out_inode" ] || fail "$name: the standard output's file was replaced"

  local expected got
  for pair in $written; do
    path=${pair%%=*}
    path=${path#"~"}
    expected=$fixture/${pair#*=}
    got=$dir/$path
    [ "$path" = - ] && got=$out
    [ -p "$dir/$path" ] && got=$cases/$name.fifo
    cmp -s "$got" "$expected" || fail "$name: $path does not hold the bytes of ${pair#*=}"
  done
}

echo "== an output that is one of the inputs, however it is named"
same="the same file as"
run_case ExportOverItsInput "" "export radio.json radio.json" 1 \
  "xmlxsl: radio.json: $same the codeplug radio.json; name another output file" ""
run_case ReportOverThePretransform "" "$report -o t/../t/pretransform.qzt" 1 \
  "xmlxsl: t/../t/pretransform.qzt: $same the pre-transform $cases/ReportOverThePretransform/t/pretransform.qzt; name another output file" ""
run_case ReportOverTheRegistry "owned t/settings.reg" "$report -o t/settings.reg" 1 \
  "xmlxsl: t/settings.reg: $same the registry file t/settings.reg; name another output file" ""
run_case ReportOverTheResourceFile "ln -s t/english.txt strings" "$report -o strings" 1 \
  "xmlxsl: strings: $same the resource string file $cases/ReportOverTheResourceFile/t/english.txt; name another output file" ""
run_case ImportOverAHardLinkOfItsInput "ln radio.xml copy.xml" "import copy.xml -o radio.xml" 1 \
  "xmlxsl: radio.xml: $same the XML file copy.xml; name another output file" ""
run_case ImportOverItsInputAsTheStandardOutput "" "import radio.xml -o - >>radio.xml" 1 \
  "xmlxsl: the standard output: $same the XML file radio.xml; name another output file" ""
run_case DemoOverItsSample "mkdir out && ln -s ../t/radio.json out/radio.xml" "demo --samples t --out out" 1 \
  "xmlxsl: out/radio.xml: $same the codeplug t/radio.json; name another output file" ""

echo "== what a written target stays"
run_case ReplacedKeepsModeAndOwner "cp ref.html back.json && chmod 640 back.json && owned back.json" \
  "import radio.xml -o back.json" 0 "" "~back.json=ref.json"
run_case ReadOnlyIsRefused "cp ref.html ro.json && chmod 444 ro.json" "import radio.xml -o ro.json" 1 \
  "xmlxsl: ro.json: the file is read-only; give --force to write it all the same" ""
run_case ReadOnlyIsWrittenWhenForced "cp ref.html ro.xml && chmod 444 ro.xml && owned ro.xml" \
  "export radio.json ro.xml --force" 0 "" "~ro.xml=ref.xml"
run_case LinkIsWrittenThrough \
  "mkdir other && cp ref.html other/file.xml && chmod 600 other/file.xml && owned other/file.xml && ln -s ../other/file.xml t/link.xml" \
  "export radio.json t/link.xml" 0 "" "~other/file.xml=ref.xml"
run_case DanglingLinkIsRefused "ln -s missing.json dangling.json" "import radio.xml -o dangling.json" 1 \
  "xmlxsl: dangling.json: a symbolic link to $cases/DanglingLinkIsRefused/missing.json, which does not exist; create that file or remove the link" ""
run_case HardLinkedIsWrittenInPlace "cp ref.html a.json && ln a.json b.json && owned a.json" \
  "import radio.xml -o a.json" 0 "" "a.json=ref.json b.json=ref.json"
run_case FifoIsWrittenDirectly "mkfifo pipe" "export radio.json pipe" 0 "" "pipe=ref.xml"
run_case DevNullIsWrittenDirectly "" "export radio.json /dev/null" 0 "" ""
run_case DevStdoutIsTheShellsFile "" "import radio.xml -o /dev/stdout" 0 "" "-=ref.json"
run_case DevFdIsTheShellsFile ": >fd.html" "$report -o /dev/fd/3 3>fd.html" 0 "" "fd.html=ref.html"
run_case DashIsTheStandardOutput "" "generate --channels 2 -o -" 0 "" "-=ref-generated.json"
run_case FolderIsRefused "mkdir folder.json" "import radio.xml -o folder.json" 1 \
  "xmlxsl: folder.json: a folder, not a file; name a file in it" ""
run_case MissingFolderIsRefused "" "export radio.json nowhere/back.xml" 1 \
  "xmlxsl: nowhere/back.xml: cannot be written: no such folder nowhere; create it first" ""
run_case FullDeviceIsRefused "" "import radio.xml -o /dev/full" 1 \
  "xmlxsl: /dev/full: cannot be written: the disk is full; free some space and try again" ""
run_case DemoReadOnlyIsRefused "mkdir out && cp ref.html out/report-german.html && chmod 444 out/report-german.html" \
  "demo --samples t --out out" 1 \
  "xmlxsl: out/report-german.html: the file is read-only; give --force to write it all the same" ""
[ -c /dev/null ] || fail "/dev/null is no longer a device"

if [ "$sanitized" = 1 ]; then
  echo "== memory: skipped, a sanitized build cannot run in a limited address space"
else
  echo "== an import that runs out of memory"
  # 100 MB that unscramble to "<?xml ...><TORVALE_CODEPLUG>" and then "A"s.
  make_big="{ printf '<?xml version=\"1.0\"?><TORVALE_CODEPLUG>' | perl -pe 's/(.)/chr(ord(\$1) ^ 0xD4)/ges'; head -c 100000000 /dev/zero | tr '\\000' '\\225'; } >big.xml"
  run_case ImportOutOfMemory "$make_big" "import big.xml -o back.json" 1 \
    "xmlxsl: not enough memory to read big.xml (100.0 MB): XMLXSL_E_MEMORY (0x80040716); close other programs and try again" \
    "" "ulimit -v 200000"
fi

# interrupt_case NAME SIGNAL SETUP ARGUMENTS
interrupt_case() {
  local name=$1 signal=$2 setup=$3 arguments=$4
  local dir=$cases/$name tmp=$cases/$name.tmp
  cp -a "$fixture" "$dir" && mkdir "$tmp" && mkfifo "$cases/$name.in" "$cases/$name.errors"
  (cd "$dir" && eval "$setup") || { fail "$name: its setup failed"; return; }
  local before before_sums
  before=$(identity "$dir")
  before_sums=$(sums "$dir")

  # Held open for writing here, so that the command's standard input stays
  # open and empty until the end.
  exec {input}<>"$cases/$name.in"
  (cd "$dir" && TMPDIR=$tmp XMLXSL_TEST_HOLD=1 exec env --default-signal=INT,TERM,HUP "$xmlxsl" $arguments) \
    <"$cases/$name.in" >/dev/null 2>"$cases/$name.errors" &
  local pid=$! line staged
  exec {errors}<"$cases/$name.errors"
  read -r line <&"$errors"
  staged=${line#xmlxsl: holding }
  [ "${staged:0:1}" = / ] || staged=$dir/$staged
  [ -f "$staged" ] || fail "$name: no staging file while held: \"$line\""
  kill -s "$signal" "$pid"
  wait "$pid"
  local status=$?
  exec {errors}<&- {input}>&-

  [ "$status" = $((128 + $(kill -l "$signal"))) ] || fail "$name: exit status $status after SIG$signal"
  [ ! -e "$staged" ] || fail "$name: left its staging file $staged"
  [ "$(identity "$dir")" = "$before" ] || fail "$name: files changed in kind, mode, owner or links, or came or went"
  [ "$(sums "$dir")" = "$before_sums" ] || fail "$name: a file changed"
  [ -z "$(ls -A "$tmp")" ] || fail "$name: left $(ls -A "$tmp") in TMPDIR"
}

echo "== interrupted commands"
interrupt_case ExportInterrupted INT "cp ref.html back.xml && owned back.xml" "export radio.json back.xml"
interrupt_case ExportToStandardOutputInterrupted TERM "" "export radio.json -"
interrupt_case DemoInterrupted HUP "mkdir out" "demo --samples t --out out"

if [ $failures -gt 0 ]; then
  echo "$failures failures; the cases stay in $cases"
  exit 1
fi
rm -rf "$work"
echo "every case passed"
