#!/usr/bin/env bash
# Starts KOLT Chat from its program folder. On a first start (no settings
# file) the chat launches the stand-in modem beside it by itself.
set -euo pipefail
dir=$1
if [ ! -x "$dir/kolt-chat" ]; then
  echo "kolt-chat is not built yet: the main window is still to come." >&2
  exit 1
fi
exec "$dir/kolt-chat"
