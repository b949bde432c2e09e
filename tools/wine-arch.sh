#!/usr/bin/env bash
# Prints the Wine architecture this machine can run: win32 where its kernel runs 32-bit code (32-bit Wine
# starts), win64 where it runs only 64-bit code (some virtual machines); the tests then run a 64-bit build.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
