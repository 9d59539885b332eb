#!/usr/bin/env bash
# Fails on an include that climbs a layer, or on Qt or POSIX above platform/. Every target adds
# the source root to its include path, so the compiler would take any of them without a word.
# With a build folder as argument (scripts/check-layers.sh build), also fails when the command
# line program needs a Qt library (not yet in CI: it still links the application's factory).
#
# The layers, lowest first, and what each may include of ours:
#   platform/    anything it needs (POSIX in os/ and shell/, Qt in classlib/ but not its core/)
#   framework/   framework/, platform/os/, platform/classlib/core/; its view classes (the form
#                view, the open-file dialog view, the base form) platform/classlib/ as well
#   engine/      engine/, framework/ but its view classes, platform/os/, platform/classlib/core/
#   controls/    controls/, framework/, platform/
#   app/         app/, controls/, engine/, framework/, platform/
#   cli/         cli/, engine/, framework/ but its view classes, platform/os/, platform/classlib/core/
#   plugins/     plugins/, engine/ExtractPlugin.h, platform/ (the plug-ins link nothing of ours:
#                only header-only parts and the class library's dialogs)
set -euo pipefail
cd "$(dirname "$0")/.."

# Includes that climb today and are on their way out: the engine's models and the command line
# still take their factories from the application. Nothing may join them.
known=(
  "engine/Configmodel.cpp app/IGlintfetchFactory.h"
  "engine/Extractmodel.cpp app/IGlintfetchFactory.h"
  "engine/Extractrun.cpp app/IGlintfetchFactory.h"
  "engine/Pluginmodel.cpp app/IGlintfetchFactory.h"
  "cli/main.cpp app/IGlintfetchFactory.h"
)
isKnown() {
  local entry
  for entry in "${known[@]}"; do [[ $entry == "$1 $2" ]] && return 0; done
  return 1
}

failures=0
fail() {
  echo "check-layers: $*" >&2
  failures=$((failures + 1))
}

views='framework/(Formview|Fileselectview|Tbaseform)\.h'
# Headers of POSIX and of the C library's POSIX parts; the standard C and C++ headers are fine.
posix='(unistd|fcntl|dlfcn|dirent|pthread|poll|sched|semaphore|spawn|termios|pwd|grp|glob|fnmatch|libgen|strings|syslog|utime|wordexp|regex|ftw|mqueue|aio|netdb|ifaddrs)\.h|(sys|netinet|arpa|net)/[a-z_]+\.h'

# includes <folder>: "file:line:header" for every #include of <folder> (sources and headers).
includes() {
  grep -rnoE --include='*.h' --include='*.cpp' --include='*.c' '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"][^>"]+[>"]' "$1" |
    sed -E 's/#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"]/\1/; s/:[[:space:]]*/:/2'
}

# allow <folder> <regex of allowed project includes> [<file regex> <regex>]: every include of
# ours (a path with a folder of the tree) in <folder> must match; files matching <file regex>
# may also include what the last regex allows.
allow() {
  local folder=$1 allowed=$2 special_files=${3:-} special=${4:-}
  local file line header
  while IFS=: read -r file line header; do
    [[ $header =~ ^(platform|framework|engine|controls|app|cli|plugins|tests|bench)/ ]] || continue
    [[ $header =~ ^($allowed)$ ]] && continue
    if [[ -n $special_files && $file =~ $special_files && $header =~ ^($special)$ ]]; then continue; fi
    isKnown "$file" "$header" && continue
    fail "$file:$line includes $header, above or beside its layer"
  done < <(includes "$folder")
}

# above <folder>: no Qt and no POSIX header.
above() {
  local file line header
  while IFS=: read -r file line header; do
    if [[ $header =~ ^(Q[A-Za-z]+|Qt[A-Za-z]*/.*|q[a-z]+\.h)$ ]]; then
      fail "$file:$line includes $header: Qt stays in platform/classlib"
    elif [[ $header =~ ^($posix)$ ]]; then
      fail "$file:$line includes $header: POSIX stays in platform/"
    fi
  done < <(includes "$1")
}

core='framework/.*|platform/os/.*|platform/classlib/core/.*'
allow framework "framework/.*|platform/os/.*|platform/classlib/core/.*" \
  '^framework/(Formview|Fileselectview|Tbaseform)\.(h|cpp)$' 'platform/classlib/.*'
allow engine "engine/.*|$core"
allow controls 'controls/.*|framework/.*|platform/.*'
allow app 'app/.*|controls/.*|engine/.*|framework/.*|platform/.*'
allow cli "cli/.*|engine/.*|$core"
allow plugins 'plugins/.*|engine/ExtractPlugin\.h|platform/.*'
for folder in engine cli; do
  while IFS=: read -r file line header; do
    [[ $header =~ ^($views)$ ]] && fail "$file:$line includes $header: the view classes are the desktop's"
  done < <(includes "$folder")
done
for folder in framework engine controls app cli; do above "$folder"; done

# The command line program loads no Qt library.
if [[ $# -ge 1 ]]; then
  cli="$1/bin/glintfetch-cli"
  if [[ ! -x $cli ]]; then
    fail "$cli is not built"
  elif readelf -d "$cli" | grep -E 'NEEDED.*libQt' >/dev/null; then
    fail "$cli needs $(readelf -d "$cli" | grep -oE 'libQt[^]]*' | tr '\n' ' ')"
  fi
fi

if [[ $failures -ne 0 ]]; then
  echo "check-layers: $failures include(s) or link(s) out of their layer" >&2
  exit 1
fi
echo "check-layers: no include out of its layer, but the ${#known[@]} known ones on their way out"
