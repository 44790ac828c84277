// SPDX-License-Identifier: GPL-3.0-or-later
// The WebAssembly module against the native kalvo-convert on many generated
// programs: TI-86 files and TI-86 and TI-83 Plus text, through every route
// the page uses. Exit status, every line on standard error and every output
// byte must be the same.
//   node module-vs-native.js SITE_DIR KALVO_CONVERT GOLDEN_DIR [COUNT]
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawnSync } = require('child_process');

const [siteDir, nativeArg, goldenDir, countArg] = process.argv.slice(2);
const nativeBinary = path.resolve(nativeArg);
const count = Number(countArg || 120);
const { loadKalvo } = require(path.resolve(siteDir, 'kalvo-api.js'));
const createKalvoModule = require(path.resolve(siteDir, 'kalvo.js'));

// A small seeded generator, so that a failure can be run again.
function random(seed) {
  let s = seed >>> 0 || 1;
  return (n) => {
    s ^= s << 13; s >>>= 0;
    s ^= s >>> 17;
    s ^= s << 5; s >>>= 0;
    return s % n;
  };
}

const latin1 = (text) => Buffer.from(text, 'latin1');

// TI-86 tokens of the kind programs hold, as bytes; the last ends a line.
const tokenPieces = [
  '\xE9', '\xEC', '\xEB\x10', '\x43', '\xEA', '\xD8', '\x2DScore: \0', '\x4412.5\0', '\x443\0',
  '\x33A', '\x34XY', '\x37SCORE', '\x32\x01x', '\xE0LOOP\0', '\xE1\0\0LOOP\0', '\x0B', '\x60',
  '\x70', '\x50', '\x2F', '\x10', '\x11', '\xDD', '\xDE', '\xAA', '\x8E\x00', '\x3D\x04', '\x6E',
];

function tokenProgram(next, size) {
  let out = '';
  let sinceLineEnd = 0;
  while (out.length < size) {
    if (++sinceLineEnd > 6) {
      out += '\x6F';
      sinceLineEnd = 0;
      continue;
    }
    out += tokenPieces[next(tokenPieces.length)];
  }
  return out.slice(0, size - 1) + '\x6F';
}

const le16 = (n) => String.fromCharCode(n & 0xff, (n >> 8) & 0xff);

// An .86p (or, with several programs, .86g) file holding `programs`.
function ti86File(programs) {
  let entries = '';
  for (const [name, body] of programs) {
    const data = le16(body.length) + body;
    entries += le16(12) + le16(data.length) + '\x12' + String.fromCharCode(name.length) +
      name.padEnd(8, ' ') + le16(data.length) + data;
  }
  let sum = 0;
  for (let i = 0; i < entries.length; ++i) sum += entries.charCodeAt(i);
  return latin1('**TI86**\x1A\x0A\x00' + '\0'.repeat(42) + le16(entries.length) + entries +
    le16(sum & 0xffff));
}

// TI-86 program text as copied out of the link software: ü is →, ð √, ò ²,
// Á θ; with words the TI-83 Plus lacks and now and then a byte it has no
// character for.
const textPieces = [
  ':ClLCD', ':Disp "HI"', ':Outpt(1,1,"SCORE")', ':A+1üA', ':If A==1', ':Lbl START',
  ':Goto START', ':getKyüK', ':sin X', ':ð X', ':xòüY', ':Menu(1,"PLAY",PL,2,"QUIT",QU)',
  ':DelVar(A)', ':MONEY+1üMONEY', ':DispG', ':nDer(xò,x,2)', ':ÁüB', ':Text(10,100,"X")',
  ':For(I,1,10)', ':End', ':y1=xò', ':SUB', ':\x01', ':cosh 2', ':Input "N",N', ':PxOn(70,120)',
];

function textProgram(next, lines) {
  let out = '';
  for (let i = 0; i < lines; ++i) out += textPieces[next(textPieces.length)] + '\r\n';
  return latin1(out);
}

// A finding record written as the command writes its line.
function asLine(m) {
  const place = m.line ? `:${m.line}:${m.column}` : '';
  const offset = !m.line && m.offset !== undefined
    ? `offset 0x${m.offset.toString(16).toUpperCase().padStart(2, '0')}: ` : '';
  return `${m.where}${place}: ${m.severity}: ${offset}${m.message}\n`;
}

function nativeRun(dir, args) {
  const result = spawnSync(nativeBinary, args, { cwd: dir, maxBuffer: 1 << 26 });
  return { status: result.status, stdout: result.stdout, stderr: result.stderr };
}

function freshFolder(parent, name) {
  const dir = path.join(parent, name);
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir);
  return dir;
}

