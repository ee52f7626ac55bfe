#!/usr/bin/env bash
# The release zip in a fresh Wine prefix: installed twice, an entry run from the unpacked folder, removed.
# Arguments: the build folder, and 1 when the build makes the regular-expression library.
set -euo pipefail
build=$(cd "$1" && pwd) root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
source "$root/tools/wine-env"
bin=$build/bin work=$build/dist-package-test failures=0
export WINEPREFIX=$work/prefix WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
expect_eq() { [ "$2" = "$3" ] || { printf 'FAIL: %s\n  expected: %q\n  actual:   %q\n' "$@" >&2; ((++failures)); }; }
# The prefix is the script's own: ending its Wine processes ends only what the script started.
trap 'set +e; timeout 20 wineserver -k 2>/dev/null; korval_stop_display; rm -rf "$work"' EXIT
rm -rf "$work" && mkdir -p "$work"
(cd "$work" && cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/pack" >&2)
zip=$(ls "$work"/pack/*.zip) && folder=$(basename "$zip" .zip)
shipped="Korval.exe Korval.ini Korval.txt KorvalSetup.exe" && [ "${2:-0}" = 1 ] && shipped+=" BREGEXP.DLL"
expect_eq "the zip's files" "$(printf "$folder/%s\n" $shipped | sort)" "$(unzip -Z1 "$zip" | grep -v '/$' | sort)"

# A display of its own: two Wine prefixes on one display share its clipboard selection, and the one
# that takes it empties the other's clipboard under the tests that run next.
unset DISPLAY
korval_start_display && wineboot -i >/dev/null 2>&1
wine "$bin/keepalive.exe" >/dev/null 2>&1 &  # keeps Wine's services up between the programs below
app='C:\Korval テスト' c=$WINEPREFIX/drive_c dir=$WINEPREFIX/drive_c/"Korval テスト"
unzip -q "$zip" -d "$work" && mv "$work/$folder" "$dir"
# Windows asks for administrator rights for a program named like an installer unless its manifest says otherwise.
expect_eq "KorvalSetup.exe runs as the user" 1 "$(grep -ac 'level="asInvoker"' "$dir/KorvalSetup.exe")"
win() { { wine "$@" </dev/null 2>/dev/null || true; } | iconv -f CP932 -t UTF-8 | tr -d '\r'; }
setup() { timeout 60 wine "$app\\KorvalSetup.exe" "$@" /quiet >/dev/null 2>&1 && echo 0 || echo $?; }
sendto=$(win "$bin/lnkread.exe" /sendto) && unix_sendto=$(winepath -u "$sendto" 2>/dev/null)
entries="Korval フィルタ" before=$(ls -A "$unix_sendto")
# One shortcut per entry label of the sample settings: "file|target|arguments|working folder".
expected=$(APP=$app awk 'BEGIN { a = ENVIRON["APP"] } /^\[filter\]/ { s = "f"; next } /^\[regexp\]/ { s = "r"; next }
  /^%end/ { s = "" } s && NF && !/^[;>]/ { sub(/ \| .*/, ""); print $0 ".lnk|" a "\\Korval.exe|/#" s "=\"" $0 "\"|" a }
' "$root/dist/source/Korval.ini" | sort)
check_installed() {  # when
  expect_eq "$1: the Send To folder" "$({ [ -z "$before" ] || echo "$before"; printf '%s\n' Korval.lnk "$entries"; } |
    sort)" "$(ls -A "$unix_sendto" | sort)"
  expect_eq "$1: Korval.lnk" "$app\\Korval.exe||$app" "$(win "$bin/lnkread.exe" "$sendto\\Korval.lnk" | paste -sd'|')"
  expect_eq "$1: the entry shortcuts" "$expected" "$(ls -A "$unix_sendto/$entries" | while IFS= read -r name; do
    echo "$name|$(win "$bin/lnkread.exe" "$sendto\\$entries\\$name" | paste -sd'|')"; done | sort)"
}
expect_eq "the first /install /entries" 0 "$(setup /install /entries)"
check_installed "after the first install"
cp "$unix_sendto/Korval.lnk" "$unix_sendto/$entries/古いフィルタ.lnk"
expect_eq "the second /install /entries" 0 "$(setup /install /entries)"
check_installed "after the second install, which drops the stale shortcut"
for switches in /remove "/install /uninstall" "/install /entry" install /installx /entries; do
  expect_eq "the invalid switches $switches" 2 "$(setup $switches)"
done
check_installed "after the invalid switches, which change nothing"

mkdir -p "$c/tree/sub" && touch "$c"/tree/{a.txt,b.doc,c.jpg,sub/d.txt}
{ IFS= read -r target; IFS= read -r arguments; } < <(win "$bin/lnkread.exe" "$sendto\\$entries\\文書.lnk")
printf '"%s" %s /#e1 "C:\\tree"\r\n' "$target" "$arguments" | iconv -f UTF-8 -t CP932 >"$c/command.txt"
wine "$bin/launch.exe" /clear >/dev/null 2>&1 || true
timeout 60 wine "$bin/launch.exe" 'C:\command.txt' >/dev/null 2>&1 || expect_eq "the exit of Korval" 0 $?
wine "$bin/clipread.exe" 'C:\clipboard.txt' >/dev/null 2>&1 || true
expect_eq "the clipboard" $'C:\\tree\\a.txt\r\nC:\\tree\\sub\\d.txt\r\nC:\\tree\\b.doc' "$(<"$c/clipboard.txt")"

expect_eq "/uninstall" 0 "$(setup /uninstall)"
expect_eq "after /uninstall, the Send To folder" "$before" "$(ls -A "$unix_sendto")"
[ $failures -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
