#!/usr/bin/env bash
# Installs the build under a prefix of its own and checks what a desktop and a Debian system
# read there besides the program folder:
#   check-installed-tree.sh BUILD_FOLDER
# - the AppStream metadata, with the desktop entry its launchable names (appstreamcli
#   validate-tree);
# - the icon the desktop entry names, in hicolor at every size, each picture a PNG of its size,
#   and the scalable drawing;
# - the manual pages, compressed without a name or time in the gzip header, naming the program
#   folder of that prefix and leaving no placeholder of the install unfilled;
# - the package's documents in share/doc/kovrinta.
# Exits 77 (skipped) without appstreamcli on a developer's machine, 1 in CI.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: check-installed-tree.sh BUILD_FOLDER" >&2; exit 2; }
build=$1

if ! command -v appstreamcli > /dev/null 2>&1; then
  echo "check-installed-tree.sh: appstreamcli is not installed (bash tools/install-deps.sh" \
       "installs it)" >&2
  [ "${CI:-}" = "true" ] && exit 1
  exit 77
fi

raiz=$(mktemp -d /tmp/kovrinta-arvore.XXXXXX)
trap 'rm -rf "$raiz"' EXIT
prefixo=$raiz/usr
falhar() { echo "check-installed-tree.sh: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefixo" > "$raiz/install.log" 2>&1 ||
  { cat "$raiz/install.log" >&2; falhar "the install failed"; }

id=io.github.kovrinta.Kovrinta
[ -f "$prefixo/share/metainfo/$id.metainfo.xml" ] || falhar "share/metainfo/$id.metainfo.xml is missing"
[ -f "$prefixo/share/applications/$id.desktop" ] || falhar "share/applications/$id.desktop is missing"
appstreamcli validate-tree --no-net "$prefixo" || falhar "the installed tree does not validate"

icone=$(sed -n 's/^Icon=//p' "$prefixo/share/applications/$id.desktop")
[ -n "$icone" ] || falhar "the desktop entry names no icon"
python3 - "$prefixo/share/icons/hicolor" "$icone" <<'EOF' || falhar "the icon theme is incomplete"
import struct, sys
tema, nome = sys.argv[1], sys.argv[2]
falhas = []
for n in (16, 24, 32, 48, 64, 128, 256):
    caminho = f"{tema}/{n}x{n}/apps/{nome}.png"
    try:
        with open(caminho, "rb") as f:
            cabecalho = f.read(24)
    except OSError as e:
        falhas.append(f"{caminho}: {e.strerror}")
        continue
    if cabecalho[:8] != b"\x89PNG\r\n\x1a\n" or cabecalho[12:16] != b"IHDR":
        falhas.append(f"{caminho}: not a PNG picture")
        continue
    largura, altura = struct.unpack(">II", cabecalho[16:24])
    if (largura, altura) != (n, n):
        falhas.append(f"{caminho}: {largura}x{altura} pixels, not {n}x{n}")
try:
    with open(f"{tema}/scalable/apps/{nome}.svg", encoding="utf-8") as f:
        if "<svg" not in f.read():
            falhas.append(f"scalable/apps/{nome}.svg: not an SVG drawing")
except OSError as e:
    falhas.append(f"scalable/apps/{nome}.svg: {e.strerror}")
for falha in falhas:
    print(f"check-installed-tree.sh: {falha}", file=sys.stderr)
sys.exit(1 if falhas else 0)
EOF

for pagina in kovrinta kovrinta-song vxmidi-dump; do
  gz=$prefixo/share/man/man1/$pagina.1.gz
  [ -f "$gz" ] || falhar "share/man/man1/$pagina.1.gz is missing"
  # The gzip header: byte 3 holds the flags (8: an original file name follows), bytes 4-7 the
  # time.
  cabecalho=$(od -An -tx1 -N8 "$gz" | tr -d ' \n')
  [ "${cabecalho:0:6}" = "1f8b08" ] || falhar "$pagina.1.gz is not gzip-compressed"
  [ $((0x${cabecalho:6:2} & 8)) -eq 0 ] || falhar "$pagina.1.gz keeps the file's name (gzip -n)"
  [ "${cabecalho:8:8}" = "00000000" ] || falhar "$pagina.1.gz keeps a time (gzip -n)"
  texto=$(gzip -dc "$gz")
  if grep -q '@[A-Z_]*@' <<< "$texto"; then falhar "$pagina.1 keeps a placeholder"; fi
  grep -qF -- "$prefixo/lib/kovrinta" <<< "$texto" ||
    falhar "$pagina.1 does not name the program folder $prefixo/lib/kovrinta"
done

for documento in copyright changelog.gz; do
  [ -f "$prefixo/share/doc/kovrinta/$documento" ] || falhar "share/doc/kovrinta/$documento is missing"
done
echo "check-installed-tree.sh: the installed tree is complete"
