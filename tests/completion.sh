#!/usr/bin/env bash
# nalvo-service's bash completion on typical lines, and its manual page free of groff warnings.
#   tests/completion.sh PACKAGING_DIR
set -uo pipefail
export LC_ALL=C.UTF-8
packaging=$(realpath "$1")
# shellcheck source=packaging/nalvo-service.bash-completion
source "$packaging/nalvo-service.bash-completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/files" "$work/files/sets"
touch "$work/files/ZULpara.dat" "$work/files/run.csv" "$work/files/notes.txt"
# Stands in for the program's `ports`: one port a line, its number first.
cat >"$work/bin/nalvo-service" <<'EOF'
#!/bin/sh
[ "$1" = ports ] && printf '1  /dev/ttyUSB0  FT232R USB UART  A10K3X\n2  /dev/ttyS0\n'
EOF
chmod +x "$work/bin/nalvo-service"
PATH=$work/bin:$PATH
cd "$work/files" || exit 1

failures=0
# The line up to the cursor | what the completion offers, sorted.
while IFS='|' read -r line expected; do
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _nalvo_service
    offered=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [[ $offered != "$expected" ]]; then
        echo "'$line<TAB>' offers '$offered', expected '$expected'"
        failures=$((failures + 1))
    fi
done <<'EOF'
nalvo-service |compare info ports read record teach write
nalvo-service r|read record
nalvo-service read |eeprom ram
nalvo-service --json -p 2 read |eeprom ram
nalvo-service read eeprom -|--help --json --output --port --version -V -h -o -p
nalvo-service read eeprom -o |ZULpara.dat sets
nalvo-service read -o saved.dat |eeprom ram
nalvo-service write |eeprom ram
nalvo-service write eeprom |ZULpara.dat sets
nalvo-service write eeprom f.dat --|--help --json --no-backup --port --verify --version --yes
nalvo-service compare |ZULpara.dat sets
nalvo-service record --|--help --json --output --port --seconds --version
nalvo-service record --seconds 60 -o |run.csv sets
nalvo-service record --seconds |
nalvo-service --seconds 60 record -o |run.csv sets
nalvo-service teach |button reference
nalvo-service -p |1 2
nalvo-service info --port /dev/nul|/dev/null
EOF

# The page as Debian's checks read it: every groff warning shown.
warnings=$(MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$packaging/nalvo-service.1" 2>&1 >/dev/null) || failures=$((failures + 1))
if [[ -n $warnings ]]; then
    echo "nalvo-service.1: $warnings"
    failures=$((failures + 1))
fi
((failures == 0))
