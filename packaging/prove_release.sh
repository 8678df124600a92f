#!/usr/bin/env bash
# Proves the release that `cmake --workflow --preset release` made in
# build-release/packages by using it as a user would:
# - the folder holds the artifacts and SHA256SUMS only; SHA256SUMS names every
#   artifact, and each matches;
# - the Debian package passes lintian without errors or warnings, names the
#   maintainer of the release's setting and no home page, installs, both
#   programs run from PATH and agree with the build's, `man varve-batch` shows
#   its page, the user guide installed is checked against the installed
#   programs, every link of the installed README, guide and manual pages leads
#   to something installed, and a purge leaves nothing of it on the system;
# - the Windows zip, unpacked into a fresh folder, holds what it should, with
#   the guide, every file its README.txt names, and both .exe files run under
#   Wine in a fresh prefix;
# - the web page in both packages is the release's varve-convert.html;
# - the Python wheel, installed into a fresh virtual environment, and the R
#   source package, installed into an empty library, convert a column as
#   varve-batch does; every program and package names the same correspondence
#   tables; R's citation("varve") gives no warning and the same BibTeX entry
#   as Python's varve.citation("bibtex"); the R package names the Debian
#   package's maintainer;
# - the source archive, unpacked into a fresh folder, carries the README's
#   test command (.ci/run, which is running this very proof) unchanged and
#   builds and passes the native tests with it, and its build-and-start
#   command runs the program.
# Needs root (dpkg), lintian, man-db, wine, unzip, R, Debian's python3 with
# venv and numpy.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
packages=$root/build-release/packages
version=$(sed -n 's/^project(varve-convert VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
deb=$packages/varve-convert_${version}_amd64.deb
zip=$packages/varve-convert-${version}-win64.zip
source=$packages/varve-convert-${version}.tar.gz
page=$packages/varve-convert.html
r_package=$packages/varve_${version}.tar.gz
native=$root/build-release
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "prove_release: $*" >&2
  exit 1
}
step() {
  echo "== $*"
}

# What both programs are given, and what the build's programs make of it.
session=$'1\n4282\n1\n2\n6357\n0\n'
numbers=$'# core 7\n3021, 4282;5674\n6500\n'
# A spreadsheet's CSV file, for the column mode: CR LF, a quoted field, a gap.
samples=$'sample,NE varve,note\r\nA1,3021,"clay, grey"\r\nA2,,\r\nA3,5674,silt\r\n'
printf '%s' "$samples" > "$work/samples.csv"
printf '%s' "$session" | "$native/varve-convert" > "$work/session.expected"
# The tables every program and package must name: the build's.
tables=$("$native/varve-batch" --version | sed -n 2p)
[[ "$tables" =~ ^correspondence\ tables\ revision\ [^,]+,\ checksum\ [0-9a-f]{8}$ ]] ||
  fail "varve-batch --version names no tables: $tables"
printf '%s' "$numbers" | "$native/varve-batch" ne-to-am --format csv > "$work/batch.expected"
"$native/varve-batch" ne-to-am --column 'NE varve' "$work/samples.csv" > "$work/column.expected"
# A column of NE and one of AM numbers, for the bindings: the accepted ranges'
# edges, a number outside them, a blank, a fraction and a value that is not a
# whole number.
printf 'ne\n2500\n3021\n4282\n5674\n6460\n6560\n9000\n9500\n\n3021.0\n4282?\n' > "$work/ne.csv"
printf 'am\n2500\n3000\n5691\n6600\n7000\n8700\n2499\n' > "$work/am.csv"
# varve-batch converts the rest and ends with status 1 for the NE column's bad value.
for direction in ne-to-am am-to-ne; do
  column=${direction%%-*}
  status=0
  "$native/varve-batch" "$direction" --column "$column" "$work/$column.csv" \
    > "$work/$column.expected" 2> /dev/null || status=$?
  [ "$status" = "$([ "$column" = ne ] && echo 1 || echo 0)" ] ||
    fail "varve-batch $direction ended with status $status"
done

