// SPDX-License-Identifier: GPL-3.0-or-later
// The page: files in, each program's TI-86 listing beside its TI-83 Plus
// result with what Kalvo says about it, .8xp and .zip downloads out. Every
// conversion is kalvo-convert's own job, run on the same arguments a command
// line would give it.
'use strict';

// The calculators the converter writes for, and what tells it which.
// The .8xp is the same for all of them; the model decides what screen
// positions and menus are checked against.
const TARGETS = [
  { id: 'ti83p', label: 'TI-83 Plus or TI-83 Plus SE', args: ['--target', 'ti83p'] },
  { id: 'ti84p', label: 'TI-84 Plus or TI-84 Plus SE', args: ['--target', 'ti84p'] },
  { id: 'ti84pce', label: 'TI-84 Plus CE (color screen)', args: ['--target', 'ti84pce'] },
];
const ENGINES = {
  translate: {
    args: [],
    hint: 'Rewrites each command, renames labels and variables the TI-83 Plus cannot take, and says what it changed.',
  },
  table: {
    args: ['--table'],
    hint: 'Runs the 81 find-and-replace rows of Kalvo\'s desktop window, then lists what is left to do by hand.',
  },
};

const $ = (selector, root = document) => root.querySelector(selector);
const state = { kalvo: null, files: [], target: TARGETS[0].id, engine: 'translate' };

function remembered(key, allowed, fallback) {
  try {
    const value = localStorage.getItem('kalvo.' + key);
    return allowed.includes(value) ? value : fallback;
  } catch (e) {
    return fallback; // storage turned off: choices last for this visit only
  }
}

function remember(key, value) {
  try {
    localStorage.setItem('kalvo.' + key, value);
  } catch (e) {
    // nothing to do: the choice still holds for this visit
  }
}

// "GAME.86p" -> "GAME": the name a text's .8xp program takes, as
// kalvo-convert takes it from OUTPUT.
function stem(name) {
  return name.replace(/\.(txt|text)$/i, '').replace(/\.(86|83p|ti86|ti83p|86p|8xp)$/i, '');
}

// The TI-83 Plus program name stored in a .8xp file (θ is byte 5B).
function ti83pNameOf(bytes) {
  let name = '';
  for (let i = 0x3c; i < 0x44 && i < bytes.length && bytes[i] !== 0; ++i)
    name += bytes[i] === 0x5b ? 'θ' : String.fromCharCode(bytes[i]);
  return name;
}

function linesOf(text) {
  const lines = text.split(/\r\n|\n|\r/);
  if (lines.length > 1 && lines[lines.length - 1] === '') lines.pop();
  return lines;
}

// What the page shows of a text's bytes: the calculator's glyphs.
function shown(bytes) {
  return linesOf(state.kalvo.display(bytes));
}

function plural(n, one, many) {
  return n + ' ' + (n === 1 ? one : many);
}

// --- conversion -----------------------------------------------------------

function engineArgs() {
  return ENGINES[state.engine].args;
}

function targetArgs() {
  return TARGETS.find((t) => t.id === state.target).args;
}

function findingsOf(messages) {
  return messages.filter((m) => m.kind === 'finding');
}

function failureOf(result) {
  if (result.status === 0) return '';
  const said = result.messages.filter((m) => m.kind === 'failure' || m.kind === 'usage' ||
    (m.kind === 'finding' && m.severity === 'error'));
  const words = said.map((m) => m.message).join('\n') || 'Kalvo could not convert this file.';
  // The converter gives back what it held only when the page is loaded again.
  return words === 'out of memory' ? 'This is more than the browser can convert (out of memory). ' +
    'Reload the page before converting anything else.' : words;
}

function sameFinding(a, b) {
  return a.where === b.where && a.line === b.line && a.column === b.column &&
    a.offset === b.offset && a.severity === b.severity && a.message === b.message;
}

function summaryOf(messages) {
  const summary = messages.find((m) => m.kind === 'summary');
  return summary ? summary.message.replace(/^kalvo-convert: /, '').trim() : '';
}

