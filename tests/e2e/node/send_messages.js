// Sends realistic HL7 messages to 127.0.0.1:PORT with node-hl7-client, each
// after the answer to the one before, and prints a line for each: the bytes
// handed to the library and the answer as it parsed it, both in hex (Latin-1).
// Usage: node send_messages.js PORT
'use strict';
const { Client, Message } = require('node-hl7-client');

setTimeout(() => process.exit(2), 20000).unref();
const findings = 'Line of the report: findings within normal limits.~'.repeat(120);
const messages = [
  'MSH|^~\\&|ADT1|WEST|LAB|EAST|200503050907||ADT^A01^ADT_A01|MSG00001|P|2.5|||AL|NE|DEU|8859/1\r' +
    'EVN|A01|200503050907\r' +
    'PID|1||4711^^^WEST^MR||M\u00fcller^J\u00fcrgen^^^Dr.||19610304|M|||Stra\u00dfe 5^^K\u00f6ln^^50667^DEU\r' +
    'PV1|1|I|STATION^101^1^WEST||||0815^Wei\u00df^Anna',
  'MSH|^~\\&|LAB|EAST|ADT1|WEST|200503050912||ORU^R01^ORU_R01|MSG00002|P|2.5\r' +
    'OBR|1|845439^LAB|1045813^LAB|24317-0^Hemogram^LN|||200503050830\r' +
    'OBX|1|NM|718-7^Hemoglobin^LN||14.2|g/dL|13.5-17.5|N|||F\r' +
    'OBX|2|FT|11526-1^Pathology study^LN||' + findings + '||||||F',
  'MSH|^~\\&|ADT1|WEST|LAB|EAST|200503050915||ADT^A08^ADT_A01|MSG00003|P|2.5\r' +
    'PID|1||4712^^^WEST^MR||Fran\u00e7ois^Ren\u00e9e||19750512|F',
];

const hex = (text) => Buffer.from(text, 'latin1').toString('hex');
let answered;
const connection = new Client({ host: '127.0.0.1' }).createConnection(
  { port: Number(process.argv[2]), waitAck: true, encoding: 'latin1' },
  async (response) => answered(response.getMessage().toString()));
connection.on('client.error', (why) => {
  console.error(String(why));
  process.exit(1);
});
// Sending before the connection is up makes the library open a second one.
connection.once('connect', async () => {
  for (const text of messages) {
    const message = new Message({ text });
    const answer = new Promise((resolve) => (answered = resolve));
    await connection.sendMessage(message);
    console.log(hex(message.toString()), hex(await answer));
  }
  await connection.close();
  process.exit(0);
});
