#!/usr/bin/env bash
# Mutation sampler, run by hand: plants each small fault listed in scripts/mutants/*.txt in a scratch
# copy of this tree, builds the area's tests, runs them, and puts the file back. A fault the tests catch is
# "killed"; one they miss "survived"; one that does not build is "stillborn" and not counted.
# Prints a line per fault and, at the end, killed/survived per area and overall.
#
#   bash scripts/mutants.sh [--only AREA] [--list FILE] [--scratch DIR]
#
# A list has one fault a line, five fields apart by tabs: the library's area (core, bridge, standin,
# shares, remote, contacts, ui, app), the file, the text to replace (it must stand exactly once in
# the file; "\n" stands for a line break), the text to put in its place, and what the fault is.
# Lines that start with # are comments.
#
# Needs python3 and a tree that builds (scripts/setup.sh). The scratch copy and its build stay in
# DIR (default /tmp/fenmar-mutants) so that a second run only builds what the faults touch.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
lists=(scripts/mutants/*.txt)
scratch=/tmp/fenmar-mutants
only=""
while (($#)); do
  case "$1" in
    --only) only=$2; shift 2 ;;
    --list) lists=("$2"); shift 2 ;;
    --scratch) scratch=$2; shift 2 ;;
    *) echo "usage: $0 [--only AREA] [--list FILE] [--scratch DIR]" >&2; exit 2 ;;
  esac
done

# The test areas that judge the faults of each library.
declare -A areas=(
  [core]="core"
  [bridge]="bridge"
  [standin]="standin"
  [shares]="shares_model shares"
  [remote]="remote_model remote"
  [contacts]="contacts_model contacts"
  [ui]="ui"
  [app]="app app_gui resilience"
)

echo "Copying the tree to $scratch/tree ..."
stage="$scratch/stage"
rm -rf "$stage"
mkdir -p "$stage" "$scratch/tree"
tar -C "$top" --exclude='./build*' --exclude='./.git' -cf - . | tar -C "$stage" -xf -
# Only files whose content changed are copied, and they get a new time, so a second run rebuilds
# what changed whatever time the file had (also a fault an interrupted run left behind).
(cd "$stage" && find . -type f) | while IFS= read -r f; do
  if ! cmp -s "$stage/$f" "$scratch/tree/$f"; then
    mkdir -p "$(dirname "$scratch/tree/$f")"
    cp "$stage/$f" "$scratch/tree/$f"
  fi
done
(cd "$scratch/tree" && find . -type f) | while IFS= read -r f; do
  [[ -e "$stage/$f" ]] || rm -f "$scratch/tree/$f"
done
build="$scratch/build"
# No compiler cache here: a stale hit would judge other code than the fault's.
cmake -S "$scratch/tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENMAR_BUILD_BENCH=OFF >/dev/null
echo "Building the unchanged tree ..."
cmake --build "$build" --parallel "$(nproc)" >/dev/null

# Applies or takes back one fault: the text before must stand exactly once in the file.
plant() { # file before after
  python3 - "$@" <<'PY'
import sys
path, before, after = (a.replace("\\n", "\n") for a in sys.argv[1:4])
text = open(path, encoding="utf-8").read()
n = text.count(before)
if n != 1:
    print(f"stands {n} times", file=sys.stderr)
    sys.exit(3)
open(path, "w", encoding="utf-8").write(text.replace(before, after))
PY
}

declare -A killed survived
total_killed=0
total_survived=0
number=0
export QT_QPA_PLATFORM=offscreen
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  # Tabs count as white space to read, which would fold an empty field away: split on \x1f instead.
  IFS=$'\x1f' read -r area file before after note <<<"${line//$'\t'/$'\x1f'}"
  [[ -n "$only" && "$area" != "$only" ]] && continue
  number=$((number + 1))
  label="#$number $area $file: $note"
  target="$scratch/tree/$file"
  if [[ ! -f "$target" ]]; then
    echo "SKIPPED    $label (no such file)"
    continue
  fi
  cp "$target" "$target.orig"
  if ! plant "$target" "$before" "$after" 2>"$scratch/plant.err"; then
    echo "SKIPPED    $label ($(cat "$scratch/plant.err"))"
    mv "$target.orig" "$target"
    continue
  fi
  tests=()
  regex=""
  for a in ${areas[$area]}; do
    [[ -d "$scratch/tree/tests/$a" ]] || continue
    tests+=("fenmar_${a}_tests")
    regex+="${regex:+|}$a"
  done
  if ! cmake --build "$build" --parallel "$(nproc)" --target "${tests[@]}" >"$scratch/build.log" 2>&1; then
    echo "STILLBORN  $label"
  elif (cd "$build" && ctest -R "^($regex)\\." -j"$(nproc)" --timeout 120 --stop-on-failure \
          >"$scratch/test.log" 2>&1); then
    echo "SURVIVED   $label"
    survived[$area]=$((${survived[$area]:-0} + 1))
    total_survived=$((total_survived + 1))
  else
    echo "KILLED     $label"
    killed[$area]=$((${killed[$area]:-0} + 1))
    total_killed=$((total_killed + 1))
  fi
  mv "$target.orig" "$target"
  touch "$target"
done < <(cat "${lists[@]}")

# Rebuild the unchanged tree so the next run starts from it.
cmake --build "$build" --parallel "$(nproc)" >/dev/null 2>&1 || true

echo
printf '%-10s %7s %9s %8s\n' area killed survived rate
for area in core bridge standin shares remote contacts ui app; do
  k=${killed[$area]:-0}; s=${survived[$area]:-0}
  ((k + s)) || continue
  printf '%-10s %7d %9d %7d%%\n' "$area" "$k" "$s" $((100 * k / (k + s)))
done
all=$((total_killed + total_survived))
((all)) && printf '%-10s %7d %9d %7d%%\n' overall "$total_killed" "$total_survived" $((100 * total_killed / all))
