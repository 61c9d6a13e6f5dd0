#!/usr/bin/python3
# Sends the messages of a scenario to an MLLP listener with Debian's
# python3-hl7 (its asyncio client) and prints, in send order, one line per
# message: "<MSH-10 sent> <MSA-2 of the answer read for it> <its MSH-9>", "-"
# for what did not come in time. Answers are read in order, as the library
# hands them over.
# Usage: /usr/bin/python3 clients.py [python3-hl7] SCENARIO PORT [HOST]
#   SCENARIO: three (each after the answer to the one before), large (one of
#   about 200 KB) or ten (all written at once, then ten answers read)
# CLIENT_ANSWER_MS, CLIENT_DEADLINE_MS and CLIENT_SENT_FILE as for
# ../node/clients.js. Exits 0 at the end of a run, 1 when it could not connect.
import asyncio
import json
import os
import sys
from pathlib import Path

import hl7
from hl7.mllp import open_hl7_connection

ANSWER_WAIT = int(os.environ.get("CLIENT_ANSWER_MS", 2000)) / 1000
DEADLINE = int(os.environ.get("CLIENT_DEADLINE_MS", 10000)) / 1000


def scenario_messages(scenario):
    table = json.loads((Path(__file__).parent.parent / "messages.json").read_text("utf-8"))
    if scenario == "large":
        large = table["large"]
        rows = "".join(large["row"].replace("{n}", str(n + 1)) for n in range(large["rows"]))
        return [large["head"].replace("{id}", "large-1") + rows]
    count = {"three": 3, "ten": 10}[scenario]
    templates = table["messages"]
    return [templates[i % len(templates)].replace("{id}", f"{scenario}-{i + 1}") for i in range(count)]


def field(text, segment, number):
    """MSH-10 of a message, MSA-2 and MSH-9 of an answer."""
    for line in (text or "").replace("\n", "\r").split("\r"):
        if line.startswith(segment + "|"):
            fields = line.split("|")
            index = number - 1 if segment == "MSH" else number
            return (fields[index:index + 1] or ["-"])[0] or "-"
    return "-"


async def run(scenario, host, port, answers, sent):
    messages = scenario_messages(scenario)
    reader, writer = await open_hl7_connection(host, port, encoding="latin-1")
    write = writer.write
    writer.write = lambda data: (sent.append(data), write(data))

    async def answer(i):
        try:
            answers[i] = str(await asyncio.wait_for(reader.readmessage(), ANSWER_WAIT))
        except (asyncio.TimeoutError, ValueError) as error:
            print(repr(error), file=sys.stderr)

    try:
        for i, text in enumerate(messages):
            answers.append(None)
            writer.writemessage(hl7.parse(text))
            if scenario != "ten":
                await answer(i)
        if scenario == "ten":
            for i in range(len(messages)):
                await answer(i)
    finally:
        writer.close()


def main():
    args = sys.argv[1:]
    if args[:1] == ["python3-hl7"]:
        args = args[1:]
    scenario, port, host = args[0], int(args[1]), (args[2:] or ["127.0.0.1"])[0]
    messages = scenario_messages(scenario)
    answers, sent = [], []
    code = 0
    try:
        asyncio.run(asyncio.wait_for(run(scenario, host, port, answers, sent), DEADLINE))
    except asyncio.TimeoutError:
        pass
    except OSError as error:
        print(error, file=sys.stderr)
        code = 1
    for i, text in enumerate(answers):
        print(field(messages[i], "MSH", 10), field(text, "MSA", 2), field(text, "MSH", 9))
    if os.environ.get("CLIENT_SENT_FILE"):
        Path(os.environ["CLIENT_SENT_FILE"]).write_bytes(b"".join(sent))
    sys.exit(code)


if __name__ == "__main__":
    main()
