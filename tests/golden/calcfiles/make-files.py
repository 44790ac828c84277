#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the TI-86 test files of this folder from the bytes below, each
written by hand from the file layout; only the lengths and checksums are
added up here. Run it from this folder; it overwrites the .86p/.86g files.
The expected listings (*.ti86.txt) were written by hand, not by this script
or by Kalvo."""


def le16(n):
    return bytes([n & 0xFF, n >> 8])


def entry(type_, name_field, name_length, data, header=None):
    # header length = 4 + length of the name field (the bytes after the
    # type and name-length bytes, up to the second data length)
    h = 4 + len(name_field) if header is None else header
    return le16(h) + le16(len(data)) + bytes([type_, name_length]) + name_field + le16(len(data)) + data


def program(body):
    return le16(len(body)) + body


def container(entries, signature_tail=b"\x1a\x0a\x00", length=None, checksum=None, tail=True):
    data = b"".join(entries)
    comment = b"Kalvo test file".ljust(42, b"\x00")
    n = len(data) if length is None else length
    s = sum(data) & 0xFFFF if checksum is None else checksum
    return b"**TI86**" + signature_tail + comment + le16(n) + data + (le16(s) if tail else b"")


# Demo: a tokenized program, name padded with NULs.
demo = bytes.fromhex(
    "7B 6E 83 6E 91 6E EA 6F"                        # AxesOff:ClDrw:FnOff:DispG
    "DD 10 32 01 79 2F 44 30 00 2F 44 36 32 00 11 6F"  # For(y,0,62)
    "E0 54 4F 50 00 6F"                               # Lbl TOP
    "E9 2D 48 69 1C C1 00 2F A9 10 44 32 00 11 6F"    # Disp "Hi→θ",10^(2)
    "44 35 00 3E 34 66 74 33 6D 0B 33 41 6F"          # 5 ft▶m→A
    "D8 33 41 54 44 32 00 40 CC 33 42 6F"             # If A≥2 and not B
    "AB 10 44 30 2E 35 00 11 0B 33 42 6F"             # sin⁻¹ (0.5)→B
    "E1 00 1A 54 4F 50 00"                            # Goto TOP, cache 001A
)
assert len(demo) == 89
open("tokenized.86p", "wb").write(container([entry(0x12, b"Demo\0\0\0\0", 4, program(demo))]))

# Ask: plain text (first byte 00), name unpadded.
ask = bytes.fromhex(
    "00"
    "44 69 73 70 20 22 55 73 65 20 74 68 69 73 22 D6"  # Disp "Use this"
    "50 72 6F 6D 70 74 20 54 2C 4B D6"                 # Prompt T,K
    "6C 6E 20 4B 1C 41 D6"                             # ln K→A
    "1A 33 BE 78 5C FF"                                # ⁻3Δx\ and FF (no text form)
)
assert len(ask) == 41
open("plain.86p", "wb").write(container([entry(0x12, b"Ask", 3, program(ask))]))

# Lock: edit-locked tokens (8E 29), name padded with spaces, an unknown 3D 50.
lock = bytes.fromhex("8E 29 EC 6F E9 2D 4F 4B 00 6F E2 6F 3D 50")
open("locked.86p", "wb").write(container([entry(0x12, b"Lock    ", 4, program(lock))]))

# A group: a picture, a program whose name field has leftovers after the
# name, and an edit-locked plain-text program (00 00) named Δθé.
group = [
    entry(0x11, b"Pic1", 4, bytes.fromhex("02 00 AA 55")),
    entry(0x12, b"A1xyz\0\0\0", 2, program(bytes.fromhex("D8 33 41 50 44 31 00 6F E9 33 41"))),
    entry(0x12, bytes.fromhex("BE C1 96"), 3, program(bytes.fromhex("00 00 44 69 73 70 20 31"))),
]
open("group.86g", "wb").write(container(group))

# Damaged: 1A 0D 00 in the header, a length of 256 for 32 bytes of entries,
# a checksum of 0000, and a number token without its closing 00.
damaged = [
    entry(0x12, b"Ok", 2, program(bytes.fromhex("E9 44 37 00"))),
    entry(0x12, b"Two", 3, program(bytes.fromhex("E9 44 32"))),
]
open("damaged.86p", "wb").write(container(damaged, b"\x1a\x0d\x00", length=256, checksum=0))

# Truncated: the second entry's data stops after 5 of its 10 bytes, and the
# checksum is missing; the header's length is that of the whole file.
cut = entry(0x12, b"Cut", 3, program(bytes.fromhex("E9 2D 48 49 2D 48 49 00")))
whole = [entry(0x12, b"Ok", 2, program(bytes.fromhex("E9 44 37 00"))), cut]
full = container(whole)
open("truncated.86p", "wb").write(full[: 0x37 + 16 + 11 + 5])

# Through a text-mode transfer: 1A 0D 00 in the header and an entry header
# length of 0D where the name field is the usual 8 bytes (0C); lengths and
# checksum otherwise sound.
mode = bytes.fromhex("EC 6E E9 2D 48 49 00")  # ClLCD:Disp "HI"
open("textmode.86p", "wb").write(
    container([entry(0x12, b"Mode\0\0\0\0", 4, program(mode), header=0x0D)], b"\x1a\x0d\x00"))

# The same entry damage alone, in the second entry of a group.
open("textmode-group.86g", "wb").write(container([
    entry(0x12, b"One", 3, program(bytes.fromhex("E9 44 31 00"))),  # Disp 1
    entry(0x12, b"Two     ", 3, program(bytes.fromhex("E9 44 32 00")), header=0x0D),  # Disp 2
]))