// The TI-83 Plus text of a .8xp file Kalvo made.
function ti83pListing(name, bytes) {
  const listed = state.kalvo.run(['-t', 'ti83p', '--', name], bytes);
  return listed.status === 0 ? shown(listed.files[0].bytes) : [];
}

function programFrom8xp(fileName, bytes, view) {
  view.ti83p = ti83pListing(fileName, bytes);
  const name = ti83pNameOf(bytes);
  view.download = { name: (name || stem(fileName)) + '.8xp', bytes };
  view.ti83pName = name;
  return view;
}

// One program of a TI-86 file, or the one program of a text, converted on
// its own with `args`.
function convertOne(file, args, view) {
  const result = state.kalvo.run(args, file.bytes);
  view.findings = findingsOf(result.messages);
  view.summary = summaryOf(result.messages);
  view.failure = failureOf(result);
  if (result.status === 0) programFrom8xp(file.name, result.files[0].bytes, view);
  return view;
}

function convertTi86File(file, described, model) {
  const entries = described.entries || [];
  const basic = entries.filter((e) => e.program && e.basic);
  for (const entry of entries) {
    if (!entry.program) model.others.push(entry.name + ': ' + entry.type + ', not a program; not carried over');
    else if (!entry.basic) model.others.push(entry.name + ': assembly program (machine code, not BASIC); Kalvo cannot convert it');
  }
  const views = [];
  for (const entry of basic) {
    const listed = state.kalvo.run(['-t', 'ti86', '--program', '@' + entry.program, '--', file.name], file.bytes);
    const view = { title: entry.name, where: entry.where, findings: [], ti86: [], ti83p: [] };
    if (listed.status === 0) view.ti86 = shown(listed.files[0].bytes);
    else view.failure = failureOf(listed);
    view.listed = listed.status === 0;
    views.push(view);
  }
  const listedViews = views.filter((v) => v.listed);
  if (state.engine === 'translate' && listedViews.length > 1) {
    // Programs of one file share their variables: translated together.
    const all = state.kalvo.run(['--all'].concat(targetArgs(), ['-o', 'out', '--', file.name]), file.bytes);
    for (const message of findingsOf(all.messages)) {
      const view = views.find((v) => v.where === message.where);
      (view ? view.findings : model.findings).push(message);
    }
    if (all.status !== 0) model.failure = failureOf(all);
    all.files.forEach((out, i) => {
      if (listedViews[i]) programFrom8xp(out.name, out.bytes, listedViews[i]);
    });
    model.zip = all.files;
  } else {
    for (const view of listedViews) {
      const entry = basic[views.indexOf(view)];
      const args = ['-t', '8xp', '--program', '@' + entry.program].concat(engineArgs(), targetArgs(),
        ['--', file.name]);
      convertOne(file, args, view);
      // A file's own faults are about the file; said once, above its programs.
      view.findings = view.findings.filter((m) => {
        if (m.where === view.where && (views.length === 1 || m.where !== file.name)) return true;
        if (!model.findings.some((f) => sameFinding(f, m))) model.findings.push(m);
        return false;
      });
    }
    const made = listedViews.filter((v) => v.download).map((v) => v.download);
    if (made.length > 1) model.zip = made;
  }
  if (!basic.length && !model.failure) {
    const read = state.kalvo.run(['--list', '--', file.name], file.bytes);
    model.findings.push(...findingsOf(read.messages));
    model.failure = failureOf(read) || 'This file holds no BASIC program.';
  }
  model.programs = views;
}

function convertText(file, model) {
  const view = { title: stem(file.name), ti86: [], ti83p: [], findings: [] };
  // The program takes the file's name, as OUTPUT's gives it to the command,
  // unless the user typed one.
  const out = stem(file.name) + '.8xp';
  const named = file.programName ? ['--name', file.programName] : [];
  if (file.textKind === 'ti83p') {
    view.ti83pText = true;
    view.ti86 = shown(file.bytes);
    convertOne(file, ['-f', 'ti83p'].concat(targetArgs(), named, ['-o', out, '--', file.name]), view);
  } else {
    view.ti86 = shown(file.bytes);
    convertOne(file, ['-f', 'ti86'].concat(engineArgs(), targetArgs(), named, ['-o', out, '--', file.name]), view);
  }
  model.programs = [view];
}

