#!/bin/bash
# Installs the build into a fresh prefix and uses it as a person would: the installed CLI
# on a document, its constants kept in the config folder, and the desktop files checked by
# the desktop's own tools.
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null

for f in bin/orbiplot bin/orbiplot-cli share/orbiplot/opabout.opm share/orbiplot/splash.svg \
         share/orbiplot/Orbiplot_TipOfDay.txt share/orbiplot/help/index.html \
         share/orbiplot/help/images/16.png share/applications/org.example.Orbiplot.desktop \
         share/metainfo/org.example.Orbiplot.metainfo.xml share/mime/packages/org.example.Orbiplot.xml \
         share/icons/hicolor/scalable/apps/org.example.Orbiplot.svg \
         share/icons/hicolor/scalable/mimetypes/application-x-orbiplot-document.svg \
         share/man/man1/orbiplot.1 share/man/man1/orbiplot-cli.1; do
    [[ -e $prefix/$f ]] || { echo "not installed: $f"; exit 1; }
done

export ASAN_OPTIONS=detect_leaks=0
"$prefix/bin/orbiplot-cli" render "$source/assets/help/examples/08.opd" "$work/e.png"
[[ -s $work/e.png ]] || { echo "render wrote nothing"; exit 1; }

# Settings and constants of an installed program go to the config folder, not beside it.
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"
"$prefix/bin/orbiplot-cli" consts add g 9.8
[[ -f $XDG_CONFIG_HOME/Orbiplot/Orbiplot_Const.ini ]] || { echo "constants not in the config folder"; exit 1; }
[[ ! -e $prefix/bin/Orbiplot_Const.ini ]] || { echo "constants written beside the program"; exit 1; }
[[ $("$prefix/bin/orbiplot-cli" --app-dir "$XDG_CONFIG_HOME/Orbiplot" calc "g*2") == "19.6" ]] || { echo "constant not found again"; exit 1; }

desktop-file-validate "$prefix/share/applications/org.example.Orbiplot.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.Orbiplot.metainfo.xml" > /dev/null
update-mime-database "$prefix/share/mime"
grep -q "application/x-orbiplot-document:\*.opd" "$prefix/share/mime/globs2" \
    || { echo "the .opd glob does not resolve"; exit 1; }
grep -q "application/x-orbiplot-document" "$prefix/share/mime/magic" \
    || { echo "no content detection"; exit 1; }
echo "installed and used from $prefix"