step "Release folder: the artifacts and SHA256SUMS"
wheels=("$packages"/varve-"$version"-*.whl)
[ ${#wheels[@]} = 1 ] && [ -f "${wheels[0]}" ] || fail "not one wheel in $packages: ${wheels[*]}"
wheel=${wheels[0]}
expected_sums=$(for file in "$deb" "$zip" "$source" "$page" "$r_package" "$wheel"; do
  basename "$file"
done | LC_ALL=C sort)
held=$(cd "$packages" && LC_ALL=C ls -A | grep -vx SHA256SUMS || true)
[ "$held" = "$expected_sums" ] || fail "$packages holds $(echo $held), not only the release's files"
[ "$(cut -d' ' -f3- "$packages/SHA256SUMS" | sort)" = "$expected_sums" ] ||
  fail "SHA256SUMS names $(cut -d' ' -f3- "$packages/SHA256SUMS"), not $expected_sums"
(cd "$packages" && sha256sum --check --strict SHA256SUMS) || fail "SHA256SUMS does not match"

step "Debian package: lintian, the maintainer, no home page"
lintian --fail-on error,warning "$deb"
maintainer=$(dpkg-deb --field "$deb" Maintainer)
# The release's one maintainer setting, as the release build was configured.
setting=$(sed -n 's/^VARVE_MAINTAINER:STRING=//p' "$native/CMakeCache.txt")
[ -n "$setting" ] || fail "the release build has no VARVE_MAINTAINER"
[ "$maintainer" = "$setting" ] ||
  fail "the .deb names the maintainer $maintainer, not the release setting's, $setting"
[ -z "$(dpkg-deb --field "$deb" Homepage)" ] || fail "the .deb names a home page"

step "Debian package: install, run from PATH, read the manual"
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=900 install -y "$deb"
dpkg-query -L varve-convert | sort > "$work/installed"
[ "$(command -v varve-convert)" = /usr/bin/varve-convert ] || fail "varve-convert is not on PATH"
[ "$(command -v varve-batch)" = /usr/bin/varve-batch ] || fail "varve-batch is not on PATH"
printf '%s' "$session" | varve-convert > "$work/session.deb"
cmp "$work/session.expected" "$work/session.deb" || fail "the installed varve-convert differs"
printf '%s' "$numbers" | varve-batch ne-to-am --format csv > "$work/batch.deb"
cmp "$work/batch.expected" "$work/batch.deb" || fail "the installed varve-batch differs"
[ "$(varve-convert --version)" = "varve-convert $version" ] || fail "varve-convert --version"
[ "$(varve-batch --version)" = "varve-batch $version"$'\n'"$tables" ] || fail "varve-batch --version"
man_pages=(varve-batch varve-convert)
if ! man -w varve-batch >/dev/null 2>&1 &&
  grep -qs '^path-exclude=*/usr/share/man' /etc/dpkg/dpkg.cfg.d/*; then
  # A minimised system: dpkg leaves out every manual page, ours too.
  echo "dpkg here leaves out manual pages (path-exclude): reading them from the package"
  dpkg-deb -x "$deb" "$work/deb"
  man_pages=("$work"/deb/usr/share/man/man1/varve-batch.1.gz
    "$work"/deb/usr/share/man/man1/varve-convert.1.gz)
fi
MANWIDTH=80 man -P cat "${man_pages[0]}" > "$work/varve-batch.man"
grep -q -- '--no-header' "$work/varve-batch.man" || fail "man varve-batch lacks its options"
grep -q "varve-convert $version" "$work/varve-batch.man" || fail "man varve-batch lacks the version"
MANWIDTH=80 man -P cat "${man_pages[1]}" > "$work/varve-convert.man"
grep -q 'EXIT STATUS' "$work/varve-convert.man" || fail "man varve-convert"
docs=/usr/share/doc/varve-convert
for file in "$docs"/{README.md,copyright,CHANGELOG.md,guide.md,chart.svg}; do
  [ -s "$file" ] || fail "$file is missing"
done
cmp "$page" /usr/share/varve-convert/varve-convert.html || fail "the .deb lacks the web page"

step "Debian package: the guide against the installed programs, and every link"
# The guide installed, its every number checked against the programs installed.
/usr/bin/python3 "$root/tests/docs/check_guide.py" --batch /usr/bin/varve-batch \
  --convert /usr/bin/varve-convert --guide "$docs/guide.md" --chart "$docs/chart.svg"
man_root=/
[ -d "$work/deb" ] && man_root=$work/deb
/usr/bin/python3 "$root/packaging/check_links.py" --man-root "$man_root" "$docs/README.md" \
  "$docs/guide.md" "$work/varve-batch.man" "$work/varve-convert.man"

step "Debian package: purge, and nothing of it is left"
apt-get -o DPkg::Lock::Timeout=900 purge -y varve-convert
if dpkg-query -W -f '${db:Status-Status}\n' varve-convert 2>/dev/null | grep -qv '^not-installed$'; then
  fail "the package is still known to dpkg"
fi
while read -r path; do
  case "$path" in
    /. | /usr | /usr/bin | /usr/share | /usr/share/doc | /usr/share/man | /usr/share/man/man1) ;;
    *) [ ! -e "$path" ] || fail "$path is left after the purge" ;;
  esac
done < "$work/installed"
! command -v varve-convert >/dev/null || fail "varve-convert is still on PATH"

step "Windows zip: unpack into a fresh folder"
mkdir "$work/windows"
(cd "$work/windows" && unzip -q "$zip")
folder=$work/windows/varve-convert-${version}-win64
expected_files="LICENSE.txt README.txt chart.svg guide.md varve-batch.exe varve-convert.exe varve-convert.html"
[ "$(cd "$folder" && LC_ALL=C ls | tr '\n' ' ' | sed 's/ $//')" = "$expected_files" ] ||
  fail "the zip holds $(ls "$folder"), not $expected_files"
# The guide that the native tests and the .deb's proof checked, with its chart,
# and nothing that README.txt or the guide names missing.
cmp "$root/docs/guide.md" "$folder/guide.md" || fail "the zip's guide differs"
cmp "$root/docs/chart.svg" "$folder/chart.svg" || fail "the zip's chart differs"
/usr/bin/python3 "$root/packaging/check_links.py" "$folder/README.txt" "$folder/guide.md"
grep -q 'Citing a result' "$folder/README.txt" || fail "README.txt does not say how to cite"
for text in README.txt LICENSE.txt; do
  # Every line ends in CR LF: as many CR LF as LF.
  [ "$(grep -c $'\r$' "$folder/$text")" = "$(wc -l < "$folder/$text")" ] ||
    fail "$text has a line end without CR"
done
cmp "$page" "$folder/varve-convert.html" || fail "the zip's web page differs"
grep -q 'varve-convert.html: in the web browser' "$folder/README.txt" ||
  fail "README.txt lacks the web page's section"
for exe in varve-convert.exe varve-batch.exe; do
  # Static: the only DLLs named are Windows' own.
  dlls=$(x86_64-w64-mingw32-objdump -p "$folder/$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  for dll in $dlls; do
    case "$dll" in
      kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | shell32.dll | api-ms-win-*) ;;
      *) fail "$exe needs $dll" ;;
    esac
  done
done

step "Windows zip: both programs under Wine"
export WINEPREFIX=$work/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
wineboot --init > /dev/null 2>&1 || true
printf '%s' "$session" | (cd "$folder" && wine varve-convert.exe) > "$work/session.wine"
cmp "$work/session.expected" "$work/session.wine" || fail "varve-convert.exe differs"
printf '%s' "$numbers" | (cd "$folder" && wine varve-batch.exe ne-to-am --format csv) \
  > "$work/batch.wine"
cmp "$work/batch.expected" "$work/batch.wine" || fail "varve-batch.exe differs"
cp "$work/samples.csv" "$folder/samples.csv"
(cd "$folder" && wine varve-batch.exe ne-to-am --column 'NE varve' samples.csv) > "$work/column.wine"
cmp "$work/column.expected" "$work/column.wine" || fail "varve-batch.exe --column differs"
[ "$(cd "$folder" && wine varve-batch.exe --version | tr -d '\r')" = "varve-batch $version"$'\n'"$tables" ] ||
  fail "varve-batch.exe --version"
wineserver -k 2>/dev/null || true

# Writes, for each direction, the column converted by the bindings as
# varve-batch --column writes it: the input, then each result column, with
# missing values empty and false couplets as true or false.
python_convert='import csv, sys
import numpy as np
import varve

direction, path = sys.argv[1:]
with open(path, newline="") as f:
    rows = list(csv.reader(f))
convert = varve.ne_to_am if direction == "ne-to-am" else varve.am_to_ne
columns = convert([row[0] if row else "" for row in rows[1:]])


def cell(value):
    if value is np.ma.masked:
        return ""
    if isinstance(value, (bool, np.bool_)):
        return "true" if value else "false"
    return str(value)


print(",".join(rows[0] + list(columns)))
for i, row in enumerate(rows[1:]):
    print(",".join((row or [""]) + [cell(values[i]) for values in columns.values()]))'
r_convert='args <- commandArgs(trailingOnly = TRUE)
library(varve, lib.loc = args[3])
lines <- readLines(args[2])
convert <- if (args[1] == "ne-to-am") ne_to_am else am_to_ne
result <- convert(lines[-1])
cells <- vapply(result, function(column) {
  text <- if (is.logical(column)) tolower(as.character(column)) else as.character(column)
  ifelse(is.na(text), "", text)
}, character(nrow(result)))
writeLines(c(paste(c(lines[1], names(result)), collapse = ","),
  apply(cbind(lines[-1], matrix(cells, nrow = nrow(result))), 1, paste, collapse = ",")))'

step "Python wheel: install into a fresh virtual environment, convert"
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
"$work/venv/bin/pip" install --quiet --no-index --no-deps "$wheel"
for direction in ne-to-am am-to-ne; do
  column=${direction%%-*}
  # From the scratch folder, so that only the installed module can be imported.
  (cd "$work" && venv/bin/python -c "$python_convert" "$direction" "$column.csv") \
    > "$work/$column.python" 2> "$work/$column.python.err" ||
    fail "the wheel's $direction failed: $(cat "$work/$column.python.err")"
  cmp "$work/$column.expected" "$work/$column.python" ||
    fail "the wheel's $direction differs from varve-batch's"
done
grep -qF "$work/venv/" <("$work/venv/bin/python" -c 'import varve; print(varve.__file__)') ||
  fail "the module imported is not the wheel's"
[ "$(cd "$work" && venv/bin/python -c 'import varve
print("correspondence tables revision %(revision)s, checksum %(checksum)s" % varve.tables_identity())')" = "$tables" ] ||
  fail "the wheel names other tables than varve-batch"
(cd "$work" && venv/bin/python -c 'import varve; print(varve.citation("bibtex"))') \
  > "$work/citation.python"

step "R source package: install into an empty library, convert"
mkdir "$work/r-library"
R CMD INSTALL --library="$work/r-library" "$r_package" > "$work/r-install.log" 2>&1 ||
  fail "R CMD INSTALL failed: $(tail -n 20 "$work/r-install.log")"
for direction in ne-to-am am-to-ne; do
  column=${direction%%-*}
  (cd "$work" && Rscript -e "$r_convert" "$direction" "$column.csv" r-library) \
    > "$work/$column.r" 2> "$work/$column.r.err" ||
    fail "the R package's $direction failed: $(cat "$work/$column.r.err")"
  cmp "$work/$column.expected" "$work/$column.r" ||
    fail "the R package's $direction differs from varve-batch's"
done
r_identity='library(varve, lib.loc = commandArgs(trailingOnly = TRUE)[1])
t <- tables_identity()
cat(sprintf("correspondence tables revision %s, checksum %s\n", t[["revision"]], t[["checksum"]]))
options(warn = 2)  # a warning of citation() is an error here
writeLines(toBibtex(citation("varve")), commandArgs(trailingOnly = TRUE)[2])
cat(packageDescription("varve", lib.loc = commandArgs(trailingOnly = TRUE)[1])$Maintainer, "\n")'
(cd "$work" && Rscript -e "$r_identity" r-library citation.r) > "$work/r-identity" 2>&1 ||
  fail "the R package's tables_identity() or citation() failed: $(cat "$work/r-identity")"
[ "$(sed -n 1p "$work/r-identity")" = "$tables" ] || fail "the R package names other tables"
[ "$(sed -n 2p "$work/r-identity" | sed 's/ *$//')" = "$maintainer" ] ||
  fail "the R package's maintainer is not the .deb's, $maintainer"
cmp "$work/citation.r" "$work/citation.python" ||
  fail "R's citation(\"varve\") and Python's varve.citation() differ"

step "Source archive: the README's commands in a fresh folder"
mkdir "$work/source"
tar -xzf "$source" -C "$work/source"
cd "$work/source/varve-convert-$version"
[ ! -e build ] || fail "the source archive holds a build folder"
# The README's two set-up commands: the indented line after each heading.
readme_command() {
  awk -v heading="$1" '$0 == heading { found = 1; next }
    found && /^    / { sub(/^    /, ""); print; exit }' README.md
}
test_command=$(readme_command 'Install what the machine lacks, then build and run every test (as root):')
start=$(readme_command 'Build and start the interactive program:')
[ -n "$test_command" ] || fail "README lacks the test command"
[ -n "$start" ] || fail "README lacks the build-and-start command"
echo "$start"
printf '%s' "$session" | bash -c "$start" > "$work/session.source"
# The build's messages, then the dialogue.
tail -c "$(stat -c %s "$work/session.expected")" "$work/session.source" |
  cmp - "$work/session.expected" || fail "the build-and-start command did not run the dialogue"
# The test command is .ci/run, the script that runs this proof: the archive
# must carry it unchanged, and its native build and tests must pass from the
# archive. Running it whole again here would only repeat this run.
[ "$test_command" = ".ci/run" ] || fail "the README's test command is not .ci/run"
cmp .ci/run "$root/.ci/run" || fail "the source archive's .ci/run differs"
grep -qx 'cmake --workflow --preset default' .ci/run || fail ".ci/run no longer runs the native tests"
cmake --workflow --preset default

echo "prove_release: the Debian package, the Windows zip, the web page, the wheel, the R package and the source archive work"
