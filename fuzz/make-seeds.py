#!/usr/bin/env python3
"""Writes the fuzz targets' seed inputs (fuzz/corpus/) from the project's real files: factory
presets and samples, the legacy preset fixtures and a small GUI document. Run it from anywhere;
the seeds are checked in, so this is only needed when the real files change."""

import pathlib
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
FACTORY = ROOT / "factory"

# JUCE's MemoryBlock base64 text: the byte count, a full stop, then 6 bits per character
# taken from the data as one little-endian bit stream.
ALPHABET = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+"


def juce_base64(data: bytes) -> str:
    bits = int.from_bytes(data, "little")
    characters = (len(data) * 8 + 5) // 6
    return f"{len(data)}." + "".join(ALPHABET[(bits >> (6 * i)) & 63] for i in range(characters))


def wav(frames, channels=1, bits=16, rate=44100, float_samples=False):
    import math
    out = bytearray()
    for i in range(frames):
        value = 0.7 * math.sin(2 * math.pi * 1500 * i / rate) * (1 - i / frames)
        for _ in range(channels):
            if float_samples:
                out += struct.pack("<f", value)
            elif bits == 8:
                out += struct.pack("<B", int(128 + 127 * value))
            else:
                out += struct.pack("<h", int(32767 * value))
    fmt = 3 if float_samples else 1
    block = channels * bits // 8
    header = b"RIFF" + struct.pack("<I", 36 + len(out)) + b"WAVEfmt " + struct.pack(
        "<IHHIIHH", 16, fmt, channels, rate, rate * block, block, bits) + b"data" + struct.pack("<I", len(out))
    return header + bytes(out)


def state_blob(xml: str) -> bytes:
    text = xml.encode("utf-8")
    return b"VC2!" + struct.pack("<I", len(text)) + text + b"\0"


def one_line(path: pathlib.Path) -> str:
    text = path.read_text(encoding="utf-8")
    text = text[text.index("<VELLMARK"):]
    return " ".join(line.strip() for line in text.splitlines())


def write(folder: str, name: str, data):
    target = CORPUS / folder / name
    target.parent.mkdir(parents=True, exist_ok=True)
    target.write_bytes(data if isinstance(data, bytes) else data.encode("utf-8"))


def main():
    if CORPUS.exists():
        shutil.rmtree(CORPUS)

    tick = (FACTORY / "Samples/Clicks/06 Tick.wav").read_bytes()
    embedded_tick = juce_base64(tick)

    default = one_line(FACTORY / "Presets/main/Default.preset")
    with_sample = default.replace(
        "<attack_file>", f"<attack_file><data>{embedded_tick}</data>", 1)
    write("state", "default-with-sample.bin", state_blob(with_sample))
    write("state", "legacy-mode.bin", state_blob(
        '<VELLMARK><float body_decay="400" body_hold="200" attack_gain="1.5"/>'
        '<data><preset_name_all>Old</preset_name_all></data><info version="1.1"/></VELLMARK>'))
    write("state", "foreign-tags.bin", state_blob(
        '<vellmark><Parameters master_level="0.5"/><NonParameterData/></vellmark>'))

    for path in [FACTORY / "Presets/main/Default.preset", FACTORY / "Presets/attack/Clicks.preset",
                 ROOT / "tests/data/presets/BetaDrive.preset", ROOT / "tests/data/presets/PreSecondLayer.preset"]:
        write("preset", path.name, path.read_bytes())
    write("preset", "Embedded.preset", '<?xml version="1.0" encoding="UTF-8"?>\r\n' + with_sample)

    write("embedded", "tick.txt", embedded_tick)
    write("embedded", "mono-8bit.txt", juce_base64(wav(300, 1, 8)))
    write("embedded", "stereo-float.txt", juce_base64(wav(300, 2, 32, 48000, True)))
    write("embedded", "six-channels.txt", juce_base64(wav(100, 6, 16, 96000)))

    write("document", "small.xml", """<root>
  <key_map><key name="preset_name_all"/></key_map>
  <automation>
    <order>
      body_decay=0,
      master_level=1,
    </order>
    <hidden>body_mode,</hidden>
  </automation>
  <container tag="body">
    <parameter name="Decay" gui="knob"><values min="15" max="5000" default="50"/><skew>0.32</skew></parameter>
    <parameter name="BODY MODE" tag="mode" gui="multicompact"><values max="10"/></parameter>
  </container>
  <container tag="master">
    <parameter name="Level" pname="Master Level" gui="knob"><values max="2" default="0.5"/><skew>0.5</skew></parameter>
  </container>
  <tour><info>Title::Body</info></tour>
</root>
""")


if __name__ == "__main__":
    main()
