#!/usr/bin/env bash
# Runs some of the application tests on a desktop unlike the developer's:
#   german  - a German locale (generated into a scratch folder, nothing changed system-wide),
#             whose decimal comma must not reach the program's texts;
#   dejavu  - DejaVu Sans as the only face, much wider than the layout's Helvetica.
# Usage: tests/desktop/app_tests_under.sh german|dejavu PATH_TO_APP_TESTS SCRATCH_FOLDER
set -euo pipefail
mode=${1:?} app_tests=${2:?} scratch=${3:?}
mkdir -p "$scratch"

case "$mode" in
german)
    if [[ ! -d "$scratch/de_DE.UTF-8" ]]; then
        # Warnings about the locale's sources still leave a usable locale.
        localedef -i de_DE -f UTF-8 "$scratch/de_DE.UTF-8" || [[ -d "$scratch/de_DE.UTF-8" ]]
    fi
    export LOCPATH=$scratch LC_ALL=de_DE.UTF-8
    radix=$(locale decimal_point)
    [[ "$radix" == "," ]] || { echo "FAIL: the German locale is not in effect ($radix)" >&2; exit 1; }
    filter='WindowTest.AboutBox*:TitleScreenTest.*'
    ;;
dejavu)
    cat >"$scratch/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <cachedir>$scratch/cache</cachedir>
</fontconfig>
CONF
    export FONTCONFIG_FILE=$scratch/fonts.conf
    faces=$(fc-list : family | sort -u | tr '\n' ' ')
    [[ "$faces" == *"DejaVu Sans"* && "$faces" != *Liberation* ]] ||
        { echo "FAIL: expected DejaVu only, found: $faces" >&2; exit 1; }
    filter='TitleScreenTest.*'
    ;;
*) echo "usage: $0 german|dejavu PATH_TO_APP_TESTS SCRATCH_FOLDER" >&2; exit 2 ;;
esac
exec "$app_tests" --gtest_filter="$filter"
