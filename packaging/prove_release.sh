#!/usr/bin/env bash
# Proves the packages that `cmake --workflow --preset release` made in
# build-release/packages by using them as a user would:
# - the Debian package passes lintian without errors, installs, both programs
#   run from PATH and agree with the build's, `man varve-batch` shows its page,
#   and a purge leaves nothing of it on the system;
# - the Windows zip, unpacked into a fresh folder, holds what it should, and
#   both .exe files run under Wine in a fresh prefix;
# - the source archive, unpacked into a fresh folder, carries the README's
#   test command (.ci/run, which is running this very proof) unchanged and
#   builds and passes the native tests with it, and its build-and-start
#   command runs the program.
# Needs root (dpkg), lintian, man-db, wine, unzip.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
packages=$root/build-release/packages
version=$(sed -n 's/^project(varve-convert VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in CMakeLists.txt" >&2; exit 1; }
deb=$packages/varve-convert_${version}_amd64.deb
zip=$packages/varve-convert-${version}-win64.zip
source=$packages/varve-convert-${version}.tar.gz
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
printf '%s' "$numbers" | "$native/varve-batch" ne-to-am --format csv > "$work/batch.expected"
"$native/varve-batch" ne-to-am --column 'NE varve' "$work/samples.csv" > "$work/column.expected"
web_page=$(sed -n 's/^VARVE_WEB_PAGE:FILEPATH=//p' "$native/CMakeCache.txt")
if [ -f "$web_page" ]; then
  echo "The packages should carry the web page $web_page."
  has_web_page=1
else
  echo "The web page has not been built: the packages do not carry it."
  has_web_page=0
fi

step "Debian package: lintian"
lintian --fail-on error "$deb"

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
[ "$(varve-batch --version)" = "varve-batch $version" ] || fail "varve-batch --version"
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
MANWIDTH=80 man -P cat "${man_pages[1]}" | grep -q 'EXIT STATUS' || fail "man varve-convert"
for file in /usr/share/doc/varve-convert/{README.md,copyright,CHANGELOG.md}; do
  [ -s "$file" ] || fail "$file is missing"
done
if [ "$has_web_page" = 1 ]; then
  cmp "$web_page" /usr/share/varve-convert/varve-convert.html || fail "the web page is missing"
fi

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
expected_files="LICENSE.txt README.txt varve-batch.exe varve-convert.exe"
[ "$has_web_page" = 1 ] && expected_files="LICENSE.txt README.txt varve-batch.exe varve-convert.exe varve-convert.html"
[ "$(cd "$folder" && ls | tr '\n' ' ' | sed 's/ $//')" = "$expected_files" ] ||
  fail "the zip holds $(ls "$folder"), not $expected_files"
for text in README.txt LICENSE.txt; do
  # Every line ends in CR LF: as many CR LF as LF.
  [ "$(grep -c $'\r$' "$folder/$text")" = "$(wc -l < "$folder/$text")" ] ||
    fail "$text has a line end without CR"
done
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
[ "$(cd "$folder" && wine varve-batch.exe --version)" = "varve-batch $version" ] ||
  fail "varve-batch.exe --version"
wineserver -k 2>/dev/null || true

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

echo "prove_release: the Debian package, the Windows zip and the source archive work"
