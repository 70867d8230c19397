#!/bin/sh
# Runs `vesktest batch` on a host apart from the ssh session that starts it,
# so that the controller can follow the runs as they finish and stop the
# batch when the fleet is stopped:
#   host_run.sh DIR start PROGRAM ARG...  start the batch and return at once
#   host_run.sh DIR wait K                wait until run K has finished (or the
#                                         batch has ended) and print its line
#   host_run.sh DIR end                   wait for the batch to end; its
#                                         messages on standard error, its status
#   host_run.sh DIR stop [SECONDS]        ask the batch to stop (SIGTERM: it keeps
#                                         the runs it finished) and wait for it,
#                                         at most SECONDS (default 120), then kill it
# DIR keeps the batch's standard output (run.out, one result line per run),
# its messages (run.err), its process id (run.pid) and, once it has ended,
# its exit status (run.status).
set -u
dir=$1
what=$2
shift 2
cd "$dir" || exit 1

running() { [ ! -e run.status ] && [ -s run.pid ] && kill -0 "$(cat run.pid)" 2>/dev/null; }
ended() { [ -e run.status ] || ! running; }

case $what in
    start)
        rm -f run.out run.err run.pid run.status
        : >run.out
        # A session of its own: the batch outlives this ssh session and is
        # reached by its process id only. The shell around it records how
        # it ended.
        setsid sh -c 'sh -c '\''echo $$ >run.pid; exec "$@"'\'' batch "$@" >run.out 2>run.err;
                      echo $? >run.status.new && mv run.status.new run.status' \
            host_run "$@" </dev/null >/dev/null 2>&1 &
        # Return once the batch has its process id, so that a stop that
        # follows at once finds it.
        i=0
        while [ ! -s run.pid ] && [ ! -e run.status ] && [ $i -lt 100 ]; do
            sleep 0.1
            i=$((i + 1))
        done
        ;;
    wait)
        k=$1
        while [ "$(wc -l <run.out)" -lt "$k" ] && ! ended; do sleep 0.5; done
        sed -n "${k}p" run.out
        ;;
    end)
        # The status follows the batch's end at once; give it 10 s.
        i=0
        while [ ! -e run.status ] && [ $i -lt 20 ]; do
            running || i=$((i + 1))
            sleep 0.5
        done
        cat run.err >&2
        [ -e run.status ] || { echo "the batch ended without an exit status" >&2; exit 1; }
        exit "$(cat run.status)"
        ;;
    stop)
        limit=${1:-120}
        running || exit 0
        # Not SIGINT: a command started in the background ignores it.
        kill -TERM "$(cat run.pid)" 2>/dev/null
        i=0
        while running && [ $i -lt $((limit * 2)) ]; do
            sleep 0.5
            i=$((i + 1))
        done
        if running; then
            echo "the batch did not stop within $limit s: ended" >&2
            kill -KILL "$(cat run.pid)" 2>/dev/null
        fi
        ;;
    *)
        echo "usage: host_run.sh DIR start|wait|end|stop ..." >&2
        exit 2
        ;;
esac
