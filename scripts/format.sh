#!/usr/bin/env bash
# Formats every C++ file of the source folders in place with .clang-format, as the
# SourcesFormatted test checks them.
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=$(command -v clang-format-14 || command -v clang-format)
find src tests bench fuzz python \( -name '*.cpp' -o -name '*.h' \) -print0 |
    xargs -0 "$formatter" -i --style=file
