#!/usr/bin/env bash
# Proves that scripts/deps.sh names everything: maps each file a build read, and each program and
# shared object the tests used, to the Debian package that owns it, and fails, naming the package,
# when that package is not among those `apt-get install --no-install-recommends` of the list brings
# to a fresh Debian 12 (the list's closure over Depends and Pre-Depends, with apt's own choice
# among alternatives, plus the packages every Debian system has).
#
#   scripts/deps-audit.sh BUILD_DIR [--trace FILE] [--package] [--with-fuzz] [--packages "P ..."]
#
#   BUILD_DIR      a configured and built Ninja tree: the CMake package configurations it
#                  found (CMakeCache.txt), the programs it runs (its Ninja rules), the headers
#                  its compiler read (ninja -t deps), the libraries linked (build.ninja, ldd of
#                  what it built)
#   --trace FILE   what the tests started and loaded: an strace log of execve and openat
#                  (ORVANTO_TRACE=FILE ./test.sh writes one)
#   --package      also makes the .deb from BUILD_DIR and checks its Depends the same way: what
#                  the program itself loaded and started in the trace, and what it links, must
#                  come with `apt-get install` of the package alone
#   --with-fuzz    the list includes the clang packages (a clang build, scripts/fuzz.sh)
#   --packages     the list to check instead of deps.sh's (the audit's own tests use it)
#
# Exit status: 0 when every file is accounted for, 1 when some are not (each named with the
# package that owns it, or as owned by none), 2 on a usage error or when apt cannot tell.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd -P)

usage() {
    sed -n '7,21s/^# \{0,1\}//p' "$0" >&2
    exit 2
}

build="" trace="" package=0 with_fuzz=0 packages_given=0 packages=()
while [ $# -gt 0 ]; do
    case $1 in
    --trace) trace=${2:?}; shift 2 ;;
    --package) package=1; shift ;;
    --with-fuzz) with_fuzz=1; shift ;;
    --packages) read -r -a packages <<<"${2:?}"; packages_given=1; shift 2 ;;
    -h | --help) usage ;;
    -*) echo "deps-audit: unknown option $1" >&2; usage ;;
    *) [ -z "$build" ] || usage; build=$1; shift ;;
    esac
done
[ -n "$build" ] && [ -f "$build/CMakeCache.txt" ] && [ -f "$build/build.ninja" ] || {
    echo "deps-audit: '$build' is not a configured Ninja build folder" >&2
    exit 2
}
build=$(cd "$build" && pwd -P)
# The sources the build was configured from (a fresh clone's, not necessarily this script's).
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
source_dir=$(cd "${source_dir:?}" && pwd -P)
[ -z "$trace" ] || [ -r "$trace" ] || { echo "deps-audit: cannot read $trace" >&2; exit 2; }
if [ "$packages_given" -eq 0 ]; then
    # shellcheck source=deps.sh
    source "$here/deps.sh"
    packages=("${ORVANTO_PACKAGES[@]}")
    [ "$with_fuzz" -eq 0 ] || packages+=("${ORVANTO_FUZZ_PACKAGES[@]}")
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- What a fresh machine would have -----------------------------------------------------------

# closure OUT ARG...: the packages apt would install for ARG... on a machine with nothing
# installed, one name a line, the base added.
: >"$work/base"
closure() {
    local out=$1
    shift
    : >"$work/empty-status"
    if ! apt-get -s -q -o Dir::State::status="$work/empty-status" -o Debug::NoLocking=1 \
        -o APT::Install-Recommends=false -o APT::Install-Suggests=false \
        install "$@" >"$work/apt.out" 2>&1; then
        echo "deps-audit: apt cannot tell what $* would bring:" >&2
        sed 's/^/    /' "$work/apt.out" >&2
        exit 2
    fi
    { awk '$1 == "Inst" { print $2 }' "$work/apt.out"; cat "$work/base"; } | sort -u >"$out"
}
# The packages every Debian system has: those it cannot be without, and what they depend on.
mapfile -t essential < <(dpkg-query -W -f='${Package} ${Essential} ${Priority}\n' |
    awk '$2 == "yes" || $3 == "required" { print $1 }')
closure "$work/base.next" "${essential[@]}"
mv "$work/base.next" "$work/base"
closure "$work/allowed" "${packages[@]}"
echo "deps-audit: ${#packages[@]} packages named; with what they depend on, $(wc -l <"$work/allowed") on a fresh machine"

# --- What the build read ----------------------------------------------------------------------

# Files outside the source and build folders only; one absolute path a line, "KIND PATH".
outside() {
    awk -v src="$source_dir/" -v bld="$build/" \
        'index($2, src) != 1 && index($2, bld) != 1 && $2 ~ /^\//' | sort -u
}

