#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets from the unit tests' cases.

Run from anywhere; it replaces corpus/<target>/ next to this file. The
files are committed, so the fuzz runs need no Python.
"""
import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent


def write(target, cases):
    folder = HERE / target
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir()
    for name, data in cases:
        (folder / name).write_bytes(data)


# --- status reply: the received bytes as they are -------------------------

def reply(*fields):
    return b"\x01".join(f.encode("latin-1") if isinstance(f, str) else f for f in fields)


def typical(level, time_left):
    return reply("a", "b", "HostA", "TrackB", "x", "12", "y", level, "z", "S1", "w", time_left)


def time_left_closed_at(position):
    padding = "w" * (position - len(typical("2", "x600")))
    return reply("a", "b", "HostA", "TrackB", "x", "12", "y", "2", "z", "S1", "w" + padding, "x600")


def status_reply_cases():
    cases = [("typical", typical("2", "x600")),
             ("after-eleventh", typical("2", "x600") + b"\x01" + reply("", "more", "and more"))]
    levels = ["0", "1", "2", "3", "letters", "", " \t\n\v\f\r+3 laps", "-0", "7", "-1", "4",
              "4294967298", "99999999999999999999", "-99999999999999999999"]
    cases += [(f"level-{i:02}", typical(level, "x60")) for i, level in enumerate(levels)]
    times = ["x5400", "1234", "x59", "x119", "", "x", "xabc", "x-600", "-600", "x99999999999999999999999999"]
    cases += [(f"time-{i:02}", typical("1", t)) for i, t in enumerate(times)]
    with_nul = typical("2", "x600")
    at = with_nul.index(b"TrackB") + 5
    cases += [
        ("nul-inside", with_nul[:at] + b"\x00" + with_nul[at:]),
        ("nul-first", b"\x00a\x01b\x01HostA\x01"),
        ("empty", b""),
        ("two-fields", reply("a", "b")),
        ("cut-in-session", typical("2", "x600")[: typical("2", "x600").index(b"S1") + 1]),
        ("empty-host", reply("a", "b", "", "TrackB")),
        ("fewer-separators", reply("a", "b", "HostA", "TrackB", "x", "12")),
        ("high-bytes", reply("a", "b", b"H\xe9\xff\x02t")),
        ("closed-at-149", time_left_closed_at(149)),
        ("closed-at-150", time_left_closed_at(150)),
        ("separator-at-150", time_left_closed_at(150) + b"\x01more"),
    ]
    return cases


# --- echo reply: selector, reply buffer size (16 bits LE), packet ------------

ID, SEQ = 0x1234, 7
TARGET, ROUTER, US = bytes([10, 1, 2, 3]), bytes([192, 0, 2, 2]), bytes([192, 0, 2, 1])
PAYLOAD = b"Echo payload, 31 bytes of text."
RAW, DGRAM, QUEUED, ERRQUEUE, FROM_TARGET = 0, 1, 2, 3, 4


def checksum(data):
    if len(data) % 2:
        data += b"\x00"
    total = sum(struct.unpack(f"!{len(data) // 2}H", data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


def icmp(type_, code, ident, seq, body):
    message = bytearray(struct.pack("!BBHHH", type_, code, 0, ident & 0xFFFF, seq & 0xFFFF) + body)
    message[2:4] = struct.pack("!H", checksum(bytes(message)))
    return bytes(message)


def ip(source, destination, ttl, body, protocol=1):
    header = struct.pack("!BBHHHBBH4s4s", 0x45, 0x10, 20 + len(body), 0, 0, ttl, protocol, 0, source, destination)
    return header + body


def error_about(type_, code, destination, ident, seq, quoted_type=8):
    quoted = ip(US, destination, 1, icmp(quoted_type, 0, ident, seq, PAYLOAD))[:28]
    return icmp(type_, code, 0, 0, quoted)


def cmsg(level, type_, data):
    header = struct.pack("<QiI", 16 + len(data), level, type_)
    return header + data + b"\x00" * (-len(data) % 8)


def error_queue_entry(origin, type_, code, with_ttl):
    ee = struct.pack("<IBBBBII", 113, origin, type_, code, 0, 0, 0)
    offender = struct.pack("<H2s4s8x", 2, b"\x00\x00", ROUTER)
    control = cmsg(0, 11, ee + offender)  # IPPROTO_IP, IP_RECVERR
    if with_ttl:
        control += cmsg(0, 2, struct.pack("<i", 62))  # IP_TTL
    return control


def echo(selector, packet, buffer_size=28 + len(PAYLOAD)):
    return bytes([selector]) + struct.pack("<H", buffer_size) + packet


def echo_reply_cases():
    reply = icmp(0, 0, ID, SEQ, PAYLOAD)
    full = ip(TARGET, US, 64, reply)
    corrupt = bytearray(PAYLOAD)
    corrupt[3] ^= 0x20
    bad_checksum = bytearray(reply)
    bad_checksum[2] ^= 1
    bad_version = bytearray(full)
    bad_version[0] = 0x65
    long_header = bytearray(full)
    long_header[0] = 0x4F
    cases = [
        ("raw-reply", echo(RAW, ip(TARGET, US, 57, reply))),
        ("raw-reply-small-buffer", echo(RAW, full, 28 + len(PAYLOAD) - 1)),
        ("raw-reply-large-buffer", echo(RAW, full, 200)),
        ("raw-other-id", echo(RAW, ip(TARGET, US, 64, icmp(0, 0, ID + 1, SEQ, PAYLOAD)))),
        ("raw-other-seq", echo(RAW, ip(TARGET, US, 64, icmp(0, 0, ID, SEQ + 1, PAYLOAD)))),
        ("raw-corrupt", echo(RAW, ip(TARGET, US, 64, icmp(0, 0, ID, SEQ, bytes(corrupt))))),
        ("raw-empty-payload", echo(RAW, ip(TARGET, US, 64, icmp(0, 0, ID, SEQ, b"")))),
        ("raw-bad-checksum", echo(RAW, ip(TARGET, US, 64, bytes(bad_checksum)))),
        ("raw-request", echo(RAW, ip(US, TARGET, 64, icmp(8, 0, ID, SEQ, PAYLOAD)))),
        ("raw-udp", echo(RAW, ip(TARGET, US, 64, reply, 17))),
        ("raw-not-ipv4", echo(RAW, bytes(bad_version))),
        ("raw-long-header", echo(RAW, bytes(long_header[:40]))),
        ("raw-cut-icmp", echo(RAW, full[:25])),
        ("raw-padded", echo(RAW, full + b"\x00" * 4)),
        ("raw-empty", echo(RAW, b"")),
        ("dgram-reply", echo(DGRAM | FROM_TARGET, reply)),
        ("dgram-from-router", echo(DGRAM, reply)),
        ("dgram-short", echo(DGRAM | FROM_TARGET, b"\x00\x00\x00")),
        ("queued-ttl-expired", echo(QUEUED, bytes([11, 0, 61]) + icmp(8, 0, ID, SEQ, PAYLOAD))),
        ("queued-older", echo(QUEUED, bytes([3, 1, 0]) + icmp(8, 0, ID, SEQ - 1, PAYLOAD))),
        ("queued-redirect", echo(QUEUED, bytes([5, 0, 0]) + icmp(8, 0, ID, SEQ, PAYLOAD))),
        ("queued-cut", echo(QUEUED, bytes([3, 1, 0]) + icmp(8, 0, ID, SEQ, PAYLOAD)[:6])),
    ]
    for type_, code in [(3, 0), (3, 1), (3, 2), (3, 3), (3, 4), (3, 5), (3, 13), (4, 0), (11, 0), (11, 1), (12, 0)]:
        cases.append((f"raw-error-{type_}-{code}", echo(RAW, ip(ROUTER, US, 250, error_about(type_, code, TARGET, ID, SEQ)))))
    short_quote = error_about(3, 1, TARGET, ID, SEQ)[: 8 + 20 + 6]
    cases += [
        ("raw-error-other-seq", echo(RAW, ip(ROUTER, US, 64, error_about(3, 1, TARGET, ID, SEQ + 1)))),
        ("raw-error-other-destination", echo(RAW, ip(ROUTER, US, 64, error_about(3, 1, bytes([10, 9, 9, 9]), ID, SEQ)))),
        ("raw-error-quoting-reply", echo(RAW, ip(ROUTER, US, 64, error_about(3, 1, TARGET, ID, SEQ, 0)))),
        ("raw-error-short-quote", echo(RAW, ip(ROUTER, US, 64, short_quote))),
        ("dgram-error", echo(DGRAM, error_about(11, 0, TARGET, ID, SEQ))),
        ("errqueue-icmp-ttl", echo(ERRQUEUE, error_queue_entry(2, 3, 1, True))),
        ("errqueue-ttl-expired", echo(ERRQUEUE, error_queue_entry(2, 11, 0, False))),
        ("errqueue-local", echo(ERRQUEUE, error_queue_entry(1, 3, 1, False))),
        ("errqueue-empty", echo(ERRQUEUE, b"")),
    ]
    return cases


# --- ping results: archive buffer size selector, then the archive ----------

def archive_string(text, form="short"):
    if form == "short":
        return bytes([len(text)]) + text
    if form == "medium":
        return b"\xff" + struct.pack("<H", len(text)) + text
    return b"\xff\xff\xff" + struct.pack("<I", len(text)) + text


def ping(address, round_trip, ttl, form="short", buffer_selector=255):
    return bytes([buffer_selector]) + archive_string(address, form) + struct.pack("<IB", round_trip, ttl)


def ping_results_cases():
    typical = ping(b"192.168.1.2", 35, 64)
    return [
        ("typical", typical),
        ("typical-small-buffer", ping(b"192.168.1.2", 35, 64, buffer_selector=0)),
        ("empty", ping(b"", 0, 0)),
        ("extremes", ping(b"255.255.255.255", 0xFFFFFFFF, 255)),
        ("medium-length", ping(b"10.1.2.3", 5000, 128, "medium")),
        ("long-length", ping(b"10.1.2.3", 5000, 128, "long")),
        ("string-of-300", ping(b"1" * 300, 1, 1, "medium", 3)),
        ("wide-marker", b"\xff\xff\xfe\xff" + b"\x00" * 8),
        ("huge-length", b"\xff\xff\xff\xff\xff\xff\xff\x7f"),
        ("truncated", typical[:-1]),
        ("trailing-bytes", typical + b"more"),
        ("nothing", b"\xff"),
    ]


# --- socket address: selector (0 address, 1 port text, 2 port number), text -

def socket_address_cases():
    addresses = ["127.0.0.1", "10.1.2.3", "localhost", "nosuchhost.invalid", "", "1.2.3.4.5", "12a.3",
                 "example.invalid", "0x7f.1", "255.255.255.255", "h" * 5000, "192.168.001.010", "010.1",
                 "1.2.3.4 x"]
    ports = [" 80x", "FTP", "0", "80", "http", "-1", "99999999999999999999"]
    cases = [(f"address-{i:02}", b"\x00" + a.encode()) for i, a in enumerate(addresses)]
    cases += [(f"port-text-{i:02}", b"\x01" + p.encode()) for i, p in enumerate(ports)]
    cases += [(f"port-number-{n}", b"\x02" + struct.pack("<H", n)) for n in (80, 256, 6971, 40000)]
    return cases


# --- address book: the bytes of "address.ini" -------------------------------

def record(slot, address, description):
    address, description = address[:17], description[:20]
    return (f"entry{slot}" + " " * 13 + address.ljust(17) + " " * 34 + "\r\n" + description.ljust(20) + "\r\n").encode("latin-1")


def address_book_cases():
    in_gap = bytearray(record(0, "192.0.2.1", "198.51.100.77 = abc"))
    in_gap[53:59] = b"entry1"
    short = b"entry0" + b"-" * 13 + b"192.0.2.10" + b" " * 7 + b"." * 34 + b"\r\nShort=x\r\nentry1"
    nine = b"".join(record(i, f"192.0.2.{i}", f"Server {i}  = x") for i in range(9))
    return [
        ("one-record", record(3, " \t 192.0.2.7\r\n ", "Test server seven = ") + b"tail"),
        ("not-listed", record(0, "", "blank") + record(1, "   \t\n", "white space only")
         + record(2, "game.example", "host name") + record(3, " -1.2.3.4", "sign")
         + record(4, "\xb2.0.0.1", "Latin-1 superscript two") + record(5, "9", "digit")
         + record(6, "0x7f.1", "leading zero digit")),
        ("only-slot-4", record(4, "127.0.0.1", "only record")),
        ("first-occurrence", bytes(in_gap) + b"my" + record(2, "192.0.2.2", "in a word")
         + record(1, "192.0.2.99", "later") + b"ENTRY3" + b" " * 13 + b"192.0.2.3"),
        ("cut-fields", short + b"=.............."),
        ("cut-at-75", short[:75]),
        ("key-only", b"entry0"),
        ("empty", b""),
        ("nul-in-description", record(0, "1.2.3.4", "a\0b")),
        ("nul-early", b"entry\0" + record(0, "1.2.3.4", "x")),
        ("sorted-duplicates", record(0, "203.0.113.5", "b") + record(1, "198.51.100.2", "z")
         + record(2, "203.0.113.5", "b") + record(3, "10.0.0.1", "x")
         + record(4, "198.51.100.2", "Y") + record(5, "10.0.0.1", "X")),
        ("nine-records", nine),
        ("beyond-2048", b"#" * 2040 + record(8, "192.0.2.8", "too far")),
        ("equals-cases", b"192.0.2.1 \t\r\n = Test"),
    ]


write("address_book", address_book_cases())
write("status_reply", status_reply_cases())
write("echo_reply", echo_reply_cases())
write("ping_results", ping_results_cases())
write("socket_address", socket_address_cases())
