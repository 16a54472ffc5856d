#!/usr/bin/env bash
# check_exe.sh OBJDUMP EXE IMPORTS-LIST
# Checks the built tovrel.exe as Windows will load it: 32-bit, ASLR, DEP and
# terminal-server awareness on, a subsystem version Windows XP SP3 accepts, the
# manifest embedded, at most 60 KiB, and exactly the imports of the reviewed
# list. A new import (and the oldest Windows it needs) must be a reviewed change
# of that list.
set -uo pipefail
objdump=$1 exe=$2 expected=$3
failures=0
ok() { # ok CONDITION-EXIT-STATUS MESSAGE
    if [ "$1" -ne 0 ]; then
        echo "FAILED: $2"
        failures=$((failures + 1))
    else
        echo "ok: $2"
    fi
}

header=$("$objdump" -p "$exe")
"$objdump" -f "$exe" | grep -q 'file format pei-i386'
ok $? "a 32-bit exe, which 32-bit Windows (XP included) can load"
field() { awk -v name="$1" '$1 == name { print $2; exit }' <<<"$header"; }

characteristics=$((16#$(field DllCharacteristics)))
[ $((characteristics & 0x40)) -ne 0 ]; ok $? "DYNAMIC_BASE (ASLR) is set"
[ $((characteristics & 0x100)) -ne 0 ]; ok $? "NX_COMPAT (DEP) is set"
[ $((characteristics & 0x8000)) -ne 0 ]; ok $? "TERMINAL_SERVER_AWARE is set"
"$objdump" -h "$exe" | grep -q ' \.reloc '; ok $? "relocations kept, so ASLR can move the image"

major=$(field MajorSubsystemVersion) minor=$(field MinorSubsystemVersion)
[ $((major * 100 + minor)) -le 501 ]; ok $? "subsystem version $major.$minor is at most 5.1 (XP SP3)"
[ "$(field Subsystem)" = "00000002" ]; ok $? "a GUI program, no console window"

size=$(stat -c %s "$exe")
[ "$size" -le $((60 * 1024)) ]; ok $? "size $size bytes is at most 60 KiB"

grep -aq 'level="asInvoker"' "$exe"; ok $? "the manifest asks for asInvoker"
grep -aq 'supportedOS' "$exe"; ok $? "the manifest lists the supported Windows versions"

actual=$(awk '/DLL Name:/ { dll = tolower($3); next }
              dll && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print dll ":" $3 }
              /^$/ { dll = "" }' <<<"$header" | sort -u)
differences=$(diff <(grep -v '^#' "$expected" | sort -u) <(echo "$actual"))
[ -z "$differences" ]; ok $? "imports match $(basename "$expected")"
[ -n "$differences" ] && echo "$differences" | sed 's/^/    /'

# Windows XP registers the version-6 controls' window classes only once
# comctl32 is loaded: a manifest that asks for them with nothing loading the
# library leaves the window unmade there, though Vista and later and Wine
# load it on demand.
if grep -aq 'Microsoft.Windows.Common-Controls' "$exe"; then
    grep -qx 'comctl32.dll:InitCommonControls' <<<"$actual"
    ok $? "the manifest asks for Common Controls 6, and the exe imports InitCommonControls to load them on XP"
fi

dlls=$(cut -d: -f1 <<<"$actual" | sort -u | tr '\n' ' ')
[ "$dlls" = "advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll " ]
ok $? "imports only DLLs every Windows since XP ships: $dlls"

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    exit 1
fi
