#!/usr/bin/env bash
# The install as a user gets it: `cmake --install` into a fresh prefix, the prefix then moved
# elsewhere (nothing may point back at where it was put, nor at the source or build tree), the
# installed program run headless on a synthesised recording, the desktop entry and the MIME
# package checked with the freedesktop tools.
# Usage: install_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$(realpath "$1")
build_dir=$(realpath "$2")

fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(realpath "$(mktemp -d)")
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/stage" >/dev/null
mv "$work/stage" "$work/prefix"
prefix=$work/prefix

# Exactly these files, so that a resource left out or a build product let in shows.
expected="bin/kestrave
share/applications/kestrave.desktop
share/icons/hicolor/scalable/apps/kestrave.svg
share/kestrave/kestrave.wav
share/mime/packages/kestrave.xml"
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$installed" = "$expected" ] || fail "installed files differ:"$'\n'"$(diff <(echo "$expected") <(echo "$installed"))"

# The installed program, started by name as the desktop entry starts it, stacks a recording
# without a display. Every file it touches is traced.
mkdir "$work/in" "$work/home"
"$build_dir/tools/kestrave-synth" --frames 24 --width 160 --height 120 --seed 5 --out "$work/in/rec.ser" \
  >/dev/null
status=0
(cd "$work/in" && env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen KESTRAVE_HOME="$work/home" \
   PATH="$prefix/bin:$PATH" timeout 300 strace -f -qq -e trace=%file -o "$work/trace" \
   kestrave rec.ser -ASpng -EX) >"$work/run.log" 2>&1 || status=$?
[ $status -eq 0 ] || fail "the installed program exited with $status:"$'\n'"$(tail -20 "$work/run.log")"
pngcheck -q "$work/in/rec.png" >/dev/null || fail "no valid result picture rec.png"

# Its read-only resources come from the install's share/kestrave, found from where the program
# is now; neither the source tree, the build tree nor the first prefix is looked at.
grep -Eq "open(at)?\(AT_FDCWD, \"$prefix/share/kestrave\", [^)]*O_DIRECTORY\) = [0-9]" "$work/trace" ||
  fail "the program did not open $prefix/share/kestrave"
for foreign in "$source_dir" "$build_dir" "$work/stage"; do
  if grep -F "\"$foreign" "$work/trace" >"$work/foreign"; then
    fail "the installed program looked into $foreign:"$'\n'"$(head -5 "$work/foreign")"
  fi
done

# The desktop entry: valid (hints allowed, no warnings or errors), the program's title as its name,
# its program on the PATH and its icon installed under the name it gives.
entry=$prefix/share/applications/kestrave.desktop
desktop-file-validate "$entry" >"$work/validate" 2>&1 || true
if grep -Ev ": hint: " "$work/validate" | grep -q .; then fail "$(cat "$work/validate")"; fi
key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Name)" = "Kestrave V4" ] || fail "the entry does not name the program \"Kestrave V4\""
[ "$(PATH="$prefix/bin" command -v "$(key TryExec)")" = "$prefix/bin/kestrave" ] || fail "TryExec is not the program"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] || fail "no icon named $(key Icon)"

# The MIME package builds a database of its own, which gives each file kind its glob; every type
# the entry offers to open is then known to the system's database or to ours.
mkdir -p "$work/mime/packages"
cp "$prefix/share/mime/packages/kestrave.xml" "$work/mime/packages/"
XDG_DATA_DIRS="$work:${XDG_DATA_DIRS:-/usr/local/share:/usr/share}" update-mime-database "$work/mime" >"$work/mime.log" 2>&1 || fail "update-mime-database: $(cat "$work/mime.log")"
[ ! -s "$work/mime.log" ] || fail "update-mime-database: $(cat "$work/mime.log")"
for glob in ser:video/x-ser ksp:application/x-kestrave-project kfl:application/x-kestrave-frame-list kco:application/x-kestrave-command-file \
            kap:application/x-kestrave-alignment-points kwv:application/x-kestrave-wavelet-scheme; do
  grep -qx "50:${glob#*:}:\*\.${glob%%:*}" "$work/mime/globs2" || fail "no glob *.${glob%%:*} -> ${glob#*:}"
done
known=$(cat "$work/mime/types" /usr/share/mime/types; cut -d' ' -f1 /usr/share/mime/aliases)
for type in $(key MimeType | tr ';' ' '); do
  grep -qx "$type" <<<"$known" || fail "the entry offers the unknown MIME type $type"
done
# Given alone, the program loads a project, a frame list or a command file and nothing else (a
# recording alone opens an empty window): the entry offers those three kinds only.
for type in $(key MimeType | tr ';' ' '); do
  case $type in
    application/x-kestrave-project | application/x-kestrave-frame-list | application/x-kestrave-command-file) ;;
    *) fail "the entry offers $type, which the program does not open given alone" ;;
  esac
done

# `make install PREFIX=` installs the same build and brings the prefix's MIME cache up to date.
if [ "$build_dir" = "$source_dir/build/release" ]; then
  make -s -C "$source_dir" install PREFIX="$work/by-make" >"$work/make.log" 2>&1 || fail "$(cat "$work/make.log")"
  [ -x "$work/by-make/bin/kestrave" ] && [ -f "$work/by-make/share/mime/mime.cache" ] ||
    fail "make install PREFIX= did not install the program with its MIME cache"
fi
echo "installed, ran from $prefix and validated"
