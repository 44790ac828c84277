// SPDX-License-Identifier: GPL-3.0-or-later
// The module's functions as JavaScript: kalvo-convert's job on bytes, what
// a file holds, and program text with the calculator's glyphs. The same file
// serves the page and the tests under node.
(function (root) {
  'use strict';

  function wrap(Module) {
    const encoder = new TextEncoder();

    // Copies `bytes` into the module's memory for the length of `use`.
    function withBytes(bytes, use) {
      const at = Module._malloc(Math.max(bytes.length, 1));
      Module.HEAPU8.set(bytes, at);
      try {
        return use(at, bytes.length);
      } finally {
        Module._free(at);
      }
    }

    function copyOut(at, length) {
      return Module.HEAPU8.slice(at, at + length);
    }

    return {
      module: Module,

      // kalvo-convert with `args` (the input's name among them, as on a
      // command line) on `bytes`: {status, messages, files, printed()}. Each
      // message is {kind, severity, where, line, column, offset?, message};
      // each file {name, bytes}, the name empty for a single output;
      // printed() gives what the command prints on standard error.
      run(args, bytes) {
        const joined = encoder.encode(args.join('\0'));
        const status = withBytes(joined, (argsAt, argsLength) =>
          withBytes(bytes, (inputAt, inputLength) =>
            Module._kalvo_run(argsAt, argsLength, inputAt, inputLength)));
        const messages = JSON.parse(Module.UTF8ToString(Module._kalvo_messages()));
        const files = [];
        for (let i = 0, n = Module._kalvo_file_count(); i < n; ++i) {
          files.push({
            name: Module.UTF8ToString(Module._kalvo_file_name(i)),
            bytes: copyOut(Module._kalvo_file_data(i), Module._kalvo_file_size(i)),
          });
        }
        const printed = () => Module.UTF8ToString(Module._kalvo_printed());
        return { status, messages, files, printed };
      },

      // {format: 'ti86' | '86p' | '8xp', entries?: [{name, type, program?,
      // basic?, where?}], program?: the .8xp's name}
      describe(name, bytes) {
        const encodedName = encoder.encode(name + '\0');
        return withBytes(encodedName, (nameAt) =>
          withBytes(bytes, (at, length) =>
            JSON.parse(Module.UTF8ToString(Module._kalvo_describe(nameAt, at, length)))));
      },

      // Program text as the calculator shows it: one character for each byte.
      display(bytes) {
        return withBytes(bytes, (at, length) => Module.UTF8ToString(Module._kalvo_display(at, length)));
      },
    };
  }

  // Loads the module (createKalvoModule, from kalvo.js) and wraps it.
  async function loadKalvo(createModule, options) {
    return wrap(await createModule(options || {}));
  }

  if (typeof module === 'object' && module.exports) module.exports = { loadKalvo };
  else root.loadKalvo = loadKalvo;
})(typeof self !== 'undefined' ? self : this);
