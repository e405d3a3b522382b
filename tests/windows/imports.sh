#!/usr/bin/env bash
# keyfall.exe must start on a bare Windows: it may import only DLLs that come with the system.
# usage: imports.sh OBJDUMP KEYFALL_EXE
set -euo pipefail
objdump=$1 exe=$2
system_dlls='^(kernel32|user32|gdi32|winmm|imm32|msvcrt|advapi32|shell32|ole32|ws2_32|ntdll)\.dll$'

mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
((${#dlls[@]} > 0)) || { echo "imports: no import table found in $exe" >&2; exit 1; }
status=0
for dll in "${dlls[@]}"; do
    if [[ "${dll,,}" =~ $system_dlls ]]; then
        echo "imports: $dll"
    else
        echo "imports: $dll is not a system DLL (static linking missed it)" >&2
        status=1
    fi
done
exit $status
