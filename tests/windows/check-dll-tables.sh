#!/usr/bin/env bash
# Fails unless a plug-in DLL exports exactly plugMain and SetLogCallback (by
# those undecorated names) and imports only DLLs that every Windows machine
# has: a DLL that needs MinGW's runtime DLLs beside it does not load in a
# host. Usage: check-dll-tables.sh OBJDUMP DLL
set -euo pipefail
objdump=$1 dll=$2

tables=$("$objdump" -p "$dll")

exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
               inside && /^[[:space:]]*\[ *[0-9]+\]/ { print $NF; next }
               inside { inside = 0 }' <<<"$tables" | sort | tr '\n' ' ')
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$tables" | sort -u)

status=0
if [[ $exports != "SetLogCallback plugMain " ]]; then
  echo "FAIL: exports are [${exports% }], expected exactly [SetLogCallback plugMain]"
  status=1
fi
while read -r name; do
  [[ -z $name ]] && continue
  case ${name,,} in
    # ws2_32.dll is Winsock, part of every Windows since 98: the HDR
    # plug-in's calibration client connects through it.
    kernel32.dll | opengl32.dll | msvcrt.dll | user32.dll | gdi32.dll | ws2_32.dll | api-ms-win-crt-*.dll) ;;
    *) echo "FAIL: imports $name, which Windows does not ship"; status=1 ;;
  esac
done <<<"$imports"

echo "exports: ${exports% }"
echo "imports: $(tr '\n' ' ' <<<"$imports")"
exit $status