# The CMake package configurations found (*_DIR).
while IFS= read -r line; do
    value=${line#*=}
    [ -d "$value" ] || continue
    for config in "$value"/*[Cc]onfig.cmake; do
        if [ -f "$config" ]; then
            echo "cmake $config"
        fi
    done
done < <(grep -E '^[A-Za-z0-9_.+-]+_DIR:(PATH|STRING|INTERNAL)=/' "$build/CMakeCache.txt") |
    outside >"$work/read"

# The programs the build runs: those its rules and build statements name (the compiler, ccache,
# ar, cmake...). What CMake merely found (a linker for link-time optimisation, say) is not counted.
cat "$build"/CMakeFiles/rules.ninja "$build"/build.ninja 2>/dev/null |
    grep -oE '(^|[ "=])/[^ ";:&|$]+' | sed -E 's/^[ "=]//' | sort -u | while IFS= read -r path; do
    if [ -f "$path" ] && [ -x "$path" ]; then
        echo "tool $path"
    fi
done | outside >>"$work/read"

# The headers every object was compiled from.
ninja -C "$build" -t deps 2>/dev/null | awk '/^    \// { print "header " $1 }' | outside \
    >>"$work/read"

# The libraries linked: named on the link lines, and what the linked programs load.
awk '/^ *LINK_LIBRARIES = / { for (i = 3; i <= NF; ++i) if ($i ~ /^\//) print "link " $i }' \
    "$build/build.ninja" | outside >>"$work/read"
find "$build" -type f -perm -u+x ! -path '*/CMakeFiles/*' | while IFS= read -r file; do
    [ "$(head -c 4 "$file" | tr -d '\0')" != $'\x7fELF' ] || echo "$file"
done >"$work/elves"
while IFS= read -r elf; do
    ldd "$elf" 2>/dev/null | awk '$2 == "=>" && $3 ~ /^\// { print "link " $3 } $1 ~ /^\// { print "link " $1 }'
done <"$work/elves" | outside >>"$work/read"

# --- What the tests started and loaded ----------------------------------------------------------

# From the strace log: per process, the programs started (and the interpreter a script names) and
# the shared objects and Python modules opened, each with the program that did it ("KIND PATH
# PROGRAM").
if [ -n "$trace" ]; then
    awk '
        # "PID execve("/usr/bin/xprop", [...], ...) = 0", "PID openat(AT_FDCWD, "/x", ...) = 3"
        function path_of(line,   start, rest) {
            start = index(line, "\"")
            rest = substr(line, start + 1)
            return substr(rest, 1, index(rest, "\"") - 1)
        }
        $2 ~ /^execve\(/ && / = 0$/ {
            program[$1] = path_of($0)
            # (ldd runs each dynamic loader the machine has, 32-bit ones too, to find the one
            # that takes a file: those are the machine'"'"'s, not the tests'"'"'.)
            if (program[$1] !~ /\/ld-linux[^\/]*\.so[.0-9]*$/)
                print "program " program[$1]
            next
        }
        $2 ~ /^openat\(/ && !/ = -1 / {
            p = path_of($0)
            # (Name service modules are those nsswitch.conf names on this machine, not the tests.)
            if (p ~ /\/libnss_[^\/]*$/)
                next
            # (Nor a dynamic loader itself: ldd probes each the machine has, and when strace
            # splits that probe'"'"'s execve over two lines the program is not told.)
            if (p ~ /\/ld-linux[^\/]*\.so[.0-9]*$/)
                next
            if (p ~ /\.so(\.[0-9.]+)?$/ || p ~ /\/python3[^ ]*\/.*\.py$/ || p ~ /\.typelib$/)
                print "loaded " p " " (($1 in program) ? program[$1] : "?")
        }
    ' "$trace" | sort -u >"$work/traced"
    # Scripts: the interpreter their first line names.
    awk '$1 == "program" { print $2 }' "$work/traced" | sort -u | while IFS= read -r program; do
        if [ -f "$program" ] && [ "$(head -c 2 "$program" 2>/dev/null)" = "#!" ]; then
            interpreter=$(head -n 1 "$program" | sed -e 's/^#! *//' -e 's/ .*//')
            if [ "$interpreter" = /usr/bin/env ]; then
                interpreter=$(command -v "$(head -n 1 "$program" | awk '{ print $2 }')" || true)
            fi
            [ -z "$interpreter" ] || echo "program $interpreter $program"
        fi
    done >>"$work/traced"
    outside <"$work/traced" >>"$work/read"
fi
sort -u -o "$work/read" "$work/read"

# --- Who owns each file -------------------------------------------------------------------------

# owners IN OUT: "PATH PACKAGE" for each path of IN ("KIND PATH ..."), PACKAGE "-" when no package
# owns it. Debian 12 has merged /usr, while packages may still list /lib/..., /bin/...; a path
# reached through a symbolic link is also tried as the file it leads to.
owners() {
    local in=$1 out=$2
    awk '{ print $2 }' "$in" | sort -u >"$work/paths"
    : >"$out"
    local round
    for round in as-is merged resolved; do
        [ -s "$work/paths" ] || break
        while IFS= read -r path; do
            case $round in
            as-is) echo "$path $path" ;;
            merged)
                case $path in
                /usr/bin/* | /usr/sbin/* | /usr/lib/* | /usr/lib64/*) echo "$path ${path#/usr}" ;;
                /bin/* | /sbin/* | /lib/* | /lib64/*) echo "$path /usr$path" ;;
                *) echo "$path $path" ;;
                esac
                ;;
            resolved) echo "$path $(realpath -e "$path" 2>/dev/null || echo "$path")" ;;
            esac
        done <"$work/paths" >"$work/asked"
        # dpkg-query -S answers "pkg[:arch][, pkg2]: PATH" per path it knows.
        awk '{ print $2 }' "$work/asked" | sort -u | xargs -r -d '\n' dpkg-query -S 2>/dev/null |
            awk -F': ' '!/^diversion / { n = split($1, owners, ", "); for (i = 1; i <= n; ++i) { sub(/:.*/, "", owners[i]); print $2 " " owners[i] } }' |
            sort -u >"$work/found" || true
        awk 'NR == FNR { owner[$1] = owner[$1] ? owner[$1] : $2; next }
             ($2 in owner) { print $1 " " owner[$2] }' "$work/found" "$work/asked" >>"$out"
        awk 'NR == FNR { known[$1] = 1; next } !($1 in known)' "$out" "$work/paths" \
            >"$work/paths.next"
        mv "$work/paths.next" "$work/paths"
    done
    awk '{ print $1 " -" }' "$work/paths" >>"$out"
    sort -u -o "$out" "$out"
}

