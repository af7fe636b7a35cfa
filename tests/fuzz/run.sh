#!/usr/bin/env bash
# run.sh <fuzz build dir> [seconds]: for each target (fuzz_reply with corpus/, fuzz_inflate with
# corpus-inflate/, fuzz_events with corpus-events/), replays every input of its seed corpus, then
# fuzzes from it for a third of the given time (60 s in all by default). A crash, a sanitizer
# report, a leak or an input that takes over 10 s fails the run; the input is kept in
# <dir>/findings for the corpus.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-60}

# Qt is built without frame pointers: the slow unwinder reaches past its frames, so the
# suppressions can name the Qt function a leak comes from.
export ASAN_OPTIONS=fast_unwind_on_malloc=0:malloc_context_size=12
export LSAN_OPTIONS=suppressions=$here/../lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

mkdir -p "$build/findings"
options=(-dict="$here/reply.dict" -timeout=10 -rss_limit_mb=2048 -max_len=65536
         -artifact_prefix="$build/findings/" -print_final_stats=1)

run() {
    local fuzzer=$1 log=$2 status=0
    shift 2
    "$build/$fuzzer" "${options[@]}" "$@" > "$log" 2>&1 || status=$?
    [ "$status" = 0 ] || { tail -80 "$log"; echo "$fuzzer failed; the input is in $build/findings"; }
    return "$status"
}

for target in fuzz_reply:corpus fuzz_inflate:corpus-inflate fuzz_events:corpus-events; do
    fuzzer=${target%%:*}
    seeds=$here/${target#*:}
    mkdir -p "$build/$fuzzer-corpus"
    run "$fuzzer" "$build/$fuzzer-replay.log" -runs=0 "$seeds"/*
    run "$fuzzer" "$build/$fuzzer.log" -max_total_time=$((seconds / 3)) "$build/$fuzzer-corpus" "$seeds"
    echo "$fuzzer:"
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$build/$fuzzer.log"
done
