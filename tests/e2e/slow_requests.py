#!/usr/bin/env python3
"""Slow requests against the results server on this computer, as a phone-side attacker would
send them: many connections from several loopback addresses, each sending the start of a
request one byte at a time and never finishing it, and connecting again whenever the server
cuts it or turns it away. Ends by itself after the given time and prints what it saw.

    slow_requests.py --port N [--connections 400] [--seconds 20] [--byte-every 3]
                     [--first 2] [--last 30] [--at-most 50000]

The target is always 127.0.0.1 and the sources 127.0.0.FIRST..127.0.0.LAST: nothing leaves
the loopback. No more than AT_MOST connections are made in all.
"""
import argparse
import errno
import resource
import selectors
import socket
import sys
import time

TARGET = "127.0.0.1"
# A request that is never finished: the header line keeps growing a byte at a time.
REQUEST = b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Pomalu: " + b"a" * 100000
# Pauses before a slot connects again, so that a refused client does not spin.
RECONNECT_PAUSE = 0.3
CONNECT_TIMEOUT = 3.0
# Linux: bind to an address without taking a port until connect() picks one for the pair.
IP_BIND_ADDRESS_NO_PORT = getattr(socket, "IP_BIND_ADDRESS_NO_PORT", 24)


class Slot:
    def __init__(self, source):
        self.source = source
        self.sock = None
        self.connected = False
        self.sent = 0
        self.due = 0.0  # when it connects again, or sends its next byte
        self.answer = b""


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--connections", type=int, default=400)
    parser.add_argument("--seconds", type=float, default=20.0)
    parser.add_argument("--byte-every", type=float, default=3.0)
    parser.add_argument("--first", type=int, default=2)
    parser.add_argument("--last", type=int, default=30)
    parser.add_argument("--at-most", type=int, default=50000)
    args = parser.parse_args()
    if not 1 <= args.first <= args.last <= 254:
        sys.exit("slow_requests: the sources must be 127.0.0.1 to 127.0.0.254")
    sources = [f"127.0.0.{n}" for n in range(args.first, args.last + 1)]

    # Every connection is a descriptor of ours too.
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    wanted = args.connections + 32
    if soft < wanted:
        soft = wanted if hard == resource.RLIM_INFINITY else min(wanted, hard)
        resource.setrlimit(resource.RLIMIT_NOFILE, (soft, hard))
    if soft < wanted:
        sys.exit(f"slow_requests: {args.connections} connections need {wanted} descriptors, "
                 f"the limit is {soft}")

    selector = selectors.DefaultSelector()
    started = time.monotonic()
    deadline = started + args.seconds
    counts = {"connects": 0, "refused": 0, "cut": 0, "failed": 0, "bytes": 0}
    most_open = 0
    slots = [Slot(sources[i % len(sources)]) for i in range(args.connections)]
    # Spread over the first second, as clients that come one after another.
    for i, slot in enumerate(slots):
        slot.due = started + i / args.connections

    def drop(slot, why):
        if slot.sock is not None:
            selector.unregister(slot.sock)
            slot.sock.close()
        if why == "cut" and slot.answer.startswith(b"HTTP/1.1 503"):
            why = "refused"
        counts[why] += 1
        slot.sock = None
        slot.connected = False
        slot.answer = b""
        slot.due = time.monotonic() + RECONNECT_PAUSE

    def connect(slot, now):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.setblocking(False)
        try:
            sock.setsockopt(socket.IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, 1)
        except OSError:
            pass
        try:
            sock.bind((slot.source, 0))
        except OSError:
            sock.close()
            counts["failed"] += 1
            slot.due = now + RECONNECT_PAUSE
            return
        rc = sock.connect_ex((TARGET, args.port))
        if rc not in (0, errno.EINPROGRESS):
            sock.close()
            counts["failed"] += 1
            slot.due = now + RECONNECT_PAUSE
            return
        counts["connects"] += 1
        slot.sock = sock
        slot.connected = False
        slot.sent = 0
        slot.due = now + CONNECT_TIMEOUT
        selector.register(sock, selectors.EVENT_READ | selectors.EVENT_WRITE, slot)

    def send_byte(slot, now):
        try:
            slot.sock.send(REQUEST[slot.sent:slot.sent + 1])
        except OSError:
            drop(slot, "cut")
            return
        slot.sent += 1
        counts["bytes"] += 1
        slot.due = now + args.byte_every

    while True:
        now = time.monotonic()
        if now >= deadline:
            break
        for slot in slots:
            if now < slot.due:
                continue
            if slot.sock is None:
                if counts["connects"] + counts["failed"] >= args.at_most:
                    slot.due = deadline
                    continue
                connect(slot, now)
            elif not slot.connected:
                drop(slot, "failed")
            else:
                send_byte(slot, now)
        most_open = max(most_open, sum(1 for slot in slots if slot.connected))
        next_due = min(slot.due for slot in slots)
        wait = max(0.0, min(next_due, deadline) - time.monotonic())
        for key, events in selector.select(timeout=min(wait, 0.1)):
            slot = key.data
            if slot.sock is None:
                continue
            if not slot.connected and events & selectors.EVENT_WRITE:
                error = slot.sock.getsockopt(socket.SOL_SOCKET, socket.SO_ERROR)
                if error:
                    drop(slot, "failed")
                    continue
                slot.connected = True
                selector.modify(slot.sock, selectors.EVENT_READ, slot)
                send_byte(slot, time.monotonic())
                if slot.sock is None:
                    continue
            if events & selectors.EVENT_READ:
                try:
                    got = slot.sock.recv(4096)
                except OSError:
                    got = b""
                if got:
                    slot.answer += got[:64]
                else:
                    drop(slot, "cut")

    for slot in slots:
        if slot.sock is not None:
            slot.sock.close()
    selector.close()
    print(f"slow_requests: {args.seconds:g} s, {args.connections} slots from "
          f"{sources[0]}..{sources[-1]}: {counts['connects']} connections, "
          f"at most {most_open} open at once, {counts['refused']} turned away with 503, "
          f"{counts['cut']} cut off, {counts['failed']} failed to connect, "
          f"{counts['bytes']} bytes sent")


if __name__ == "__main__":
    main()
