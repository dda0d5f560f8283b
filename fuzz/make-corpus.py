#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs into fuzz/corpus/ (run it again after changing a layout)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

ADDED, REMOVED, MODIFIED, RENAMED_OLD, RENAMED_NEW = 1, 2, 3, 4, 5


def change_batch(records, aligned):
    """Records as the watch reads them: Windows aligns each on a DWORD, Wine packs them."""
    out = b""
    for i, (action, name) in enumerate(records):
        encoded = name.encode("utf-16-le")
        size = 12 + len(encoded)
        if aligned:
            size = (size + 3) & ~3
        last = i == len(records) - 1
        record = struct.pack("<III", 0 if last else size, action, len(encoded)) + encoded
        out += record if last else record.ljust(size, b"\0")
    return out


def plan(asked_before, before_deepest_first=False, after_deepest_first=False):
    """The change-batch target's two leading bytes (see ChangeBatchFuzzer.cpp)."""
    return bytes([asked_before & 0xFF,
                  (asked_before >> 8) & 3 | before_deepest_first << 2 | after_deepest_first << 3])


def text_input(size, parent, metric, decimals, separator, bar_style, bar_symbol, major, minor):
    return struct.pack("<QQqqHqHBB", size, parent, metric, decimals, separator, bar_style,
                       bar_symbol, major, minor)


def settings_input(setting, reader, value, missing=False):
    return bytes([setting, reader, 1 if missing else 0]) + value


# Indices as in core/Settings.h.
VIEW_METRIC, SEPARATOR, DECIMAL_DIGITS, COLUMN_TITLE = 1, 2, 3, 4
CACHE_ALL, PB_STYLE, PB_SYMBOL, WINDOW_SUB_POS = 6, 9, 10, 11
TROVEX, TROVEX_CACHE, TROVEX_BAR, TROVEX_PROPERTIES = 0, 1, 2, 3

CORPUS = {
    "change_batch": {
        "two-records-packed": plan(0x3FF) + change_batch(
            [(ADDED, "data\\docs\\new.txt"), (REMOVED, "data\\media\\photos")], aligned=False),
        "rename-aligned": plan(0x0F5, after_deepest_first=True) + change_batch(
            [(MODIFIED, "logs\\today.log"), (RENAMED_OLD, "data\\docs\\old"),
             (RENAMED_NEW, "data\\docs\\older")], aligned=True),
        "upper-case-deepest-first": plan(0x3FF, before_deepest_first=True) + change_batch(
            [(MODIFIED, "DATA\\Media\\Photos\\2023\\P1.JPG")], aligned=True),
        "deep-folder-asked-alone": plan(0x240) + change_batch(
            [(REMOVED, "data\\media"), (ADDED, "data\\media"), (MODIFIED, "data")],
            aligned=True),
        "overflowed-read": plan(0x2FF),
        "odd-name-length": plan(0x3FF) + struct.pack("<III", 0, ADDED, 3) + b"abc",
        "unknown-action": plan(0x201) + change_batch([(9, "data"), (0, "pagefile.sys")],
                                                     aligned=False),
    },
    "text": {
        "kb-defaults": text_input(123456789, 987654321, 1, 0, ord(" "), 0, 0x2022, 10, 0),
        "auto-two-decimals": text_input(5 << 30, 6 << 30, 4, 2, ord(","), 0, ord("|"), 6, 1),
        "bytes-value-only": text_input(1023, 4096, 0, 3, ord("."), 1, ord("#"), 5, 0),
        "many-decimals": text_input(2**64 - 1, 1, 3, 300, ord("'"), 2, ord("*"), 5, 1),
        "zero-parent": text_input(0, 0, 2, -5, 0, 7, 0, 4, 9),
        "bad-metric": text_input(1 << 40, 1 << 41, 5, 1, ord(" "), 0, ord("="), 6, 0),
    },
    "settings": {
        "view-metric": settings_input(VIEW_METRIC, TROVEX, struct.pack("<q", 4)),
        "decimals-missing": settings_input(DECIMAL_DIGITS, TROVEX_BAR, b"", missing=True),
        "separator": settings_input(SEPARATOR, TROVEX_PROPERTIES, "'".encode("utf-16-le")),
        "symbol": settings_input(PB_SYMBOL, TROVEX, "\u25a0\0".encode("utf-16-le")),
        "title": settings_input(COLUMN_TITLE, TROVEX_PROPERTIES,
                                "Size on disk\0".encode("utf-16-le")),
        "title-too-long": settings_input(COLUMN_TITLE, TROVEX, ("T" * 100 + "\0").encode("utf-16-le")),
        "title-unterminated": settings_input(COLUMN_TITLE, TROVEX, "Abc".encode("utf-16-le")),
        "placement": settings_input(WINDOW_SUB_POS, TROVEX_PROPERTIES,
                                    struct.pack("<11i", 44, 0, 1, -1, -1, -1, -1, 10, 20, 410, 380)),
        "cache-all-odd": settings_input(CACHE_ALL, TROVEX_CACHE, b"\x01\x00\x00"),
        "style-not-read": settings_input(PB_STYLE, TROVEX_CACHE, struct.pack("<q", 2)),
    },
    # Bytes that choose the storm's changes (see tests/core/WindowsStorm.cpp): every kind of
    # change in turn, links and their targets, and a long run of mixed choices.
    "change_storm": {
        "every-kind": bytes(b for kind in range(20) for b in (1, kind, 7, 3, 1, 2, 0, 1, 5)),
        "links-and-targets": bytes([3, 14, 9, 4, 2, 1, 0, 17, 0, 2, 1, 1, 0, 18, 0, 1, 3] * 4),
        "mixed": bytes((i * 37 + 11) % 256 for i in range(600)),
    },
    # Requests as UTF-16 code units: spellings of one folder, roots, UNC, short names.
    "request": {name: text.encode("utf-16-le") for name, text in {
        "plain": "C:\\A",
        "slashes-trailing": "c:/a/B/",
        "device-dot-dot": "\\\\?\\C:\\A\\B\\..",
        "dots": "C:\\A\\.\\B\\.",
        "root": "C:",
        "root-separator": "C:\\",
        "unc": "\\\\server\\share\\x",
        "non-ascii": "C:\\\u00e4",
        "trailing-dots-blanks": "C:\\A..\\B  ",
        "short-name": "C:\\PROGRA~1",
    }.items()},
}

for target, inputs in CORPUS.items():
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in inputs.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
