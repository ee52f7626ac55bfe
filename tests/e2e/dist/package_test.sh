#!/usr/bin/env bash
# The release zip as a user gets it: made by CPack, unpacked into a fresh Wine prefix, the
# installer run there (twice, without its entries, then the removal), and Korval run from the
# unpacked folder with filters of the sample settings, started the way their shortcuts start it.
# Arguments: the build folder, and 1 when the build makes the regular-expression library.
set -euo pipefail
build=$(cd "$1" && pwd)
with_regexp=${2:-0}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
bin=$build/bin

source "$root/tools/wine-env"
work=$build/dist-package-test
export WINEPREFIX=$work/prefix
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
expect_eq() {  # what, expected, actual
  [ "$2" = "$3" ] || fail "$1"$'\n'"  expected: $(printf '%q' "$2")"$'\n'"  actual:   $(printf '%q' "$3")"
}

keeper=""
cleanup() {
  set +e
  if [ -n "$keeper" ]; then
    kill "$keeper" 2>/dev/null
    wait "$keeper" 2>/dev/null
  fi
  # The prefix is this script's own: ending its Wine processes ends only what the script started.
  timeout 20 wineserver -k 2>/dev/null || true
  korval_stop_display
  rm -rf "$work"
  return 0
}
trap cleanup EXIT

rm -rf "$work"
mkdir -p "$work"

