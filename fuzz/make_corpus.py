#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/.

Each seed is laid out as its target reads the fuzzer's bytes (see the comment
at the top of each *_fuzzer.cpp). Run it again after changing a layout.
"""
import hashlib
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FORMATS = ["TELTRANS", "LPXCODE", "LPXKBD", "INSCRIPT", "ANSI", "UNICODE", "UTF-8", "COLLCODE",
           "ISO15919_ANSI", "ISO15919", "ISO15919_UTF_8", "BRAILLE"]
WIDE = {"UNICODE", "COLLCODE", "ISO15919"}
F = {name: i for i, name in enumerate(FORMATS)}
ODD = 12  # first selector of an odd (invalid) name


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


def codes(*values):
    return bytes(values)


# Texts per input format (bytes as the library reads them).
WORDS = ["క్లారిఫికేషన్", "పద్యం", "అభేద్యం", "క్షమ", "సోమవారం", "కై", "క్అ", "ౘ", "౧౨౩", "‘క’ “ఖ”"]
SAMPLES = {
    "UNICODE": [utf16(w) for w in WORDS] + [utf16("\u0c15\u0c46\u0c56"), utf16("\ud800\u0c3f\udc00A"),
                                             utf16("\u0c15\u0c4d\u200c\u0c05\t\r\n")],
    "UTF-8": [w.encode() for w in WORDS[:5]] + [b"\xe0\xb0", b"\xc0\xaf\xed\xa0\x80", b"\xf0\x9f\x98\x80"],
    "LPXCODE": [codes(122, 100), codes(122), codes(122, 95, 100), codes(127, 170, 100, 129, 170),
                codes(100, 102, 94, 94, 95, 64, 87, 64, 88), codes(172, 49, 172, 122, 100, 49),
                b"\xff0C15\xff0041\xffd800\xff1", codes(66, 108, 109, 200, 201, 202, 215, 216, 220, 221, 225),
                codes(34, 122, 100, 34, 32, 75, 46, 79, 45, 45, 76), codes(9) * 40 + codes(171, 177, 190)],
    "TELTRANS": [b"sOmavAraM", b"janavari", b"#0C15;", b"#;", b"k~h", b"a^^i", b"~~M", b"#kakak;", b"Rs 5"],
    "LPXKBD": [b"kf", b"kfk", b"kff", b"k^", b"Rx", b"<", b"#0C15;"],
    "INSCRIPT": [b"kf", b"jd", b"kdj", b"\x01\x7f"],
    "ANSI": [bytes(range(128, 160)), bytes(range(160, 256)), b"O\xb3\xb5P\xb9"],
    "COLLCODE": [struct.pack("<3H", 0xE67A, 0xE664, 0xE6AA), struct.pack("<3H", 0xE67F, 0xE6AA, 0xE676),
                 struct.pack("<2H", 0x100, 0xFF)],
    "ISO15919": [utf16("kṣa"), utf16("ōm̐ka"), utf16("k:a"), utf16("l̥̄ṉḻ")],
    "ISO15919_UTF_8": ["kṣamā".encode(), "saṁskr̥ta".encode()],
    "ISO15919_ANSI": [b"ksha", b"\xd1\xe2\xe0"],
}


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for seed in seeds:
        name = hashlib.sha1(seed).hexdigest()[:16]
        with open(os.path.join(folder, name), "wb") as f:
            f.write(seed)
    print(f"{target}: {len(set(seeds))} seeds")


def convert_seeds():
    seeds = []
    outputs = ["UNICODE", "TELTRANS", "ANSI", "BRAILLE", "UTF-8", "COLLCODE", "ISO15919", "LPXCODE"]
    k = 0
    for source, texts in SAMPLES.items():
        for text in texts:
            target = outputs[k % len(outputs)]
            flags = [0, 4, 8, 1, 2][k % 5]
            capacity = [3, 40, 0, 1, 7][k % 5]
            seeds.append(bytes([F[source], F[target] + (16 if k % 3 == 0 else 0), flags]) +
                         struct.pack("<H", capacity) + text)
            k += 1
    # Text mapped onto the normalised internal code (flag 16), which the round trips check.
    for i, target in enumerate(["UNICODE", "TELTRANS", "COLLCODE", "UTF-8"]):
        seeds.append(bytes([F["LPXCODE"], F[target], 16 | (4 * (i % 3)), 20, 0]) +
                     bytes((i * 37 + k * 11) % 256 for k in range(24)) + b"\xff\x00\x0c\x01\x05")
    # Invalid names on either side, and the input-only outputs.
    seeds.append(bytes([ODD, F["UNICODE"], 0, 10, 0]) + b"x")
    seeds.append(bytes([F["LPXCODE"], ODD + 1 + 16, 0, 10, 0]) + b"x")
    seeds.append(bytes([F["BRAILLE"], F["LPXKBD"], 4, 0, 0]) + b"k")
    return seeds


def compare_seeds():
    pairs = [
        ("UNICODE", utf16("క"), "LPXCODE", codes(122, 100)),
        ("UNICODE", utf16("క్"), "UNICODE", utf16("క")),
        ("TELTRANS", b"ka", "UTF-8", "కా".encode()),
        ("COLLCODE", struct.pack("<H", 0x100), "COLLCODE", struct.pack("<H", 0xFF)),
        ("ISO15919", utf16("ōm̐ka"), "ISO15919", utf16("ka")),
        ("ANSI", b"O\xb3", "TELTRANS", b"k"),
        ("ISO15919_ANSI", b"ka", "LPXKBD", b"k"),
        ("LPXCODE", codes(122, 100, 88), "LPXCODE", codes(122, 101)),
        ("UNICODE", utf16("సోమవారం"), "TELTRANS", b"sOmavAraM"),
    ]
    seeds = [bytes([F[fa], F[fb], i % 4]) + struct.pack("<H", len(a)) + a + b
             for i, (fa, a, fb, b) in enumerate(pairs)]
    seeds.append(bytes([ODD, F["UNICODE"], 0, 1, 0]) + b"ab")
    return seeds


def date_seeds():
    phrases = [b"Sunday, 5 March 2010", b"10:30 am", b"jan", b"sample", b"maybe", b"marching",
               b"janavari 26", b"AdivaaraM", b"pUrvAhna aparAhna", b"mE", b"#0041;SUN\xe9", b"12/05/2010"]
    seeds = []
    for i, p in enumerate(phrases):
        english = 1 if i < 6 or i >= 10 else 0
        seeds.append(bytes([english | (4 if i % 4 == 0 else 0) | (2 if i % 3 == 0 else 0)]) +
                     struct.pack("<H", [200, 5, 9, 1, 0, 64][i % 6]) + p)
    return seeds


def braille_seeds():
    texts = [codes(122, 100), codes(122), codes(122, 137, 100), codes(122, 159, 100), codes(129, 131, 100),
             codes(75, 76, 77), codes(75, 46, 79), codes(75, 44, 76, 76, 76), codes(75, 45, 45, 76),
             codes(76, 32, 77), codes(34, 122, 100, 34), codes(200, 66, 58, 64), b"\xff0C15",
             codes(9, 122, 100, 10), codes(122, 100, 32, 137, 100), codes(127, 170, 100), b"A" * 600]
    seeds = []
    for i, t in enumerate(texts):
        switches = bytes([i % 15, (i // 2) % 15, (i // 3) % 15, i % 7])
        flags = [0, 2, 8, 1][i % 4]
        seeds.append(switches + bytes([0, flags]) + struct.pack("<H", [100, 3, 4, 1000][i % 4]) + bytes([0]) + t)
    # Other input formats (flags bits 4 and 5).
    seeds.append(bytes([0, 1, 4, 0, F["INSCRIPT"], 0x30]) + struct.pack("<H", 50) + bytes([3]) + b"abckf")
    seeds.append(bytes([0, 0, 0, 1, F["UNICODE"], 0x30]) + struct.pack("<H", 50) + bytes([0]) + utf16("క౧"))
    return seeds


def automation_seeds():
    def bstr_format(name):
        return bytes([0, F[name] if name in F else ODD])

    def text(data, wide=False):
        return bytes([3 | (16 if wide else 0), len(data)]) + data

    def long(value):
        return bytes([6]) + struct.pack("<i", value)

    seeds = [
        # Convert(input, from, to), arguments in the order the host writes them (rgvarg is reversed by the target).
        bytes([0, 0, 3, 0]) + bstr_format("UNICODE") + bstr_format("TELTRANS") + text(utf16("కి"), True),
        bytes([0, 0, 3, 0]) + bstr_format("BRAILLE") + bstr_format("TELTRANS") + text(b"sOmavAraM"),
        bytes([0, 0, 3, 0]) + bstr_format("UTF-8") + bstr_format("UNICODE") + text(utf16("\ud800a"), True),
        bytes([0, 0, 3, 0]) + bstr_format("UNICODE") + bytes([0, ODD]) + text(b"x"),
        # Compare(a, fa, b, fb)
        bytes([1, 0, 4, 0]) + bstr_format("LPXCODE") + text(b"\x7a\x64") + bstr_format("UNICODE") +
        text(utf16("క"), True),
        bytes([1, 0, 4, 0]) + bstr_format("LPXKBD") + text(b"k") + bstr_format("UNICODE") + text(b"k"),
        # ConvertDate(input, flag)
        bytes([2, 0, 2, 0]) + long(1) + text(b"Monday 10 am"),
        bytes([2, 0, 2, 0]) + bytes([8]) + text(b"janavari"),
        # SetProperty(key, value)
        bytes([3, 0, 2, 0]) + text(b"TRUE") + text(b"LPX_KEY_NEMETH"),
        # Wrong counts, types, named arguments, unknown members, flags.
        bytes([0, 0, 1, 0]) + text(b"x"),
        bytes([0, 0, 3, 0]) + long(5) + long(6) + long(7),
        bytes([0, 16 | 8, 3, 2]) + bstr_format("UNICODE") + bstr_format("TELTRANS") + text(b"k") + bytes([1, 2, 3]),
        bytes([250, 0, 0, 0]),
        bytes([0, 2 | 0x20, 0, 0]),
        bytes([0, 4, 0, 0]),
        bytes([3, 0, 2, 0]) + bytes([9, 0]) + bytes([9 | 0x30, 5]) + bytes([200 + 4]) + utf16("Co"),
    ]
    return seeds


def convert_status_seeds():
    # The convert layout; flag 4 passes Braille properties, flag 8 a small capacity.
    seeds = []
    k = 0
    for source, texts in SAMPLES.items():
        for text in texts[:3]:
            target = ["UTF-8", "UNICODE", "BRAILLE", "TELTRANS", "ISO15919", "ANSI"][k % 6]
            flags = [0, 2, 4, 8, 10, 1][k % 6]
            seeds.append(bytes([F[source], F[target], flags]) + struct.pack("<H", [5, 2, 0, 7, 300, 1][k % 6]) + text)
            k += 1
    seeds.append(bytes([F["LPXCODE"], F["BRAILLE"], 4, 3, 0]) + codes(75, 76, 77, 32, 75))
    seeds.append(bytes([ODD, F["UTF-8"], 0, 10, 0]) + b"x")
    seeds.append(bytes([F["BRAILLE"], F["UTF-8"], 0, 10, 0]) + b"x")
    seeds.append(bytes([F["TELTRANS"], F["INSCRIPT"], 0, 0, 0]) + b"ka")
    # Longer than the initial scratch buffers and the run loop's stage.
    seeds.append(bytes([F["UTF-8"], F["UNICODE"], 2, 0, 8]) + "తెలుగు భాష ".encode() * 120)
    return seeds


def sort_key_seeds():
    seeds = []
    pairs = [
        ("UTF-8", "కా".encode(), "UTF-8", "క".encode()),
        ("UNICODE", utf16("క్"), "TELTRANS", b"ka"),
        ("COLLCODE", struct.pack("<2H", 0x100, 0xE6FF), "COLLCODE", struct.pack("<H", 0xFF)),
        ("ANSI", b"O\xb3", "LPXCODE", codes(122, 100, 88)),
        ("ISO15919", utf16("ōm̐ka"), "ISO15919_ANSI", b"ka"),
        ("TELTRANS", b"sOmavAraM", "LPXKBD", b"k"),
        ("UTF-8", "సోమవారం ".encode() * 100, "UTF-8", "సోమవారం ".encode() * 99 + b"x"),
    ]
    for i, (fa, a, fb, b) in enumerate(pairs):
        seeds.append(bytes([F[fa], F[fb], i % 4]) + struct.pack("<H", len(a)) + bytes([i * 7]) + a + b)
    return seeds


def cpp_api_seeds():
    seeds = []
    pairs = [
        ("UTF-8", "TELTRANS", "తెలుగు".encode(), "క\0ఖ".encode()),
        ("TELTRANS", "UNICODE", b"telugu", utf16("క")),
        ("UNICODE", "ISO15919_UTF_8", "క్షమ".encode(), utf16("క్షమ") + b"\x01"),
        ("LPXCODE", "BRAILLE", codes(75, 76), codes(122, 100)),
        ("COLLCODE", "UTF-8", "కా".encode(), struct.pack("<2H", 0xE67A, 0xE664)),
        ("BRAILLE", "UTF-8", b"k", b"k"),
        ("TELTRANS", "INSCRIPT", b"k", b"k"),
        ("UTF-8", "UTF-8", "తెలుగు ".encode() * 200, b""),
    ]
    for i, (fa, fb, a, b) in enumerate(pairs):
        seeds.append(bytes([F[fa], F[fb], 0]) + struct.pack("<H", len(a)) + a + b)
    # Invalid Format values (flags 1 and 2 let any byte through).
    seeds.append(bytes([12, F["UTF-8"], 1, 1, 0]) + b"kk")
    seeds.append(bytes([F["UTF-8"], 255, 2, 1, 0]) + b"kk")
    return seeds


def main():
    write("convert", convert_seeds())
    write("compare", compare_seeds())
    write("date", date_seeds())
    write("braille", braille_seeds())
    write("automation", automation_seeds())
    write("convert_status", convert_status_seeds())
    write("sort_key", sort_key_seeds())
    write("cpp_api", cpp_api_seeds())


if __name__ == "__main__":
    main()