function convertFile(file) {
  const described = state.kalvo.describe(file.name, file.bytes);
  const model = { file, format: described.format, programs: [], others: [], findings: [], failure: '' };
  if (described.format === '86p') {
    convertTi86File(file, described, model);
  } else if (described.format === '8xp') {
    const view = { title: described.program || stem(file.name), ti86: null, findings: [] };
    const listed = state.kalvo.run(['-t', 'ti83p', '--', file.name], file.bytes);
    view.findings = findingsOf(listed.messages);
    view.failure = failureOf(listed);
    if (listed.status === 0) {
      view.ti83p = shown(listed.files[0].bytes);
      view.download = { name: file.name, bytes: file.bytes };
      view.ti83pName = described.program;
    }
    model.programs = [view];
  } else {
    convertText(file, model);
  }
  return model;
}

// --- showing --------------------------------------------------------------

function download(name, bytes, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}

function button(text, className, action, label) {
  const b = document.createElement('button');
  b.type = 'button';
  b.className = 'button ' + (className || '');
  b.textContent = text;
  if (label) b.setAttribute('aria-label', label);
  b.addEventListener('click', action);
  return b;
}

function fillCode(list, lines, label) {
  list.replaceChildren();
  list.setAttribute('aria-label', label + ', ' + plural(lines.length, 'line', 'lines'));
  const fragment = document.createDocumentFragment();
  for (const line of lines) {
    const item = document.createElement('li');
    item.textContent = line || '\u00a0';
    fragment.append(item);
  }
  list.append(fragment);
}

// Marks line `line` (and its column) on both sides of a program.
function highlight(article, line, column) {
  for (const list of article.querySelectorAll('.code')) {
    for (const old of list.querySelectorAll('.hl')) {
      old.classList.remove('hl');
      old.textContent = old.dataset.text !== undefined ? old.dataset.text : old.textContent;
    }
    const item = list.children[line - 1];
    if (!item) continue;
    item.classList.add('hl');
    if (column && list.closest('.pane').dataset.side === 'ti86') {
      const text = item.textContent;
      item.dataset.text = text;
      const chars = Array.from(text);
      if (column <= chars.length) {
        const mark = document.createElement('mark');
        mark.textContent = chars[column - 1];
        item.replaceChildren(chars.slice(0, column - 1).join(''), mark, chars.slice(column).join(''));
      }
    }
    const top = item.offsetTop - list.clientHeight / 3;
    list.scrollTop = Math.max(0, top);
  }
}

function findingItem(message, article) {
  const item = document.createElement('li');
  item.className = 'finding';
  item.dataset.severity = message.severity;
  item.dataset.where = message.where || '';
  item.dataset.line = message.line || 0;
  item.dataset.column = message.column || 0;
  const place = message.line ? 'line ' + message.line + ', column ' + message.column
    : message.offset !== undefined ? 'byte 0x' + message.offset.toString(16).toUpperCase().padStart(2, '0')
      : '';
  const body = document.createElement(message.line && article ? 'button' : 'div');
  body.className = 'finding-body';
  if (body.tagName === 'BUTTON') {
    body.type = 'button';
    body.addEventListener('click', () => {
      for (const other of article.querySelectorAll('.finding-body[aria-current]')) other.removeAttribute('aria-current');
      body.setAttribute('aria-current', 'true');
      highlight(article, message.line, message.column);
    });
  }
  const severity = document.createElement('span');
  severity.className = 'sev ' + message.severity;
  severity.textContent = message.severity;
  const where = document.createElement('span');
  where.className = 'place';
  where.textContent = place;
  const words = document.createElement('span');
  words.className = 'words';
  words.textContent = message.message;
  body.append(severity, ' ', where, place ? ' ' : '', words);
  item.append(body);
  return item;
}

function countWords(findings) {
  const count = (s) => findings.filter((m) => m.severity === s).length;
  const parts = [];
  if (count('error')) parts.push(plural(count('error'), 'error', 'errors'));
  if (count('warning')) parts.push(plural(count('warning'), 'warning', 'warnings'));
  if (count('note')) parts.push(plural(count('note'), 'note', 'notes'));
  return parts.length ? parts.join(', ') : 'Nothing to fix by hand';
}

