#!/usr/bin/env bash
# Each CRVNShll.dll given exports exactly DllCanUnloadNow and DllGetClassObject,
# imports only DLLs of the system (everything else is linked in), and has no
# section (static storage included) of more than 1 MiB: every Explorer
# process loads it. A DLL that has not been built (the other architecture's
# build) is reported and passed over.
set -u
status=0
for dll in "$@"; do
  if [ ! -f "$dll" ]; then
    echo "not built, not checked: $dll"
    continue
  fi
  case $(file -b "$dll") in
    *x86-64*) objdump=x86_64-w64-mingw32-objdump ;;
    *) objdump=i686-w64-mingw32-objdump ;;
  esac
  dump=$($objdump -p "$dll")
  exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
    sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
  if [ "$exports" != "DllCanUnloadNow DllGetClassObject " ]; then
    echo "FAIL: $dll exports: $exports"
    status=1
  fi
  for import in $(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z'); do
    case $import in
      kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | ole32.dll | \
        comctl32.dll | msvcrt.dll | shlwapi.dll) ;;
      *)
        echo "FAIL: $dll imports $import"
        status=1
        ;;
    esac
  done
  # objdump -h: index, name, size in hex, ...
  while read -r name size; do
    if [ $((16#$size)) -gt 1048576 ]; then
      echo "FAIL: $dll section $name holds $((16#$size)) bytes"
      status=1
    fi
  done < <($objdump -h "$dll" | awk '$1 ~ /^[0-9]+$/ && $2 !~ /^\.debug/ {print $2, $3}')
  [ $status = 0 ] && echo "ok: $dll"
done
exit $status
