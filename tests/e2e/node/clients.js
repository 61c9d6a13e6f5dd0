// Sends the messages of a scenario to an MLLP listener with one HL7 client
// library from npm and prints, in send order, one line per message:
// "<MSH-10 sent> <MSA-2 of the answer the library matched to it> <its MSH-9>",
// "-" for what did not come before the deadline.
// Usage: node clients.js CLIENT SCENARIO PORT [HOST]
//   CLIENT: @medplum/hl7, hl7v2-net, simple-hl7 or node-hl7-client
//   SCENARIO: three (each after the answer to the one before), large (one of
//   about 200 KB) or ten (all at once, in one write, answers matched after)
// CLIENT_ANSWER_MS (2000) is how long a message waits for its answer,
// CLIENT_DEADLINE_MS (10000) ends the run; CLIENT_SENT_FILE, when set, gets
// every byte the library wrote to its sockets, in order.
// Exits 0 at the end of a run, 1 when no connection came up.
'use strict';
const fs = require('node:fs');
const net = require('node:net');
const path = require('node:path');

const [clientName, scenario, portText, host = '127.0.0.1'] = process.argv.slice(2);
const port = Number(portText);
const answerWait = Number(process.env.CLIENT_ANSWER_MS || 2000);
const deadline = Number(process.env.CLIENT_DEADLINE_MS || 10000);
const note = (why) => console.error(String(why?.message ?? why));

// The bytes that went out, whatever layer of the library wrote them. For ten,
// what the library writes in one go leaves in one write.
const sent = [];
const sockets = new Set();
const write = net.Socket.prototype.write;
net.Socket.prototype.write = function (data, encoding, ...rest) {
  if (this === process.stdout || this === process.stderr || !this.writable)
    return write.call(this, data, encoding, ...rest);
  sent.push(Buffer.from(data, typeof encoding === 'string' ? encoding : 'utf8'));
  sockets.add(this);
  if (scenario === 'ten' && !this.writableCorked) {
    this.cork();
    setImmediate(() => this.uncork());
  }
  return write.call(this, data, encoding, ...rest);
};

// For libraries that hand every answer to one handler: the oldest waiting
// message gets it.
function inOrder() {
  const waiting = [];
  return { next: () => new Promise((resolve) => waiting.push(resolve)), take: (text) => waiting.shift()?.(text) };
}

// Each connects once; send(text) resolves with the text of the answer the
// library matched to that message.
const clients = {
  async '@medplum/hl7'() {
    const { Hl7Client } = await import('@medplum/hl7');
    const { Hl7Message } = await import('@medplum/core');
    const client = new Hl7Client({ host, port, encoding: 'latin1', connectTimeout: deadline });
    client.addEventListener('error', (event) => note(event.error));
    await client.connect();
    return {
      send: (text) => client.sendAndWait(Hl7Message.parse(text), { timeoutMs: answerWait }).then(String),
      close: () => client.close(),
    };
  },
  async 'hl7v2-net'() {
    const { Hl7Client } = await import('hl7v2-net');
    const { HL7Message } = await import('hl7v2');
    const client = Hl7Client.createClient({ host, port, connectTimeout: deadline, responseTimeout: answerWait });
    client.on('error', note);
    await client.connect();
    return {
      send: (text) => client.sendMessageWaitAck(HL7Message.parse(text)).then((answer) => answer.toHL7String()),
      close: () => client.close(),
    };
  },
  async 'simple-hl7'() {
    const { Server, Parser } = require('simple-hl7');
    const answers = inOrder();
    const callback = (error, answer) => (error ? note(error) : answers.take(answer.toString()));
    const client = Server.createTcpClient({ host, port, keepalive: true, callback });
    await new Promise((resolve, reject) => client.connect((error) => (error ? reject(error) : resolve())));
    return {
      send: (text) => {
        const answer = answers.next();
        client.send(new Parser().parse(text));
        return answer;
      },
      close: () => client.close(),
    };
  },
  async 'node-hl7-client'() {
    const { Client, Message } = require('node-hl7-client');
    const answers = inOrder();
    // With waitAck the library holds back what is sent before the answer
    // comes, so each next message is sent from the answer handler.
    const connection = new Client({ host, ipv4: true, ipv6: true, version: '2.5' }).createConnection(
      { port, waitAck: scenario !== 'ten', encoding: 'latin1' },
      async (response) => answers.take(response.getMessage().toString()));
    connection.on('client.error', note);
    // Sending before the connection is up makes the library open a second one.
    await new Promise((resolve) => connection.once('connect', resolve));
    return {
      send: (text) => {
        const answer = answers.next();
        connection.sendMessage(new Message({ text })).catch(note);
        return answer;
      },
      close: () => connection.close(),
    };
  },
};

function scenarioMessages() {
  const { messages, large } = JSON.parse(fs.readFileSync(path.join(__dirname, '..', 'messages.json'), 'utf8'));
  if (scenario === 'large') {
    const rows = Array.from({ length: large.rows }, (_, n) => large.row.replaceAll('{n}', n + 1));
    return [large.head.replace('{id}', 'large-1') + rows.join('')];
  }
  const count = { three: 3, ten: 10 }[scenario];
  return Array.from({ length: count }, (_, i) => messages[i % messages.length].replace('{id}', `${scenario}-${i + 1}`));
}

// MSH-10 of a message, MSA-2 and MSH-9 of an answer.
function field(text, segment, number) {
  const line = text?.split(/\r\n?|\n/).find((s) => s.startsWith(segment + '|'));
  return line?.split('|')[segment === 'MSH' ? number - 1 : number] || '-';
}

const messages = scenarioMessages();
const answers = [];  // one for each message handed to the library
let client;

process.on('exit', () => {
  if (process.env.CLIENT_SENT_FILE)
    fs.writeFileSync(process.env.CLIENT_SENT_FILE, Buffer.concat(sent));
});

async function finish(code) {
  if (finish.called)
    return;
  finish.called = true;
  answers.forEach((answer, i) =>
    console.log(field(messages[i], 'MSH', 10), field(answer, 'MSA', 2), field(answer, 'MSH', 9)));
  if (sockets.size > 1)
    console.error(`${sockets.size} connections`);
  // What the library still writes in reply to the last answer goes out first.
  await new Promise((resolve) => setTimeout(resolve, 20));
  // Leaving closes the socket, also on a library still answering answers.
  await Promise.race([client?.close(), new Promise((resolve) => setTimeout(resolve, 500))]).catch(note);
  process.exit(code);
}

async function main() {
  if (!clients[clientName] || !messages[0])
    throw new Error(`unknown client or scenario: ${clientName} ${scenario}`);
  setTimeout(() => finish(client ? 0 : 1), deadline);
  client = await clients[clientName]();
  const answered = (i) => {
    answers[i] = null;
    const late = new Promise((resolve) => setTimeout(resolve, answerWait, null));
    return Promise.race([client.send(messages[i]), late]).then((text) => (answers[i] = text), note);
  };
  if (scenario === 'ten')
    await Promise.all(messages.map((_, i) => answered(i)));
  else
    for (let i = 0; i < messages.length; ++i)
      await answered(i);
  finish(0);
}

main().catch((error) => {
  note(error);
  process.exit(1);
});
