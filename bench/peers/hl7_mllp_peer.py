#!/usr/bin/python3
"""A peer receiver built on Debian's python3-hl7 asyncio MLLP server, for the
bench to compare with: each message is stored framed, plus CR LF, as one line
of the data file, and answered with the default acknowledgement."""

import argparse
import asyncio
import os
import time

from hl7.mllp import start_hl7_server

ACK_HEAD = b"\x0bMSH|^~\\&|||||"
ACK_TAIL = b"||ACK|||||||||\rMSA|AA||||||\x1c\r"
# Large enough for the bench's 1 MB messages.
BLOCK_LIMIT = 64 * 1024 * 1024


def acknowledgement():
    return ACK_HEAD + time.strftime("%Y%m%d%H%M").encode() + ACK_TAIL


def write_all(fd, data):
    view = memoryview(data)
    while view:
        view = view[os.write(fd, view):]


async def serve(host, port, data_path):
    data = os.open(data_path, os.O_WRONLY | os.O_CREAT | os.O_APPEND | os.O_CLOEXEC, 0o666)

    async def connection(reader, writer):
        try:
            while True:
                block = await reader.readblock()
                write_all(data, b"\x0b" + block + b"\x1c\r\r\n")
                writer.write(acknowledgement())
                await writer.drain()
        except (asyncio.IncompleteReadError, ConnectionError):
            pass
        finally:
            writer.close()

    server = await start_hl7_server(connection, host, port, limit=BLOCK_LIMIT)
    async with server:
        await server.serve_forever()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--data-file", default="logfile.txt")
    args = parser.parse_args()
    asyncio.run(serve(args.host, args.port, args.data_file))


if __name__ == "__main__":
    main()