# report LIST ALLOWED WHAT WHERE: names each package of LIST's files that ALLOWED lacks (to be
# added WHERE), and each file no package owns; returns 1 when there is any.
report() {
    local list=$1 allowed=$2 what=$3 where=$4
    owners "$list" "$work/owners"
    # Files no package owns: the tests' own scratch files and the kernel's are not the set-up's.
    awk 'NR == FNR { owner[$1] = $2; next }
         { o = owner[$2] }
         o == "-" && $2 !~ /^\/(tmp|proc|sys|dev|run|var\/tmp|etc\/ld\.so\.cache)/ { print "  " $2 " (" $1 (NF > 2 ? ", by " $3 : "") "): no Debian package owns it" }
    ' "$work/owners" "$list" | sort -u >"$work/unowned"
    # Each such package once, with the shortest of its paths (the most telling, as a rule).
    awk 'NR == FNR { ok[$1] = 1; next } FILENAME == ARGV[2] { owner[$1] = $2; next }
         { o = owner[$2] } o != "-" && o != "" && !(o in ok) &&
         (!(o in example) || length($2) < length(shortest[o])) {
             shortest[o] = $2; example[o] = "  " o ": " $2 " (" $1 (NF > 2 ? ", by " $3 : "") ")" }
         END { for (o in example) print example[o] }
    ' "$allowed" "$work/owners" "$list" | sort >"$work/missing"
    if [ -s "$work/missing" ] || [ -s "$work/unowned" ]; then
        echo "deps-audit: FAIL: $what" >&2
        if [ -s "$work/missing" ]; then
            echo "  packages used but not brought by the list (add them to $where):" >&2
            cat "$work/missing" >&2
        fi
        cat "$work/unowned" >&2
        return 1
    fi
    echo "deps-audit: $what: $(wc -l <"$list") files, all from the list's packages"
}

status=0
report "$work/read" "$work/allowed" "the build and the tests" scripts/deps.sh || status=1

# --- The package's own dependencies -------------------------------------------------------------

if [ "$package" -eq 1 ]; then
    program=$build/app/orvanto-tv
    (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.out" 2>&1) || {
        echo "deps-audit: the package could not be made:" >&2
        sed 's/^/    /' "$work/cpack.out" >&2
        exit 2
    }
    deb=$(find "$work/deb" -maxdepth 1 -name '*.deb' | head -n 1)
    echo "deps-audit: the package depends on: $(dpkg-deb -f "$deb" Depends)"
    closure "$work/deb-allowed" "$deb"
    # What the program links, and what it loaded and started while the tests ran it.
    {
        ldd "$program" | awk '$2 == "=>" && $3 ~ /^\// { print "link " $3 }'
        [ -z "$trace" ] || awk -v p="$program" '$3 == p && $2 != p' "$work/traced"
    } | outside >"$work/runtime"
    report "$work/runtime" "$work/deb-allowed" "what the installed program uses" \
        "the package's Depends in packaging/CMakeLists.txt" || status=1
fi
exit "$status"
