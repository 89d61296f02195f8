#!/usr/bin/python3
"""A small FTP server on 127.0.0.1 that misbehaves in one chosen way, for the tests that no
server can hang or bloat the upload. Usage: hostile_ftp_server.py CASE LOG

Prints its port on the first line, then serves every client on a thread of its own until
killed. Appends to LOG each command ("CMD arg"), each stored file ("STORED name size") and
any connection that reached the third address ("THIRD ...")."""
import select
import socket
import sys
import threading
import time

CASE, LOG = sys.argv[1], sys.argv[2]
log = open(LOG, "a", buffering=1, encoding="utf-8", errors="backslashreplace")
HOLD = 3600  # "for ever": far past every deadline of the tests


def record(text):
    log.write(text + "\n")


def listen(host, port=0):
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((host, port))
    s.listen(4)
    return s


def listen_twice(first, second):
    # One port on two addresses: the port the kernel picks on the first may be taken on the
    # second (by a connection of the client's, say), so another is tried.
    for _ in range(100):
        a = listen(first)
        try:
            return a, listen(second, a.getsockname()[1])
        except OSError:
            a.close()
    raise OSError("no port free on both addresses")


def watch_third(listener):
    """Whatever connects to the address a passive reply names instead of ours is recorded."""
    while True:
        conn, _ = listener.accept()
        conn.settimeout(5)
        try:
            data = conn.recv(1 << 20)
        except OSError:
            data = b""
        record("THIRD connection, %d bytes" % len(data))
        conn.close()


def greet(conn):
    """The greeting of the case; False when the session ends with it."""
    if CASE == "continuation-close":
        conn.sendall(b"220-Welcome\r\n")
        return False
    if CASE == "continuation-forever":
        while True:
            conn.sendall(b"220-" + b"x" * 70 + b"\r\n")
    if CASE == "trickle":
        for byte in b"220 slow server\r\n":
            conn.sendall(bytes([byte]))
            time.sleep(5)
    if CASE == "no-greeting":
        time.sleep(HOLD)
    if CASE in ("120-slow", "120-flood"):  # "ready in a while", for ever
        while True:
            conn.sendall(b"120 Service ready in a minute.\r\n")
            if CASE == "120-slow":
                time.sleep(1)
    if CASE == "slow-login":
        time.sleep(1.5)
    if CASE == "greeting-421":
        conn.sendall(b"421 Too many users, try later.\r\n")
        return False
    conn.sendall(b"220 hostile test server\r\n")
    return True