# ---- The zip: exactly the five files, flat in one folder ----
(cd "$work" && cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/pack") >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; exit 1; }
zip=$(ls "$work"/pack/*.zip)
folder=$(basename "$zip" .zip)
shipped=(Korval.exe Korval.ini Korval.txt KorvalSetup.exe)
[ "$with_regexp" = 1 ] && shipped+=(BREGEXP.DLL)
expect_eq "the files in the zip" "$(printf "$folder/%s\n" "${shipped[@]}" | sort)" \
  "$(unzip -Z1 "$zip" | grep -v '/$' | sort)"

# ---- A fresh prefix, and the zip unpacked into it ----
korval_start_display
wineboot -i >/dev/null 2>&1
wine "$bin/keepalive.exe" >/dev/null 2>&1 &
keeper=$!

app_win='C:\Korval テスト'
app=$WINEPREFIX/drive_c/"Korval テスト"
unzip -q "$zip" -d "$work/unpacked"
mv "$work/unpacked/$folder" "$app"
for name in Korval.ini Korval.txt; do
  cmp -s "$root/dist/$name" "$app/$name" || fail "$name in the zip differs from dist/$name"
done
# Windows asks for administrator rights for a program named like an installer unless its
# manifest says it runs as the user who starts it.
grep -q 'level="asInvoker"' "$app/KorvalSetup.exe" || fail "KorvalSetup.exe has no manifest that runs it as the user"

# Runs a Windows program of the prefix; its standard output comes back as UTF-8 without CR.
win() {
  { wine "$@" 2>/dev/null || true; } | iconv -f CP932 -t UTF-8 | tr -d '\r'
}
setup() {
  local status=0
  timeout 60 wine "$app_win\\KorvalSetup.exe" "$@" /quiet >/dev/null 2>&1 || status=$?
  echo $status
}
# Target, arguments and working folder of a shortcut, one per line.
shortcut() {
  win "$bin/lnkread.exe" "$1"
}

sendto_win=$(win "$bin/lnkread.exe" /sendto)
[ -n "$sendto_win" ] || { echo "no Send To folder in the fresh prefix" >&2; exit 1; }
sendto=$(winepath -u "$sendto_win" 2>/dev/null)
sendto=${sendto%/}
entries="Korval フィルタ"
before=$(ls -A "$sendto" | sort)
# The Send To folder's listing as it was before, with the given names added.
listing_with() {
  { [ -z "$before" ] || echo "$before"; [ $# -eq 0 ] || printf '%s\n' "$@"; } | sort
}

# What /install /entries must leave: one shortcut per entry of the sample settings.
expected_entries=$(sort <<'EOF'
文書.lnk|/#f="文書"
テキスト.lnk|/#f="テキスト"
画像.lnk|/#f="画像"
圧縮ファイル.lnk|/#f="圧縮ファイル"
ソースコード.lnk|/#f="ソースコード"
フォルダのみ.lnk|/#f="フォルダのみ"
ファイルのみ.lnk|/#f="ファイルのみ"
すべて.lnk|/#f="すべて"
一時ファイル以外.lnk|/#f="一時ファイル以外"
名前にコピーを含む.lnk|/#r="名前にコピーを含む"
名前に日付.lnk|/#r="名前に日付"
中身にパスワード.lnk|/#r="中身にパスワード"
中身に著作権表示なし.lnk|/#r="中身に著作権表示なし"
EOF
)
program_shortcut="$app_win\\Korval.exe"$'\n\n'"$app_win"

check_installed_with_entries() {  # when
  expect_eq "$1: the Send To folder" "$(listing_with Korval.lnk "$entries")" "$(ls -A "$sendto" | sort)"
  expect_eq "$1: the Korval shortcut" "$program_shortcut" "$(shortcut "$sendto_win\\Korval.lnk")"
  local listed="" name
  while IFS= read -r name; do
    local read_back
    read_back=$(shortcut "$sendto_win\\$entries\\$name")
    local target arguments working
    { read -r target; read -r arguments; read -r working; } <<<"$read_back"
    [ "$target" = "$app_win\\Korval.exe" ] && [ "$working" = "$app_win" ] ||
      fail "$1: $name starts $(printf '%q' "$target") in $(printf '%q' "$working")"
    listed+="$name|$arguments"$'\n'
  done < <(ls -A "$sendto/$entries")
  expect_eq "$1: the entry shortcuts and their arguments" "$expected_entries" "$(sort <<<"${listed%$'\n'}")"
}

# ---- Installing, twice: one set of shortcuts, stale ones gone ----
expect_eq "the first /install /entries" 0 "$(setup /install /entries)"
check_installed_with_entries "after the first install"
cp "$sendto/Korval.lnk" "$sendto/$entries/古いフィルタ.lnk"
expect_eq "the second /install /entries" 0 "$(setup /install /entries)"
check_installed_with_entries "after the second install"

# ---- Korval from the unpacked folder, started as an entry shortcut starts it ----
tree=$WINEPREFIX/drive_c/tree
mkdir -p "$tree/sub"
for file in a.txt b.doc c.jpg sub/d.txt sub/2026-11-30.log; do
  echo "$file" >"$tree/$file"
done

# Runs the shortcut's program with its arguments, "/#e1" and the tree; `clipboard` receives
# the clipboard's bytes afterwards, as od shows them.
clipboard=""
run_entry() {  # shortcut name
  local target arguments working
  { read -r target; read -r arguments; read -r working; } <<<"$(shortcut "$sendto_win\\$entries\\$1")"
  printf '"%s" %s /#e1 "C:\\tree"\r\n' "$target" "$arguments" | iconv -f UTF-8 -t CP932 >"$WINEPREFIX/drive_c/command.txt"
  wine "$bin/launch.exe" /clear >/dev/null 2>&1 || true
  timeout 60 wine "$bin/launch.exe" 'C:\command.txt' >/dev/null 2>&1 || fail "Korval started by $1 did not end by itself"
  rm -f "$WINEPREFIX/drive_c/clipboard.txt"
  wine "$bin/clipread.exe" 'C:\clipboard.txt' >/dev/null 2>&1 || true
  clipboard=$(od -An -c "$WINEPREFIX/drive_c/clipboard.txt" 2>/dev/null | tr -s ' \n' ' ' || true)
}
clipboard_of() {  # the expected clipboard text, written with printf escapes
  printf "$1" | od -An -c | tr -s ' \n' ' '
}
run_entry 文書.lnk
expect_eq "the clipboard after 文書" "$(clipboard_of 'C:\\tree\\a.txt\r\nC:\\tree\\sub\\d.txt\r\nC:\\tree\\b.doc')" "$clipboard"
if [ "$with_regexp" = 1 ]; then
  run_entry 名前に日付.lnk
  expect_eq "the clipboard after 名前に日付" "$(clipboard_of 'C:\\tree\\sub\\2026-11-30.log')" "$clipboard"
fi

# ---- Without its entries, then the removal: nothing left behind ----
expect_eq "/install without /entries" 0 "$(setup /install)"
expect_eq "after /install alone, the Send To folder" "$(listing_with Korval.lnk)" "$(ls -A "$sendto" | sort)"
setup /install /entries >/dev/null
expect_eq "/uninstall" 0 "$(setup /uninstall)"
expect_eq "after /uninstall, the Send To folder" "$before" "$(ls -A "$sendto" | sort)"
expect_eq "a second /uninstall" 0 "$(setup /uninstall)"
mv "$app/Korval.ini" "$work/Korval.ini"
expect_eq "/install /entries without Korval.ini" 1 "$(setup /install /entries)"
expect_eq "after a failed install, the Send To folder" "$before" "$(ls -A "$sendto" | sort)"
[ -e "$app/Korval.ini" ] && fail "a failed install made a settings file"
expect_eq "a wrong switch" 2 "$(setup /remove)"

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "the zip installs and runs in a fresh prefix"
