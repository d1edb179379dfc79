#!/bin/sh
# A stand-in archiver: writes its argument vector, NUL-separated, to
# $STANDIN_RECORD, one line to each output stream, then exits with
# $STANDIN_EXIT or dies by $STANDIN_SIGNAL.
if [ -n "${STANDIN_RECORD:-}" ]; then printf '%s\0' "$0" "$@" >"$STANDIN_RECORD"; fi
echo "standin stdout"
echo "standin stderr" >&2
if [ -n "${STANDIN_SIGNAL:-}" ]; then kill -s "$STANDIN_SIGNAL" $$; fi
exit "${STANDIN_EXIT:-0}"
