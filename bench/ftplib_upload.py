#!/usr/bin/python3
"""Uploads a folder tree over one FTP session with Python's ftplib, as the reference for
ftp_upload_bench. Usage: ftplib_upload.py PORT LOCAL_FOLDER REMOTE_FOLDER [passive|active]"""
import ftplib
import os
import sys


def upload(ftp, local):
    for name in sorted(os.listdir(local), key=lambda n: n.encode()):
        path = os.path.join(local, name)
        if os.path.isdir(path):
            if name not in ftp.nlst():
                ftp.mkd(name)
            ftp.cwd(name)
            upload(ftp, path)
            ftp.cwd("..")
        else:
            with open(path, "rb") as f:
                ftp.storbinary("STOR " + name, f, blocksize=256 * 1024)


def main():
    port, local, remote = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    passive = len(sys.argv) < 5 or sys.argv[4] == "passive"
    ftp = ftplib.FTP()
    ftp.connect("127.0.0.1", port)
    ftp.login("u", "p")
    ftp.set_pasv(passive)
    ftp.mkd(remote)
    ftp.cwd(remote)
    upload(ftp, local)
    ftp.quit()


if __name__ == "__main__":
    main()
