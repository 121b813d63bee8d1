#!/usr/bin/env bash
# Makes a change to the sources of tests/cli/reports/basic*.xml with git and
# writes its diff as git does, into the current folder: change.diff with the
# default context and change-u0.diff with none (-U0). The change edits covered
# and uncovered lines, a line of the #line stretch src/ops.def, a renamed file
# (counted under its new name), a deleted file, a file without coverage and one
# whose name git quotes.
set -eu
out=$PWD
repo=$(mktemp -d)
trap 'rm -rf "$repo"' EXIT
cd "$repo"
git init -q .
git config user.email tests@example.invalid
git config user.name tests
git config core.quotepath true
mkdir -p src include docs
for f in src/main.c src/parse_old.c include/util.h src/ops.def docs/guide.md; do
  seq -f 'line %g' 40 >"$f"
done
seq -f 'gone %g' 12 >src/gone.c
seq -f 'note %g' 3 >'docs/tab	and "quote".txt'
git add -A
git commit -qm base
sed -i -e '13s/.*/  if (argc > 1)  \/\/ edited/' -e '22s/.*/}  \/\/ edited/' -e '31s/.*/  \/\/ a comment: no probe/' src/main.c
sed -i '6s/.*/  if (v > hi)  \/\/ edited/' include/util.h
sed -i '2s/.*/OP(DBL, v * 2)  \/\/ edited/' src/ops.def
git mv src/parse_old.c src/parse.c
sed -i '10s/.*/      case '"'"'-'"'"': return -1;  \/\/ edited/' src/parse.c
git rm -q src/gone.c
printf 'More words.\n' >>docs/guide.md
printf 'note 4\n' >>'docs/tab	and "quote".txt'
git add -A
git diff --cached -M >"$out/change.diff"
git diff --cached -M -U0 >"$out/change-u0.diff"
