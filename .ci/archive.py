#!/usr/bin/python3
"""Packs a folder into a .tar.gz or a .zip made of nothing but the names,
the bytes and the executable bits of its files: members in name order, one
time for all (SOURCE_DATE_EPOCH), owned by root, modes 755 and 644.

    archive.py OUT.tar.gz|OUT.zip FOLDER [TOP]

With TOP the members are under the folder TOP, an entry of its own.
"""
import gzip
import os
import sys
import tarfile
import time
import zipfile

out, folder = sys.argv[1], sys.argv[2]
top = sys.argv[3] if len(sys.argv) > 3 else ''
when = int(os.environ['SOURCE_DATE_EPOCH'])


def members(path, prefix):
    """(name in the archive, path, mode) of what the folder holds, in name
    order, each folder before what it holds."""
    for entry in sorted(os.listdir(path)):
        full = os.path.join(path, entry)
        if os.path.isdir(full):
            yield prefix + entry + '/', full, 0o755
            yield from members(full, prefix + entry + '/')
        else:
            yield prefix + entry, full, 0o755 if os.stat(full).st_mode & 0o111 else 0o644


entries = [(top + '/', folder, 0o755)] if top else []
entries += members(folder, top + '/' if top else '')


def write_tar():
    with open(out, 'wb') as raw, gzip.GzipFile('', 'wb', 9, raw, mtime=0) as packed, \
            tarfile.open(fileobj=packed, mode='w', format=tarfile.USTAR_FORMAT) as tar:
        for member, full, mode in entries:
            info = tarfile.TarInfo(member)
            info.mtime, info.mode, info.uname, info.gname = when, mode, 'root', 'root'
            if member.endswith('/'):
                info.type = tarfile.DIRTYPE
                tar.addfile(info)
            else:
                info.size = os.path.getsize(full)
                with open(full, 'rb') as data:
                    tar.addfile(info, data)


def write_zip():
    stamp = time.gmtime(max(when, 315532800))[:6]  # a zip's times begin in 1980
    with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for member, full, mode in entries:
            info = zipfile.ZipInfo(member, stamp)
            kind = 0o040000 if member.endswith('/') else 0o100000
            info.create_system, info.external_attr = 3, (kind | mode) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            data = b''
            if kind == 0o100000:
                with open(full, 'rb') as file:
                    data = file.read()
            archive.writestr(info, data)


if out.endswith('.tar.gz'):
    write_tar()
elif out.endswith('.zip'):
    write_zip()
else:
    sys.exit(f'archive.py: {out} is neither .tar.gz nor .zip')
