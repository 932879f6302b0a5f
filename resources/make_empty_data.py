#!/usr/bin/python3
"""Writes the empty-area templates that are sent to the keyboard to clear an area.

Usage: make_empty_data.py OUTPUT_DIR

Files written (sizes are what the keyboard expects for an empty area):
  empty_ac7.dat  116 bytes, an empty rhythm in the keyboard's native form
  empty_mps.dat   43 bytes, an empty music preset
  empty_cms.dat  817 bytes, an empty song whose name is "User Song 1 "

All multi-byte integers are little-endian. Names are ASCII, padded with blanks.
The program patches only a few bytes of these templates (the song number digit
at byte 20, the song format byte at 30 and the song track type at 357), so the
layouts below keep those bytes free for that purpose.
"""

import os
import struct
import sys

from generated_file import write_if_changed

RHYTHM_SIZE = 116
MUSIC_PRESET_SIZE = 43
SONG_SIZE = 817


def pad_name(text, width):
    data = text.encode("ascii")
    assert len(data) <= width
    return data + b" " * (width - len(data))


def empty_rhythm():
    """Native rhythm: header, name, defaults and an empty pattern table.

    0   "AC07"            identifier
    4   u32 total length  (116)
    8   u16 version       (0)
    10  12 bytes name     "User Rhythm "
    22  u8 numerator, u8 denominator (4/4)
    24  u16 tempo         (120)
    26  u8 pattern count  (6: intro, variation 1/2, fill-in 1/2, ending)
    27  u8 reserved
    28  6 x 12 bytes pattern entries: u32 offset (0 = empty), u32 length,
        u8 measures, u8 channel mask, u16 reserved
    100 u32 end marker "END\\0", then 12 reserved bytes
    """
    pattern_count = 6
    body = bytearray()
    body += b"AC07"
    body += struct.pack("<I", RHYTHM_SIZE)
    body += struct.pack("<H", 0)
    body += pad_name("User Rhythm", 12)
    body += bytes([4, 4])
    body += struct.pack("<H", 120)
    body += bytes([pattern_count, 0])
    for _ in range(pattern_count):
        body += struct.pack("<IIBBH", 0, 0, 1, 0, 0)
    body += b"END\0"
    body += bytes(RHYTHM_SIZE - len(body))
    assert len(body) == RHYTHM_SIZE
    return bytes(body)


def empty_music_preset():
    """Music preset: identifier, length, name and neutral panel settings.

    0   "CMPS"            identifier
    4   u32 total length  (43)
    8   u8 version        (0)
    9   16 bytes name     "User Preset"
    25  u8 tone upper, u8 tone lower, u8 rhythm, u8 volume (100)
    29  u16 tempo         (120)
    31  u8 chord count    (0: no chord progression)
    32  u8 transpose      (64 = none), u8 octave (64 = none)
    34  8 reserved bytes, u8 end marker 0xF7 at 42
    """
    body = bytearray()
    body += b"CMPS"
    body += struct.pack("<I", MUSIC_PRESET_SIZE)
    body += bytes([0])
    body += pad_name("User Preset", 16)
    body += bytes([0, 0, 0, 100])
    body += struct.pack("<H", 120)
    body += bytes([0, 64, 64])
    body += bytes(MUSIC_PRESET_SIZE - 1 - len(body))
    body += bytes([0xF7])
    assert len(body) == MUSIC_PRESET_SIZE
    return bytes(body)


def empty_song():
    """Song: a header with the name, then 17 empty tracks.

    0   u32 total length  (817)
    4   u16 version       (0)
    6   u8 track count    (17: 16 parts and the system track)
    7   u8 measures       (0), u16 reserved
    10  12 bytes name     "User Song 1 " (byte 20 is the song number digit)
    22  u8 numerator, u8 denominator (4/4)
    24  u16 tempo         (120)
    26  u32 reserved
    30  u8 format         (0; the newer keyboards expect 2)
    31  17 x 20 bytes track entries: u8 part, u8 channel, u8 tone bank,
        u8 tone, u8 volume, u8 pan, u8 type (0; byte 357 is the type of the
        system track), u8 reserved, u32 event offset, u32 event length,
        u32 reserved
    371 17 x 4 bytes event lists: each holds only "end of track" FF 2F 00 00
    439 reserved, zero up to the total length
    """
    track_count = 17
    events_start = 31 + track_count * 20
    body = bytearray()
    body += struct.pack("<I", SONG_SIZE)
    body += struct.pack("<H", 0)
    body += bytes([track_count, 0])
    body += struct.pack("<H", 0)
    body += pad_name("User Song 1", 12)
    body += bytes([4, 4])
    body += struct.pack("<H", 120)
    body += struct.pack("<I", 0)
    body += bytes([0])
    for track in range(track_count):
        offset = events_start + 4 * track
        body += bytes([track, track % 16, 0, 0, 100, 64, 0, 0])
        body += struct.pack("<III", offset, 4, 0)
    assert len(body) == events_start
    for _ in range(track_count):
        body += bytes([0xFF, 0x2F, 0x00, 0x00])
    body += bytes(SONG_SIZE - len(body))
    assert len(body) == SONG_SIZE
    assert body[10:22] == b"User Song 1 " and body[20:21] == b"1"
    assert body[30] == 0 and body[357] == 0
    return bytes(body)


def main(argv):
    if len(argv) != 2:
        sys.exit("usage: make_empty_data.py OUTPUT_DIR")
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    write_if_changed(os.path.join(out_dir, "empty_ac7.dat"), empty_rhythm())
    write_if_changed(os.path.join(out_dir, "empty_mps.dat"), empty_music_preset())
    write_if_changed(os.path.join(out_dir, "empty_cms.dat"), empty_song())


if __name__ == "__main__":
    main(sys.argv)
