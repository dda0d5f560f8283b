#!/usr/bin/env bash
# Runs a Windows program in the project's Wine prefix; its exit code passes through.
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
