// The player's start and its events: the files the page carries go into the
// player's memory, then every key and click is passed on as it comes. What
// the page shows is set by the window services (player_library.js).
var Module = (function () {
  'use strict';

  function bytesOf(base64) {
    if (Uint8Array.fromBase64) return Uint8Array.fromBase64(base64);
    var text = atob(base64);
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
    return bytes;
  }

  // "#seed=N" repeats one jumbled order; "#jumbled" starts in jumbled order.
  function addressOptions() {
    var options = { seed: '', jumbled: 0 };
    location.hash.replace(/^#/, '').split('&').forEach(function (part) {
      var pair = part.split('=');
      if (pair[0] === 'seed' && pair.length === 2) options.seed = pair[1];
      if (pair[0] === 'jumbled' || (pair[0] === 'order' && pair[1] === 'jumbled')) options.jumbled = 1;
    });
    return options;
  }

  function addFile(kind, name, bytes) {
    var namePointer = Module.allocateUTF8(name);
    var data = Module._malloc(Math.max(bytes.length, 1));
    Module.HEAPU8.set(bytes, data);
    Module._torvi_add_file(kind, namePointer, data, bytes.length);
    Module._free(data);
    Module._free(namePointer);
  }

  function start() {
    var carried = JSON.parse(document.getElementById('torviQuiz').textContent);
    Object.keys(carried.support || {}).forEach(function (name) {
      addFile(0, name, bytesOf(carried.support[name]));
    });
    addFile(1, carried.name, bytesOf(carried.quiz));
    // A page in a SCORM package says for which version and passing score.
    var lms = carried.lms;
    if (lms) Module._torvi_lms(lms.version | 0, typeof lms.passing === 'number' ? lms.passing : -1);
    var options = addressOptions();
    var seed = Module.allocateUTF8(options.seed);
    Module._torvi_start(seed, options.jumbled);
    Module._free(seed);
    connectEvents();
    document.documentElement.setAttribute('data-torvi-ready', '1');
  }

  function connectEvents() {
    var dialog = document.getElementById('messageBox');
    // Leaving the page ends the platform's session with the score so far.
    window.addEventListener('pagehide', function () { Module._torvi_leave(); });
    document.getElementById('messageOk').addEventListener('click', function () { dialog.close(); });
    // Enter is the quiz's key wherever the focus is; it never presses a
    // button. Ctrl+A is the accent key, also inside an answer box.
    window.addEventListener('keydown', function (event) {
      if (dialog.open || event.isComposing) return;
      var plain = !event.ctrlKey && !event.altKey && !event.metaKey && !event.shiftKey;
      if (event.key === 'Enter' && plain) {
        event.preventDefault();
        Module._torvi_enter();
      } else if (event.code === 'KeyA' && event.ctrlKey && !event.altKey && !event.metaKey && !event.shiftKey) {
        event.preventDefault();
        Module._torvi_accent();
      }
    }, true);
    // A click into the page frame would take the keys away from the quiz (the
    // frame runs no script to pass them on), so the focus goes back to the
    // control that had it.
    var frame = document.getElementById('pageView');
    var lastFocused = document.getElementById('answerBox1');
    document.addEventListener('focusin', function (event) {
      if (event.target !== frame) lastFocused = event.target;
    });
    function takeBackFocus() {
      if (document.activeElement === frame && lastFocused) lastFocused.focus({ preventScroll: true });
    }
    frame.addEventListener('focus', takeBackFocus);
    window.addEventListener('blur', function () { setTimeout(takeBackFocus, 0); });
    ['explanationButton', 'quitButton', 'restartButton', 'repeatButton'].forEach(function (id, n) {
      document.getElementById(id).addEventListener('click', function () { Module._torvi_button(n); });
    });
    ['orderInOrder', 'orderJumbled', 'soundOption'].forEach(function (id, n) {
      document.getElementById(id).addEventListener('click', function () { Module._torvi_menu(n); });
    });
  }

  // The WebAssembly the script carries (torviCode, base64) is compiled from
  // its bytes in the script itself, rather than fetched from a data: address
  // and compiled in tasks of their own: the browser compiles each function
  // only when it is first called, so the quiz starts at once, without waiting
  // for the page's parsing and layout to give the thread back.
  function instantiateWasm(imports, receiveInstance) {
    var bytes = bytesOf(torviCode);
    var module;
    try {
      module = new WebAssembly.Module(bytes);
    } catch (error) {
      // A browser that compiles no module of this size on the page's thread.
      WebAssembly.instantiate(bytes, imports).then(function (result) {
        receiveInstance(result.instance);
      });
      return {};
    }
    var instance = new WebAssembly.Instance(module, imports);
    receiveInstance(instance);
    return instance.exports;
  }

  return { onRuntimeInitialized: start, instantiateWasm: instantiateWasm };
})();
