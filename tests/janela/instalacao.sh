#!/usr/bin/env bash
# Installs the build into a prefix of its own and starts the installed program there: the
# launcher in bin, the program folder with its library, language files and rhythm folder, the
# desktop entry and the icons; then the main window must appear on an X display of its own.
#   instalacao.sh BUILD_FOLDER
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: instalacao.sh BUILD_FOLDER" >&2; exit 2; }
build=$1
aqui=$(cd "$(dirname "$0")" && pwd)
prefixo=$(mktemp -d /tmp/kovrinta-instalacao.XXXXXX)
trap 'rm -rf "$prefixo"' EXIT

falhar() { echo "instalacao.sh: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefixo" > "$prefixo.log" 2>&1 ||
  { cat "$prefixo.log" >&2; rm -f "$prefixo.log"; falhar "the install failed"; }
rm -f "$prefixo.log"

for arquivo in lib/kovrinta/kovrinta lib/kovrinta/libVxMidi.so lib/kovrinta/kovrinta-song \
    lib/kovrinta/en.idm lib/kovrinta/en.dat lib/kovrinta/pt-BR.idm lib/kovrinta/pt-BR.dat \
    lib/kovrinta/es.idm lib/kovrinta/es.dat lib/kovrinta/ritmos/rock-110.mid \
    lib/kovrinta/kovrinta-instalado.txt \
    share/applications/io.github.kovrinta.Kovrinta.desktop \
    share/icons/hicolor/scalable/apps/kovrinta.svg \
    share/icons/hicolor/48x48/apps/kovrinta.png share/icons/hicolor/256x256/apps/kovrinta.png; do
  [ -e "$prefixo/$arquivo" ] || falhar "$arquivo was not installed"
done
[ -L "$prefixo/bin/kovrinta" ] || falhar "bin/kovrinta is no link"
grep -qx 'MimeType=audio/midi;audio/x-midi;' \
    "$prefixo/share/applications/io.github.kovrinta.Kovrinta.desktop" ||
  falhar "the desktop entry does not open MIDI files"
"$prefixo/bin/kovrinta" --version | grep -q '^kovrinta ' || falhar "bin/kovrinta does not start"

# The installed program, started through its launcher, finds its folder and shows its window.
export PREFIXO=$prefixo
bash "$aqui/com-xvfb.sh" bash -c '
  XDG_CONFIG_HOME="$PREFIXO/config" JACK_NO_START_SERVER=1 "$PREFIXO/bin/kovrinta" \
    > "$PREFIXO/saida.log" 2>&1 &
  programa=$!
  achou=""
  for _ in $(seq 300); do
    for janela in $(xdotool search --onlyvisible --name "^Kovrinta\$" 2> /dev/null); do
      xdotool getwindowgeometry "$janela" | grep -q "Geometry: 793x527" && achou=$janela
    done
    [ -n "$achou" ] && break
    kill -0 "$programa" 2> /dev/null || break
    sleep 0.1
  done
  kill "$programa" 2> /dev/null || true
  wait "$programa" 2> /dev/null || true
  [ -n "$achou" ] || { cat "$PREFIXO/saida.log" >&2; echo "instalacao.sh: no main window" >&2; exit 1; }
'
echo "instalacao.sh: the installed program starts"
