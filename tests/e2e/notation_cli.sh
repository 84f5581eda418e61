#!/bin/sh
# Drives lucenta-notation as a user would: output, exit status, and stdout kept clean on errors.
tool=$1
failures=0
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" = "$3" ]; then
        echo "ok   $1"
    else
        echo "FAIL $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    fi
}

check "Cambridge Surprise lead" "-3-14-125-36-147-58-169-70-18-9-19-E-19-9-18-70-169-58-147-36-125-14-3-12" "$("$tool" 7)"
check "Stedman on 12" "3.1.E.3.1.3.1.3.E.1.3.1" "$("$tool" 8 12)"
check "Plain Bob on 6" "-1-1-1-1-1-12" "$("$tool" 2 6)"
check "Plain Hunt rows on 6" "214365 241635 426153 462513 645231 654321 563412" "$("$tool" 1 6 --rows 7 | tr '\n' ' ' | sed 's/ $//')"
check "rows option first" "2143" "$("$tool" --rows 1 1 4)"
check "rows above 33 bells" "2 1 4 3" "$("$tool" 1 34 --rows 1 | cut -d' ' -f1-4)"
check "no rows" "" "$("$tool" 2 8 --rows 0)"

for args in "9" "0" "-1" "11" "abc" "1 0" "1 -3" "1 x" "1 12 --rows" "1 12 --rows -1" "1 12 --bogus" "" "1 2 3"; do
    # shellcheck disable=SC2086
    out=$("$tool" $args 2>"$errors")
    status=$?
    lines=$(wc -l < "$errors")
    usage=$(sed -n '2s/ .*//p' "$errors")
    check "refuses '$args' with a line and the usage" "2::2:usage:" "$status:$out:$lines:$usage"
done

[ "$failures" -eq 0 ]
