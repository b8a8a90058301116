#!/usr/bin/env bash
# Starts KOLT Chat from its program folder. On a first start (no settings
# file) the chat launches the stand-in modem beside it by itself, and closes
# it again when the chat closes.
set -euo pipefail
dir=$1
for f in kolt-chat kolt-modem-sim; do
  if [ ! -x "$dir/$f" ]; then
    echo "$dir/$f is missing: build first (make build)." >&2
    exit 1
  fi
done
exec "$dir/kolt-chat"
