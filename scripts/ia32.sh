# Sourced by the scripts. can_run_32bit succeeds when this machine executes 32-bit
# x86 programs (some kernels and sandboxes do not, and then the 32-bit Wine loader
# cannot start at all). The probe is a 93-byte i386 ELF program that exits with 0.
can_run_32bit() {
    probe=$(mktemp)
    printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$probe"
    chmod +x "$probe"
    status=0
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    return $status
}

# Whether 32-bit Windows programs run here: 32-bit code runs and the 32-bit Wine
# is installed (setup.sh cannot install it while Debian's i386 lists lag behind).
windows_runs_32bit() {
    can_run_32bit && dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"
}
