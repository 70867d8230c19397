# A fleet run that is stopped (Ctrl-C, or SIGTERM to ansible-playbook) ends
# the whole play in order: the batch under way is asked to stop, no other host
# starts, what finished is fetched and summarised. A second Ctrl-C, 2 seconds
# or more after the first, gives up on that and ends ansible-playbook at once.
#
# Ansible loads this callback for the playbooks of this folder. It also shows
# each host's runs as they finish. The playbook learns of a stop through the
# file named by the environment variable VESKTEST_FLEET_STOP, which exists
# once a stop was asked for.
import atexit
import os
import shutil
import signal
import tempfile
import time

from ansible.plugins.callback import CallbackBase

DOCUMENTATION = """
    name: fleet_stop
    type: aggregate
    short_description: stops a fleet run in order and shows the runs as they finish
    description:
      - Turns Ctrl-C and SIGTERM into a stop that the fleet playbook honours.
"""

STOP_VARIABLE = "VESKTEST_FLEET_STOP"
# Signals this close to the first are the same stop: a terminal delivers
# Ctrl-C to every process of the job, and a wrapper (timeout) passes its
# own on.
REPEAT_GRACE_S = 2.0


class CallbackModule(CallbackBase):
    CALLBACK_VERSION = 2.0
    CALLBACK_TYPE = "aggregate"
    CALLBACK_NAME = "fleet_stop"
    CALLBACK_NEEDS_ENABLED = False

    def __init__(self):
        super().__init__()
        self._main_pid = None
        self._folder = None
        self._first_stop = None

    def v2_playbook_on_start(self, playbook):
        self._main_pid = os.getpid()
        self._folder = tempfile.mkdtemp(prefix="vesktest-fleet-")
        atexit.register(shutil.rmtree, self._folder, True)
        # Set before any worker is forked: every task sees the same path.
        os.environ[STOP_VARIABLE] = os.path.join(self._folder, "stop")
        signal.signal(signal.SIGINT, self._on_signal)
        signal.signal(signal.SIGTERM, self._on_signal)

    def _on_signal(self, signum, frame):
        if os.getpid() != self._main_pid:
            # A worker, forked with this handler: Ctrl-C reaches the whole
            # job, and the main process decides; SIGTERM to a worker comes
            # from ansible ending it.
            if signum == signal.SIGTERM:
                signal.signal(signum, signal.SIG_DFL)
                os.kill(os.getpid(), signum)
            return
        now = time.monotonic()
        if self._first_stop is None:
            self._first_stop = now
            with open(os.environ[STOP_VARIABLE], "w"):
                pass
            # Not through Display: its lock may be held by the code this
            # signal interrupted.
            os.write(2, b"\nStopping: the run under way ends, no other host starts, what was"
                        b" measured is fetched and summarised (Ctrl-C again to give up on that).\n")
            return
        if now - self._first_stop < REPEAT_GRACE_S:
            return
        signal.signal(signal.SIGINT, signal.default_int_handler)
        raise KeyboardInterrupt

    def v2_runner_item_on_ok(self, result):
        # The measuring loop's items that waited for a run: the run's line.
        res = result._result
        if res.get("ansible_loop_var") != "fleet_step" or not isinstance(res.get("fleet_step"), int):
            return
        line = (res.get("stdout") or "").rstrip()
        if line:
            self._display.display("    %s run %s: %s" % (result._host.get_name(), res["fleet_step"], line))

    def v2_playbook_on_stats(self, stats):
        if self._folder:
            shutil.rmtree(self._folder, ignore_errors=True)