(async () => {
  const kalvo = await loadKalvo(createKalvoModule, {
    wasmBinary: fs.readFileSync(path.join(siteDir, 'kalvo.wasm')),
  });
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'kalvo-web-'));
  const failures = [];
  let compared = 0;

  // Runs one case both ways; `outputs` names what the command writes.
  function compare(name, bytes, args, outputFile) {
    const dir = freshFolder(work, 'case');
    fs.writeFileSync(path.join(dir, name), bytes);
    const native = nativeRun(dir, args);
    const web = kalvo.run(args, bytes);
    const said = web.printed();
    const problems = [];
    if (web.status !== native.status) problems.push(`status ${web.status}, native ${native.status}`);
    if (said !== native.stderr.toString('utf8')) problems.push(`stderr:\n${said}---native:\n${native.stderr}`);
    // Each record's fields say what its line says.
    const records = web.messages.filter((m) => m.kind === 'finding').map(asLine).join('');
    const lines = web.messages.filter((m) => m.kind === 'finding').length;
    const printedFindings = said.split('\n').slice(0, lines).map((l) => l + '\n').join('');
    if (records !== printedFindings) problems.push(`records:\n${records}---printed:\n${printedFindings}`);
    if (native.status === 0) {
      if (args.includes('--all')) {
        const folder = path.join(dir, outputFile);
        const written = fs.readdirSync(folder).sort();
        const made = web.files.map((f) => f.name).sort();
        if (written.join() !== made.join()) problems.push(`files ${made}, native ${written}`);
        for (const file of web.files) {
          const there = path.join(folder, file.name);
          if (fs.existsSync(there) && !fs.readFileSync(there).equals(Buffer.from(file.bytes)))
            problems.push(`bytes of ${file.name} differ`);
        }
      } else {
        const expected = outputFile ? fs.readFileSync(path.join(dir, outputFile)) : native.stdout;
        if (web.files.length !== 1 || !expected.equals(Buffer.from(web.files[0].bytes)))
          problems.push('output bytes differ');
      }
    }
    ++compared;
    if (problems.length) failures.push(`${name} ${args.join(' ')}: ${problems.join('; ')}`);
  }

  for (let seed = 1; seed <= count; ++seed) {
    const next = random(seed * 7919);
    const single = ti86File([['GAME', tokenProgram(next, 64 + next(2048))]]);
    compare('GAME.86p', single, ['GAME.86p', '-o', 'GAME.8xp'], 'GAME.8xp');
    compare('GAME.86p', single, ['--table', 'GAME.86p', '-o', 'GAME.8xp'], 'GAME.8xp');
    compare('GAME.86p', single, ['-t', 'ti86', 'GAME.86p']);
    const group = ti86File([['MAIN', tokenProgram(next, 300)], ['SUB', tokenProgram(next, 200)],
        ['\xC1AB', tokenProgram(next, 100)]]);
    compare('GROUP.86g', group, ['--all', '-o', 'out', '--', 'GROUP.86g'], 'out');
    compare('GROUP.86g', group, ['--all', '--target', 'ti84pce', '-o', 'out', '--', 'GROUP.86g'], 'out');
    compare('GROUP.86g', group, ['-t', '8xp', '--program', '@2', '--table', '--', 'GROUP.86g']);
    const text = textProgram(next, 1 + next(40));
    compare('PROG.86.txt', text, ['-f', 'ti86', '-o', 'PROG.8xp', '--', 'PROG.86.txt'], 'PROG.8xp');
    compare('PROG.86.txt', text, ['-f', 'ti86', '--table', '-o', 'PROG.8xp', '--', 'PROG.86.txt'], 'PROG.8xp');
    compare('PROG.86.txt', text, ['PROG.86.txt']);
    compare('PROG.86.txt', text, ['-f', 'ti86', '--target', seed % 2 ? 'ti84pce' : 'ti84p', '-o',
      'PROG.8xp', '--', 'PROG.86.txt'], 'PROG.8xp');
    compare('PROG.83p.txt', text, ['-f', 'ti83p', '-o', 'PROG.8xp', '--', 'PROG.83p.txt'], 'PROG.8xp');
  }
  // The hand-built files too, damaged ones among them, with both engines.
  for (const name of fs.readdirSync(path.join(goldenDir, 'calcfiles')).filter((n) => /\.(86p|86g|8xp)$/.test(n))) {
    const bytes = fs.readFileSync(path.join(goldenDir, 'calcfiles', name));
    compare(name, bytes, ['--', name]);
    compare(name, bytes, ['--table', '-t', '8xp', '--', name]);
    if (name.endsWith('.86g')) compare(name, bytes, ['--all', '-o', 'out', '--', name], 'out');
  }
  // A command line the job refuses, and one the parser refuses.
  compare('PROG.txt', latin1(':Disp 1\r\n'), ['PROG.txt', '-o', 'P.8xp']);
  compare('PROG.txt', latin1(':Disp 1\r\n'), ['--name', '1BAD', '-f', 'ti86', 'PROG.txt', '-o', 'P.8xp']);

  // An input larger than the module's memory can hold: the failure comes
  // back as the command's message, and the module goes on working.
  const M = kalvo.module;
  const args = new TextEncoder().encode('-f\0ti86\0big.txt');
  const at = M._malloc(args.length);
  M.HEAPU8.set(args, at);
  const status = M._kalvo_run(at, args.length, at, 0x7fff0000);
  M._free(at);
  const said = JSON.parse(M.UTF8ToString(M._kalvo_messages()));
  const printed = M.UTF8ToString(M._kalvo_printed());
  if (status !== 1 || said.length !== 1 || said[0].message !== 'out of memory' ||
      printed !== 'kalvo-convert: out of memory\n')
    failures.push(`too large an input: status ${status}, ${JSON.stringify(said)}, ${printed}`);
  compare('PROG.txt', latin1(':ClLCD\r\n'), ['PROG.txt']);

  fs.rmSync(work, { recursive: true, force: true });
  console.log(`${compared} runs compared, ${failures.length} differ`);
  for (const failure of failures.slice(0, 10)) console.log(failure);
  process.exit(failures.length ? 1 : 0);
})().catch((error) => {
  console.error(error);
  process.exit(1);
});