function showProgram(view, fileName) {
  const article = $('#program-template').content.firstElementChild.cloneNode(true);
  const title = $('.program-title', article);
  title.textContent = view.ti83pName ? view.title + ' → prgm' + view.ti83pName : view.title;
  const actions = $('.actions', article);
  if (view.download)
    actions.append(button('Download ' + view.download.name, 'primary',
      () => download(view.download.name, view.download.bytes, 'application/octet-stream'),
      'Download ' + view.download.name + ' for the calculator'));
  if (view.failure) {
    const failure = $('.failure', article);
    failure.hidden = false;
    failure.textContent = view.failure;
  }
  const [ti86Pane, ti83pPane] = article.querySelectorAll('.pane');
  if (view.ti86) {
    if (view.ti83pText) $('h4', ti86Pane).textContent = 'TI-83 Plus text';
    fillCode($('.code', ti86Pane), view.ti86, 'TI-86 listing of ' + view.title);
  } else {
    $('h4', ti86Pane).textContent = 'TI-86';
    const note = document.createElement('p');
    note.className = 'empty';
    note.textContent = 'This is a TI-83 Plus program already: nothing to convert.';
    $('.code', ti86Pane).replaceWith(note);
  }
  fillCode($('.code', ti83pPane), view.ti83p || [], 'TI-83 Plus result of ' + view.title);
  const list = $('.finding-list', article);
  for (const message of view.findings) list.append(findingItem(message, article));
  $('.findings-title', article).textContent = countWords(view.findings);
  if (view.findings.some((m) => m.severity === 'note') && view.findings.some((m) => m.severity !== 'note')) {
    // The notes say what was done; a long list of them can hide the warnings.
    const toggle = document.createElement('label');
    toggle.className = 'toggle';
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.addEventListener('change', () => list.classList.toggle('warnings-only', box.checked));
    toggle.append(box, ' Warnings only');
    $('.findings-title', article).after(toggle);
  }
  if (view.summary) {
    const summary = $('.summary', article);
    summary.hidden = false;
    summary.textContent = 'Left to do by hand: ' + view.summary + '.';
  }
  article.dataset.program = view.title;
  article.setAttribute('aria-label', view.title + ' from ' + fileName);
  return article;
}

function showFile(model, index) {
  const section = document.createElement('section');
  section.className = 'file';
  section.dataset.file = model.file.name;
  const head = document.createElement('header');
  head.className = 'file-head';
  const title = document.createElement('h2');
  title.textContent = model.file.name;
  const what = document.createElement('p');
  what.className = 'what';
  const programs = model.programs.length;
  what.textContent = model.format === '86p' ? 'TI-86 file, ' + plural(programs, 'BASIC program', 'BASIC programs')
    : model.format === '8xp' ? 'TI-83 Plus program file' : 'Program text';
  head.append(title, what);
  const actions = document.createElement('div');
  actions.className = 'actions';
  if (model.format === 'ti86') {
    const label = document.createElement('label');
    label.textContent = 'This text is for the ';
    const select = document.createElement('select');
    select.className = 'text-kind';
    select.innerHTML = '<option value="ti86">TI-86: convert it</option>' +
      '<option value="ti83p">TI-83 Plus: already converted</option>';
    select.value = model.file.textKind;
    select.addEventListener('change', () => {
      model.file.textKind = select.value;
      render();
    });
    label.append(select);
    const nameLabel = document.createElement('label');
    nameLabel.textContent = 'Name on the calculator ';
    const name = document.createElement('input');
    name.className = 'program-name';
    name.maxLength = 8;
    name.size = 9;
    name.spellcheck = false;
    name.autocapitalize = 'characters';
    name.placeholder = stem(model.file.name).toUpperCase().replace(/[^A-Z0-9]/g, '').slice(0, 8);
    name.value = model.file.programName || '';
    name.addEventListener('change', () => {
      model.file.programName = name.value.trim().toUpperCase();
      render();
    });
    nameLabel.append(name);
    actions.append(label, nameLabel);
  }
  if (model.zip && model.zip.length > 1) {
    const zipName = stem(model.file.name).replace(/\.86g$/i, '') + '.zip';
    actions.append(button('Download all as ' + zipName, 'primary zip',
      () => download(zipName, KalvoZip.makeZip(model.zip.map((f) => ({ name: f.name, bytes: f.bytes }))), 'application/zip'),
      'Download all ' + model.zip.length + ' programs as ' + zipName));
  }
  actions.append(button('Remove', 'quiet', () => {
    state.files.splice(index, 1);
    render();
  }, 'Remove ' + model.file.name));
  head.append(actions);
  section.append(head);

  if (model.failure) {
    const failure = document.createElement('div');
    failure.className = 'failure';
    failure.setAttribute('role', 'alert');
    failure.textContent = model.failure;
    section.append(failure);
  }
  if (model.findings.length || model.others.length) {
    const list = document.createElement('ul');
    list.className = 'finding-list file-findings';
    for (const message of model.findings) list.append(findingItem(message, null));
    for (const other of model.others) {
      const item = document.createElement('li');
      item.className = 'other';
      item.textContent = other;
      list.append(item);
    }
    section.append(list);
  }
  for (const view of model.programs) section.append(showProgram(view, model.file.name));
  return section;
}

