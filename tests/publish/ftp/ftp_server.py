#!/ usr / bin / python3
"""A real FTP server for the upload tests: pyftpdlib on 127.0.0.1 (or --host) and a free port (or --port).

Prints the port on the first line of its output, then serves until killed. Every command a
client sends is appended to the log file as "CMD argument" (the password as "PASS ***")."""
import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--user", default="u")
    parser.add_argument("--password", default="p")
    parser.add_argument("--read-limit", type=int, default=0, help="bytes per second a STOR may take")
    parser.add_argument("--port", type=int, default=0, help="0: a free port")
    parser.add_argument("--host", default="127.0.0.1", help="the address to listen on")
    parser.add_argument("--idle-timeout", type=float, default=0,
                        help="seconds after which an idle session is ended with 421; 0: the default")
    parser.add_argument("--locked", action="append", default=[], help="a folder where writing is refused")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    for folder in args.locked:
        path = os.path.join(args.root, folder)
        os.makedirs(path, exist_ok=True)
        authorizer.override_perm(args.user, path, "elr", recursive=True)

    log = open(args.log, "a", buffering=1, encoding="utf-8", errors="backslashreplace")

    class RecordingHandler(FTPHandler):
        def pre_process_command(self, line, cmd, arg):
            shown = "***" if cmd == "PASS" else (arg or "")
            log.write((cmd + " " + shown).rstrip() + "\n")
            return super().pre_process_command(line, cmd, arg)

    RecordingHandler.authorizer = authorizer
    RecordingHandler.banner = "test server ready"
    if args.idle_timeout > 0:
        RecordingHandler.timeout = args.idle_timeout
    if args.read_limit > 0:
        dtp = ThrottledDTPHandler
        dtp.read_limit = args.read_limit
        RecordingHandler.dtp_handler = dtp

    server = FTPServer((args.host, args.port), RecordingHandler)
    print(server.socket.getsockname()[1], flush=True)
    sys.stdout.flush()
    # Without a timeout of its own the loop may sleep past an idle session's deadline until
    # the next command arrives, and the session would never be ended while idle.
    server.serve_forever(timeout=0.05 if args.idle_timeout > 0 else None, handle_exit=True)


if __name__ == "__main__":
    main()
