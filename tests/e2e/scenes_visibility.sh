#!/usr/bin/env bash
# The four scenes as scenes.sh checks them, with the camera steered by the visibility planner.
# Usage: scenes_visibility.sh <veltrava binary> <data folder>; needs DISPLAY.
exec bash "$(dirname "${BASH_SOURCE[0]}")/scenes.sh" "$1" "$2" --planner visibility
