#!/bin/sh
# Fails when a Windows program imports a MinGW runtime DLL instead of linking it in.
objdump=$1
shift
status=0
for exe in "$@"; do
    dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
    for dll in $dlls; do
        case $(echo "$dll" | tr 'A-Z' 'a-z') in
            libstdc++*|libgcc*|libwinpthread*|libssp*)
                echo "FAIL $exe needs $dll"
                status=1 ;;
        esac
    done
    echo "ok   $(basename "$exe") imports only: $(echo $dlls)"
done
exit $status
