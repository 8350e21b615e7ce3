#!/usr/bin/env bash
# The include-direction check: the source tree and a tree that keeps to the table pass, planted faults fail.
# Layer: tests.
#
# Planted faults: an upward include, quoted or angled, an image tool include outside main.cpp, paths whose
# ".." segments climb into another room or out of src/, a room without a row; each failure is checked for
# its exact text.
# Usage: check_layers.sh SOURCE_FOLDER
set -euo pipefail
source=$1
check=$source/.ci/check-layers
tree=$(mktemp -d "${TMPDIR:-/tmp}/kelmore-layers-XXXXXX")
trap 'rm -rf "$tree"' EXIT
fail() {
  echo "layer check test: $*" >&2
  exit 1
}

"$check" "$source" || fail "the source tree breaks the include direction"

# A tree that keeps to the table: each room includes itself and the rooms below it.
plant() {
  mkdir -p "$(dirname "$tree/src/$1")"
  printf '%s\n' "${@:2}" >"$tree/src/$1"
}
reset() {
  rm -rf "$tree/src"
  for room in common platform compiler link sim widgets loader; do plant "$room/a.h" '#pragma once'; done
  plant editor/a.cpp '#include "editor/a.h"' '#include "widgets/a.h"' '#include <QString>'
  plant mainwindow/form1.cpp '#include "editor/a.h"' '#include "compiler/a.h"' '#include "link/a.h"'
  plant mainwindow/main.cpp '#include "imagetool/frmimage.h"' '#include "mainwindow/form1.h"'
  plant imagetool/frmimage.cpp '#include "widgets/a.h"' '#include "link/a.h"'
  # System headers are no rooms; a path that stays in its room, or reaches one below it, is fine.
  plant link/serial.cpp '#include <sys/ioctl.h>' '#include <vector>' '#include <common/a.h>' \
    '#include "../link/a.h"' '#include "link/../common/a.h"'
}
# expect_failure TEXT: the check fails and says exactly TEXT (its closing line aside).
expect_failure() {
  local out
  if out=$("$check" "$tree" 2>&1); then fail "passed, expected: $1"; fi
  out=$(grep -v '^check-layers: a room includes only' <<<"$out")
  [ "$out" = "$1" ] || fail "said: $out
expected: $1"
}

reset
"$check" "$tree" || fail "a tree that keeps to the table fails"

reset
plant editor/hints.cpp '#include "editor/hints.h"' '' '  #  include "mainwindow/keywords.h"'
expect_failure 'src/editor/hints.cpp:3: editor includes mainwindow:   #  include "mainwindow/keywords.h" (editor may include: common platform widgets)'

reset
plant common/strings.h '#pragma once' '#include "platform/paths.h"'
expect_failure 'src/common/strings.h:2: common includes platform: #include "platform/paths.h" (common may include: nothing)'

reset
plant mainwindow/form1.h '#include "imagetool/frmimage.h"'
expect_failure 'src/mainwindow/form1.h:1: mainwindow includes imagetool: #include "imagetool/frmimage.h" (mainwindow may include: common platform compiler link widgets editor)'

reset
plant imagetool/frmlistexport.cpp '#include "mainwindow/operationguard.h"'
expect_failure 'src/imagetool/frmlistexport.cpp:1: imagetool includes mainwindow: #include "mainwindow/operationguard.h" (imagetool may include: common platform link widgets)'

reset
plant common/strings.h '#pragma once' '#include <link/px5000.h>'
expect_failure 'src/common/strings.h:2: common includes link: #include <link/px5000.h> (common may include: nothing)'

reset
plant common/strings.h '#pragma once' '#include "common/../link/px5000.h"'
expect_failure 'src/common/strings.h:2: common includes link: #include "common/../link/px5000.h" (common may include: nothing)'

reset
plant widgets/prompter.cpp '#include "../mainwindow/form1.h"'
expect_failure 'src/widgets/prompter.cpp:1: widgets includes mainwindow: #include "../mainwindow/form1.h" (widgets may include: common platform link)'

reset
plant widgets/prompter.cpp '#include "../../tests/widgets/fake.h"'
expect_failure 'src/widgets/prompter.cpp:1: a relative include passes the room check: #include "../../tests/widgets/fake.h"'

reset
plant tools/a.cpp '#include "common/a.h"'
expect_failure 'src/tools: no row in the table of .ci/check-layers'