function render() {
  const results = $('#results');
  results.replaceChildren();
  let programs = 0;
  state.files.forEach((file, index) => {
    let model;
    try {
      model = convertFile(file);
    } catch (error) {
      model = { file, format: '', programs: [], others: [], findings: [], failure: 'Kalvo stopped on this file: ' + error.message };
    }
    programs += model.programs.length;
    results.append(showFile(model, index));
  });
  $('#status').textContent = state.files.length
    ? plural(programs, 'program', 'programs') + ' from ' + plural(state.files.length, 'file', 'files') + '.'
    : 'Ready. Nothing is uploaded: the converter runs on this computer.';
}

async function addFiles(list) {
  const added = await Promise.all(Array.from(list).map(async (f) => ({
    name: f.name,
    bytes: new Uint8Array(await f.arrayBuffer()),
    textKind: /83|8xp/i.test(f.name) ? 'ti83p' : 'ti86',
  })));
  state.files.push(...added);
  render();
  if (added.length) $('#results').focus({ preventScroll: true });
}

// --- start ----------------------------------------------------------------

function setUpChoices() {
  const target = $('#target');
  for (const t of TARGETS) target.append(new Option(t.label, t.id));
  state.target = remembered('target', TARGETS.map((t) => t.id), TARGETS[0].id);
  state.engine = remembered('engine', Object.keys(ENGINES), 'translate');
  target.value = state.target;
  const engine = $('#engine');
  engine.value = state.engine;
  $('#engine-hint').textContent = ENGINES[state.engine].hint;
  target.addEventListener('change', () => {
    state.target = target.value;
    remember('target', state.target);
    render();
  });
  engine.addEventListener('change', () => {
    state.engine = engine.value;
    remember('engine', state.engine);
    $('#engine-hint').textContent = ENGINES[state.engine].hint;
    render();
  });
}

function setUpDrop() {
  const zone = $('#drop');
  const input = $('#files');
  input.addEventListener('change', () => {
    addFiles(input.files);
    input.value = '';
  });
  // The whole window takes a drop, so that a file missed by an inch is not
  // opened by the browser instead.
  window.addEventListener('dragover', (event) => {
    event.preventDefault();
    zone.classList.add('over');
  });
  window.addEventListener('dragleave', (event) => {
    if (!event.relatedTarget) zone.classList.remove('over');
  });
  window.addEventListener('drop', (event) => {
    event.preventDefault();
    zone.classList.remove('over');
    if (event.dataTransfer && event.dataTransfer.files.length) addFiles(event.dataTransfer.files);
  });
}

setUpChoices();
setUpDrop();
loadKalvo(createKalvoModule).then((kalvo) => {
  state.kalvo = kalvo;
  document.body.dataset.ready = 'true';
  render();
}, (error) => {
  $('#status').textContent = 'The converter could not start in this browser: ' + error.message +
    (location.protocol === 'file:' ? ' (a page opened as a file cannot load it: serve the folder, for example with make web-serve)' : '');
});
