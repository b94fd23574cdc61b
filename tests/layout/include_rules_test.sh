#!/usr/bin/env bash
# The include rules of the source tree (doc/layout.md), checked on the
# sources: the front end and the tools reach the analysis code only through
# common/frontend_interface.h (and the dependency-free check macro of
# common/precondition.h); no library includes another library's internals;
# no library's core/ includes its station/ layer; every analysis header is
# spelled by its path from analysis/; the picture readers include nothing of
# the program framework or the products.
# Usage: include_rules_test.sh <source-dir>
set -uo pipefail
cd "$1" || exit 2
broken=0
report() {
  echo "$1"
  sed 's/^/  /' <<<"$2"
  broken=1
}

found=$(grep -rnE '#include "(common|waferon|glazet|ostrel)/' frontend tools |
        grep -vE '#include "common/(frontend_interface|precondition)\.h"')
[ -z "$found" ] || report "the front end includes analysis internals (add what it needs to analysis/common/frontend_interface.h):" "$found"

# The picture readers serve any host: they reach neither the program
# framework nor the products of a run.
found=$(grep -rnE '#include "frontend/(station|products)/' frontend/pictures)
[ -z "$found" ] || report "frontend/pictures includes the program framework or the products:" "$found"

for library in waferon glazet ostrel; do
  others=$(printf '%s\n' waferon glazet ostrel | grep -vx "$library" | paste -sd'|')
  found=$(grep -rnE "#include \"($others)/" "analysis/$library")
  [ -z "$found" ] || report "analysis/$library includes another library's internals:" "$found"
done
found=$(grep -rnE '#include "(waferon|glazet|ostrel)/' analysis/common)
[ -z "$found" ] || report "analysis/common includes a library's internals:" "$found"

# The pure analysis stays apart from the station layer: no core file reaches
# a station file, the console or the output folder.
found=$(grep -rnE '#include "((waferon|glazet|ostrel)/station/|common/(console|output_folder)\.h)' \
          analysis/waferon/core analysis/glazet/core analysis/ostrel/core)
[ -z "$found" ] || report "a library's core/ includes its station layer or the console:" "$found"

found=$(grep -rnE '#include "' analysis --include='*.h' --include='*.cpp' |
        grep -vE '#include "(common|waferon|glazet|ostrel|sensordefect)/')
[ -z "$found" ] || report "analysis headers spelled otherwise than by their path from analysis/:" "$found"

[ "$broken" -eq 0 ] && echo "include rules hold"
exit "$broken"
