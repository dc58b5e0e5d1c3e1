#!/usr/bin/env bash
# Serves the shipped endpoint (data/endpoint) on the loopback for trying out the news and update
# check: scripts/serve-endpoint.sh [PORT]   (default 8765; stop it with Ctrl+C)
# Then start the program with the base address pointed at it, for example
#   TAMBERLUX_ENDPOINT=http://127.0.0.1:8765/Mirvane/ scripts/run.sh
# or keep it in the user's settings under updates/baseAddress.
set -euo pipefail
cd "$(dirname "$0")/../data/endpoint"
port=${1:-8765}
echo "Endpoint: http://127.0.0.1:$port/Mirvane/" >&2
exec python3 -m http.server "$port" --bind 127.0.0.1
