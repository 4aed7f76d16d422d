// The DOM side of the web window. Each function shows one thing it is told or
// reads one control back; none of them decides anything about the quiz.
mergeInto(LibraryManager.library, {
  $torviDom: {
    answer: function (box) { return document.getElementById('answerBox' + (box + 1)); },
    buttons: ['explanationButton', 'quitButton', 'restartButton', 'repeatButton'],
    menus: ['orderInOrder', 'orderJumbled', 'soundOption'],
    audio: null,
    audioUrl: null,
    pending: 0,
  },

  torvi_dom_get_answer__deps: ['$torviDom'],
  torvi_dom_get_answer: function (box) {
    return allocateUTF8(torviDom.answer(box).value);
  },
  torvi_dom_set_answer__deps: ['$torviDom'],
  torvi_dom_set_answer: function (box, text) {
    torviDom.answer(box).value = UTF8ToString(text);
  },
  torvi_dom_enable_answer__deps: ['$torviDom'],
  torvi_dom_enable_answer: function (box, enable) {
    // Read-only rather than disabled: the text stays readable and the
    // learner keeps the place in the tab order, as in the desktop window.
    var input = torviDom.answer(box);
    input.readOnly = !enable;
    input.setAttribute('aria-disabled', enable ? 'false' : 'true');
  },
  torvi_dom_show_answer__deps: ['$torviDom'],
  torvi_dom_show_answer: function (box, show) {
    torviDom.answer(box).parentNode.hidden = !show;
  },
  torvi_dom_focus_answer__deps: ['$torviDom'],
  torvi_dom_focus_answer: function (box) {
    // Brought into view as well: on a phone the box may sit below the page.
    torviDom.answer(box).focus();
  },
  torvi_dom_focused_answer: function () {
    var id = document.activeElement ? document.activeElement.id : '';
    var match = /^answerBox(\d+)$/.exec(id || '');
    return match ? Number(match[1]) - 1 : -1;
  },
  torvi_dom_get_selection__deps: ['$torviDom'],
  torvi_dom_get_selection: function (box, start, end) {
    var input = torviDom.answer(box);
    HEAP32[start >> 2] = input.selectionStart || 0;
    HEAP32[end >> 2] = input.selectionEnd || 0;
  },
  torvi_dom_set_selection__deps: ['$torviDom'],
  torvi_dom_set_selection: function (box, start, end) {
    torviDom.answer(box).setSelectionRange(start, end);
  },
  torvi_dom_set_feedback: function (text) {
    document.getElementById('feedbackBox').textContent = UTF8ToString(text);
  },
  torvi_dom_set_comment: function (text) {
    document.getElementById('commentBox').textContent = UTF8ToString(text);
  },
  torvi_dom_feedback_width: function () {
    return document.getElementById('feedbackBox').clientWidth | 0;
  },
  torvi_dom_enable_button__deps: ['$torviDom'],
  torvi_dom_enable_button: function (button, enable) {
    var element = document.getElementById(torviDom.buttons[button]);
    if (element) element.disabled = !enable;
  },
  torvi_dom_check_menu__deps: ['$torviDom'],
  torvi_dom_check_menu: function (item, checked) {
    var element = document.getElementById(torviDom.menus[item]);
    if (element) element.checked = !!checked;
  },
  torvi_dom_set_title: function (text) {
    // The browser is told of every change; the page comes with its title.
    var title = UTF8ToString(text);
    if (document.title !== title) document.title = title;
  },
  torvi_dom_message: function (text, caption) {
    var dialog = document.getElementById('messageBox');
    document.getElementById('messageCaption').textContent = UTF8ToString(caption);
    document.getElementById('messageText').textContent = UTF8ToString(text);
    if (!dialog.open) dialog.showModal();
  },
  torvi_dom_show_page: function (html) {
    document.getElementById('pageView').srcdoc = UTF8ToString(html);
  },
  torvi_dom_play__deps: ['$torviDom', 'torvi_dom_stop'],
  torvi_dom_play: function (data, length) {
    _torvi_dom_stop();
    var bytes = HEAPU8.slice(data, data + length);
    // Set up in a task of its own, after the page the cue goes with is shown.
    torviDom.pending = setTimeout(function () {
      torviDom.pending = 0;
      torviDom.audioUrl = URL.createObjectURL(new Blob([bytes], { type: 'audio/wav' }));
      torviDom.audio = new Audio(torviDom.audioUrl);
      // A browser may refuse sound before the learner has touched the page.
      torviDom.audio.play().catch(function () {});
    }, 0);
  },
  torvi_dom_stop__deps: ['$torviDom'],
  torvi_dom_stop: function () {
    clearTimeout(torviDom.pending);
    torviDom.pending = 0;
    if (torviDom.audio) torviDom.audio.pause();
    if (torviDom.audioUrl) URL.revokeObjectURL(torviDom.audioUrl);
    torviDom.audio = null;
    torviDom.audioUrl = null;
  },

  // The learning platform's SCORM API: the object named API (1.2) or
  // API_1484_11 (2004) in this window or its opener, or in one of their
  // parents, at most 16 frames up (one of another origin cannot be read). A
  // call that throws counts as refused: the quiz goes on whatever the
  // platform does.
  $torviLms: { api: null, v12: false },
  torvi_lms_call__deps: ['$torviLms'],
  torvi_lms_call: function (call, element, value) {
    var api = torviLms.api;
    var name = (torviLms.v12 ? ['LMSInitialize', 'LMSGetValue', 'LMSSetValue', 'LMSCommit', 'LMSFinish']
      : ['Initialize', 'GetValue', 'SetValue', 'Commit', 'Terminate'])[call];
    var args = call === 1 || call === 2 ? [UTF8ToString(element)] : [''];
    if (call === 2) args.push(UTF8ToString(value));
    var result = '';
    try {
      result = String(api ? api[name].apply(api, args) : '');
    } catch (error) {}
    if (call === 4) torviLms.api = null;
    return allocateUTF8(result);
  },
  torvi_lms_find__deps: ['$torviLms'],
  torvi_lms_find: function (v12) {
    torviLms.v12 = !!v12;
    var name = v12 ? 'API' : 'API_1484_11';
    [window, window.opener].forEach(function (win) {
      for (var steps = 0; win && !torviLms.api && steps < 16; ++steps) {
        try {
          torviLms.api = win[name] || null;
          win = win.parent === win ? null : win.parent;
        } catch (error) {
          win = null;
        }
      }
    });
  },
  torvi_lms_utc_offset: function () {
    return -new Date().getTimezoneOffset();
  },
});