class Session:
    def __init__(self, conn):
        self.conn = conn
        # Unbuffered where the case looks at what waits on the socket: nothing is read ahead.
        self.reader = conn.makefile("rb", buffering=0 if CASE == "slow-size" else -1)
        self.listener = None
        self.active = None
        self.listed = False
        self.stored = []
        self.sizes = {}

    def reply(self, text):
        self.conn.sendall((text + "\r\n").encode())

    def passive(self, extended):
        if CASE == "pasv-elsewhere":
            third, self.listener = listen_twice("127.0.0.99", "127.0.0.1")
            port = third.getsockname()[1]
            threading.Thread(target=watch_third, args=(third,), daemon=True).start()
            host = "127,0,0,99"
        else:
            self.listener = listen("127.0.0.1")
            port = self.listener.getsockname()[1]
            host = "127,0,0,1"
        if CASE == "data-refused" or (CASE == "epsv-dead" and extended):
            self.listener.close()  # nothing listens on the port the reply names
            self.listener = None
        if extended:
            self.reply("229 Entering extended passive mode (|||%d|)" % port)
        else:
            self.reply("227 Entering Passive Mode (%s,%d,%d)" % (host, port >> 8, port & 255))

    def data(self):
        if CASE == "data-refused" and self.active:
            return None
        if self.listener:
            self.listener.settimeout(30)
            conn, _ = self.listener.accept()
            self.listener.close()
            self.listener = None
            return conn
        return socket.create_connection(self.active, timeout=30)

    def listing(self, names_only):
        data = self.data()
        if data is None:
            self.reply("425 Can't open data connection.")
            return
        self.reply("150 Here it comes.")
        if CASE == "silent-data":
            time.sleep(HOLD)
        if CASE == "endless-list":
            n = 0
            while True:
                n += 1
                data.sendall(b"-rw-r--r-- 1 u g 1 Jan 1 00:00 file%d\r\n" % n)
        if CASE == "long-line":
            data.sendall(b"-rw-r--r-- 1 u g 1 Jan 1 00:00 " + b"x" * (10 << 20))
        else:
            for name in self.stored:
                line = name if names_only else "-rw-r--r-- 1 u g %d Jan 1 00:00 %s" % (
                    self.sizes[name], name)
                data.sendall(line.encode() + b"\r\n")
        data.close()
        self.listed = True
        if CASE == "late-226":
            time.sleep(1.5)
        self.reply("226 Done.")

    def store(self, name):
        if CASE == "stor-550" and len(self.stored) == 4:
            self.reply("550 Quota exceeded.")
            return True
        data = self.data()
        if data is None:
            self.reply("425 Can't open data connection.")
            return True
        self.reply("150 Send it.")
        if CASE == "stall-stor":
            time.sleep(HOLD)
        if CASE == "mid-file":
            data.recv(65536)
            data.close()
            return False
        if CASE == "late-reset":  # says done, then drops what it did not read
            size = len(data.recv(1024))
            self.keep(name, size)
            self.reply("226 Stored.")
            time.sleep(0.2)
            data.close()
            return True
        if CASE == "150-226":  # says done at once and reads nothing
            self.reply("226 Stored.")
            data.close()
            self.keep(name, 0)
            return True
        limit = 65536 if CASE in ("cut-64k", "disk-full") else None
        size = 0
        while limit is None or size < limit:
            chunk = data.recv(min(1 << 20, limit - size) if limit else 1 << 20)
            if not chunk:
                break
            size += len(chunk)
        if CASE == "disk-full" and size == limit:
            self.reply("552 Disk full: quota exceeded.")
            data.close()
            return True
        data.close()
        self.keep(name, size)
        self.reply("226 Stored.")
        return True

    def keep(self, name, size):
        self.stored.append(name)
        self.sizes[name] = size
        record("STORED %s %d" % (name, size))

    def lines(self):
        if CASE != "one-per-read":
            return self.reader
        return self.first_line_of_each_read()

    def first_line_of_each_read(self):
        """A server that takes one command per read and drops what came with it."""
        while True:
            data = self.conn.recv(4096)
            if not data:
                return
            yield data.split(b"\n")[0] + b"\n"

    def serve(self):
        if not greet(self.conn):
            return
        last = time.monotonic()
        for raw in self.lines():
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            cmd, _, arg = line.partition(" ")
            cmd = cmd.upper()
            record((cmd + " " + ("***" if cmd == "PASS" else arg)).rstrip())
            if CASE == "late-421" and time.monotonic() - last > 1:
                # Notices an idle session only when its next command comes.
                self.reply("421 Idle too long, goodbye.")
                return
            last = time.monotonic()
            if CASE == "slow-login" and cmd in ("USER", "PASS"):
                time.sleep(1.5)  # each reply in time, the login as a whole not
            if cmd == "USER":
                self.reply("331 Password please.")
            elif cmd == "PASS":
                self.reply("230 Welcome.")
            elif cmd == "PWD":
                if CASE == "pwd-continuation-close" and self.listed:
                    self.conn.sendall(b'257-"/" is where you are\r\n')
                    return
                self.reply('257 "/" is the current folder.')
            elif cmd in ("CWD", "CDUP"):
                if CASE == "slow-cwd":
                    time.sleep(1)
                self.reply("250 OK.")
            elif cmd == "MKD":
                self.reply('257 "%s" created.' % arg)
            elif cmd == "TYPE":
                self.reply("200 Type set.")
            elif cmd == "EPSV" and CASE == "pasv-elsewhere":
                self.reply("500 Not understood.")
            elif cmd in ("EPSV", "PASV"):
                self.passive(cmd == "EPSV")
            elif cmd in ("EPRT", "PORT") and CASE == "port-refused":
                self.reply("502 Not implemented." if cmd == "EPRT" else "500 Illegal PORT command.")
            elif cmd in ("EPRT", "PORT"):
                if cmd == "EPRT":
                    parts = arg.split(arg[0])
                    self.active = (parts[2], int(parts[3]))
                else:
                    n = arg.split(",")
                    self.active = (".".join(n[:4]), int(n[4]) * 256 + int(n[5]))
                self.reply("200 OK.")
            elif cmd in ("LIST", "NLST"):
                self.listing(cmd == "NLST")
            elif cmd == "STOR":
                if not self.store(arg):
                    return
            elif cmd == "SIZE" and CASE not in ("no-size", "late-reset") and arg in self.sizes:
                size = self.sizes[arg]
                if CASE == "short-size" and arg.startswith("short"):
                    size -= 1  # holds one byte less than it took
                if CASE == "slow-size":
                    time.sleep(0.15)
                    waiting = select.select([self.conn], [], [], 0)[0]
                    record("SIZE answered with the next command %s"
                           % ("waiting" if waiting else "not yet sent"))
                self.reply("213 %d" % size)
            elif cmd == "SIZE" and CASE not in ("no-size", "late-reset"):
                self.reply("550 No such file.")
            elif cmd == "QUIT":
                if CASE == "no-quit":
                    time.sleep(HOLD)
                self.reply("221 Bye.")
                return
            else:
                self.reply("502 Not implemented.")


def client(conn):
    try:
        Session(conn).serve()
    except OSError:
        pass
    finally:
        conn.close()


def main():
    server = listen("127.0.0.1")
    print(server.getsockname()[1], flush=True)
    while True:
        conn, _ = server.accept()
        threading.Thread(target=client, args=(conn,), daemon=True).start()


if __name__ == "__main__":
    main()
