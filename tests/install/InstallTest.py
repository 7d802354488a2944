#!/usr/bin/env python3
"""`cmake --install` into a fresh prefix gives a program that starts from
there on its own resources: bin/vexilo and share/vexilo hold what they
should, and the installed program, started outside the build tree, opens
every XRC file and its bitmaps from share/vexilo (watched with inotify).

Usage: InstallTest.py CMAKE BUILD_DIR SOURCE_DIR   (needs a display)
"""
import ctypes
import os
import select
import signal
import struct
import subprocess
import sys
import tempfile

IN_OPEN = 0x20
# Only a guard against a hang: the test waits on the program's file events.
GUARD_SECONDS = 300

failures = []


def fail(text):
    print("FAIL:", text)
    failures.append(text)


def main(cmake, build, source):
    with tempfile.TemporaryDirectory(prefix="vxinstall-") as tmp:
        prefix = os.path.join(tmp, "prefix")
        done = subprocess.run([cmake, "--install", build, "--prefix", prefix],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if done.returncode != 0:
            fail("cmake --install: " + done.stdout)
            return
        exe = os.path.join(prefix, "bin", "vexilo")
        if not os.access(exe, os.X_OK):
            fail("no program at bin/vexilo")
            return
        share = os.path.join(prefix, "share", "vexilo")
        res = os.path.join(source, "res")
        want = sorted(f for f in os.listdir(res) if f.endswith((".xrc", ".xpm")))
        got = sorted(os.listdir(share)) if os.path.isdir(share) else []
        if got != want:
            fail(f"share/vexilo holds {got}, want {want}")
            return

        libc = ctypes.CDLL(None, use_errno=True)
        fd = libc.inotify_init1(os.O_CLOEXEC)
        if fd < 0 or libc.inotify_add_watch(fd, share.encode(), IN_OPEN) < 0:
            fail("inotify: " + os.strerror(ctypes.get_errno()))
            return
        env = dict(os.environ, LC_ALL="C", GDK_BACKEND="x11")
        # Away from the build tree, so only the executable's own path leads
        # to the resources.
        program = subprocess.Popen([exe], cwd=tmp, env=env)
        # The XRC files are read at start-up, the bitmaps when the frame, its
        # toolbar and the wheels are made.
        waiting = set(want)
        ended = os.pidfd_open(program.pid)
        try:
            buffer = b""
            while waiting:
                ready, _, _ = select.select([fd, ended], [], [], GUARD_SECONDS)
                if not ready:
                    fail(f"the installed program never opened {sorted(waiting)}")
                    break
                if ended in ready and fd not in ready:
                    fail(f"the installed program ended (status {program.wait()}) before it opened {sorted(waiting)}")
                    break
                buffer += os.read(fd, 65536)
                while len(buffer) >= 16:
                    _, mask, _, length = struct.unpack("iIII", buffer[:16])
                    if len(buffer) < 16 + length:
                        break
                    name = buffer[16:16 + length].rstrip(b"\0").decode()
                    buffer = buffer[16 + length:]
                    if mask & IN_OPEN:
                        waiting.discard(name)
            if program.poll() is not None:
                fail(f"the installed program ended (status {program.returncode}) instead of running")
        finally:
            os.close(fd)
            os.close(ended)
            if program.poll() is None:
                program.send_signal(signal.SIGTERM)
                try:
                    program.wait(GUARD_SECONDS)
                except subprocess.TimeoutExpired:
                    program.kill()
                    program.wait()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        sys.exit(2)
    main(*sys.argv[1:])
    if failures:
        sys.exit(1)
    print("the installed program runs on its installed resources")
