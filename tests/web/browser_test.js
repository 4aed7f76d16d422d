// Plays exported quiz pages in headless Chromium with real key presses and
// checks them against torvi-cli run given the same lines on a pipe.
//
//   node browser_test.js MODE --cli TORVI_CLI --export EXPORT_PAGE --support FOLDER
//                             --data FOLDER --work FOLDER [--chromium PATH]
//
// MODE is "verdicts" (feedback, comments and score against torvi-cli run),
// "hostile" (a stranger's quiz page runs nothing and reaches nothing) or
// "page" (phone and wide widths, accessible names, contrast, the accent key)
// or "scorm" (SCORM packages under scorm-again, the run-time platforms embed).
// Exits 77 (skipped) only when Chromium or puppeteer-core is not installed.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const net = require('net');
const path = require('path');

const SKIP = 77;

function parseArguments(argv) {
  const options = { mode: argv[0], chromium: '/usr/bin/chromium' };
  for (let i = 1; i + 1 < argv.length; i += 2) options[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const name of ['cli', 'export', 'support', 'data', 'work']) {
    if (!options[name]) throw new Error(`missing --${name}`);
    options[name] = path.resolve(options[name]);
  }
  return options;
}

function loadPuppeteer(chromium) {
  if (!fs.existsSync(chromium)) {
    console.log(`SKIP: no Chromium at ${chromium} (Debian package chromium; scripts/install-deps)`);
    process.exit(SKIP);
  }
  try {
    return require('puppeteer-core');
  } catch (error) {
    console.log('SKIP: puppeteer-core is not installed (run npm ci in tests/web; scripts/install-deps)');
    process.exit(SKIP);
  }
}

// Runs a program of ours or a tool under a time limit well above what it
// needs; a run that reaches it ends the test with the cause.
function runTool(command, args, settings = {}) {
  const limit = settings.timeout || 60000;
  const result = childProcess.spawnSync(command, args, { encoding: 'utf8', killSignal: 'SIGKILL', ...settings, timeout: limit });
  if (result.error && result.error.code === 'ETIMEDOUT') {
    throw new Error(`${path.basename(command)} ${args.join(' ')} did not end within ${limit / 1000} s`);
  }
  return result;
}

let failures = 0;
function check(condition, what) {
  if (condition) {
    console.log(`ok   ${what}`);
  } else {
    failures += 1;
    console.log(`FAIL ${what}`);
  }
}

// Writes quiz (a file under --data) as a page in the work folder.
// Writes the quiz as a page with torvi-cli convert, as a teacher does; the
// report is what the command says on standard error. With raw, the test's
// exporter carries the quiz as it is, its addresses out of the page and all.
function exportQuiz(options, quizFile, name, raw) {
  const output = path.join(options.work, name + '.html');
  fs.rmSync(output, { force: true });
  const result = raw
    ? runTool(options.export, [quizFile, output, options.support, 'raw'])
    : runTool(options.cli, ['convert', quizFile, '-o', output]);
  if (result.status !== 0) throw new Error(`export of ${quizFile} failed: ${result.stderr}`);
  return { page: output, report: result.stderr };
}

async function launch(puppeteer, options) {
  const profile = fs.mkdtempSync(path.join(options.work, 'profile-'));
  return puppeteer.launch({
    executablePath: options.chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run',
      '--autoplay-policy=no-user-gesture-required', `--user-data-dir=${profile}`],
  });
}

// Opens a page and waits for the player to have put up the first question.
// Every feedback and comment text the page shows is recorded in order.
async function openQuiz(browser, file, hash, viewport) {
  const page = await browser.newPage();
  if (viewport) await page.setViewport(viewport);
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  await page.goto('file://' + file + (hash || ''));
  await page.waitForSelector('html[data-torvi-ready]', { timeout: 10000 });
  await page.evaluate(() => {
    window.torviShown = [];
    // One observer, so that the records keep the order the texts were set
    // in; each text set is one record, also when several come in one batch.
    const observer = new MutationObserver((records) => {
      for (const record of records) {
        if (record.type === 'attributes') {
          window.torviShown.push({ box: 'page', text: record.target.srcdoc });
          continue;
        }
        for (const node of record.addedNodes) {
          if (node.data) window.torviShown.push({ box: record.target.id, text: node.data });
        }
      }
    });
    for (const id of ['feedbackBox', 'commentBox']) {
      observer.observe(document.getElementById(id), { childList: true });
    }
    observer.observe(document.getElementById('pageView'), { attributes: true, attributeFilter: ['srcdoc'] });
  });
  return { page, problems };
}

// The learner's side of one line of a torvi-cli script, with the keyboard:
// a command presses its button (Tab to it, Space); an answer is typed into
// the next open box and Enter is pressed once every open box holds one; any
// line where nothing is asked presses Enter.
async function playLine(page, line, typed, frame = page) {
  const buttons = { ':quit': 'quitButton', ':restart': 'restartButton', ':repeat': 'repeatButton',
    ':explain': 'explanationButton' };
  if (buttons[line]) {
    await frame.focus('#' + buttons[line]);
    await page.keyboard.press('Space');
    typed.count = 0;
    return;
  }
  const open = await frame.$$eval('#answers input', (inputs) =>
    inputs.filter((input) => !input.parentNode.hidden && !input.readOnly).map((input) => input.id));
  if (open.length === 0) {
    await page.keyboard.press('Enter');
    typed.count = 0;
    return;
  }
  await frame.focus('#' + open[typed.count]);
  await page.keyboard.type(line);
  typed.count += 1;
  if (typed.count >= open.length) {
    await page.keyboard.press('Enter');
    typed.count = 0;
  }
}

function runCli(options, quizFile, lines, cliArguments) {
  const result = runTool(options.cli, ['run', ...cliArguments, quizFile], {
    input: lines.map((line) => line + '\n').join(''),
    env: { ...process.env, SDL_AUDIODRIVER: 'dummy', NO_COLOR: '1' },
    cwd: options.work,
  });
  if (result.status !== 0) throw new Error(`torvi-cli run failed: ${result.error || result.stderr}`);
  return result.stdout;
}

const normal = (text) => text.replace(/\r\n?/g, '\n').split('\n').map((l) => l.trimEnd()).join('\n').trim();

// Each case: a quiz, the lines typed, and the address options of the page
// that match torvi-cli run's options.
const CASES = [
  { name: 'geography: ordered and several answers, a wrong one, the explanation',
    quiz: 'res:quizzes/geography.txt',
    lines: ['Paris', 'the Amazon', '', 'Pacific', 'Atlantic', 'Indian',
      'K2', ':explain', '', 'Portugal', 'Spain'],
    page: 'Its summit stands' },
  { name: 'wrong answers, Repeat Question, then Restart',
    quiz: 'data:repeat.txt',
    lines: ['the Amazon', ':repeat', 'The Nile', 'Atlantic', 'Pacific', 'Indian', ':restart',
      'Nile', 'Pacific', 'Atlantic', 'Indian', 'Portugal', 'Spain'] },
  { name: 'jumbled order with a fixed seed',
    quiz: 'res:quizzes/geography.txt', hash: '#seed=4242&jumbled', cli: ['--seed', '4242', '--jumbled'],
    lines: ['Mount Everest', 'Paris', 'Spain', 'Portugal', 'Indian', 'Pacific', 'Atlantic', '',
      'The Nile'] },
  { name: 'jumbled order, another seed, Quit half way',
    quiz: 'res:quizzes/spanish.txt', hash: '#seed=17&jumbled', cli: ['--seed', '17', '--jumbled'],
    lines: ['lunes', 'martes', 'miércoles', 'el nino', '', 'rojo', 'amarillo', 'el café', ':quit'] },
  { name: 'a Windows-1252 quiz',
    quiz: 'res:quizzes/french-cp1252.txt',
    lines: ['merci', "l'automne", 'une ecole', ''] },
  // The judge's own verdicts, not only the same as torvi-cli's: the score is
  // the one the Unicode word rule gives.
  { name: 'words of other alphabets',
    quiz: 'data:../../data/run/unicode_words.txt',
    lines: ['КОШКА', 'STRASSE', 'ΟΔΟΣ', '', 'नमस्ते', 'میخواهم', 'ｃａｆé'],
    score: 'You got 5/6 right.' },
  { name: 'accents optional',
    quiz: 'data:../../data/run/accents_optional.txt',
    lines: ['cafe', 'UBERSETZUNG', 'οδος'],
    score: 'You got 3/3 right.' },
];

function quizPath(options, name) {
  const [where, file] = name.split(':');
  return where === 'res' ? path.join(options.support, file) : path.join(options.data, file);
}

async function verdicts(puppeteer, options) {
  const browser = await launch(puppeteer, options);
  try {
    for (const [n, c] of CASES.entries()) {
      const quiz = quizPath(options, c.quiz);
      const transcript = runCli(options, quiz, c.lines, c.cli || []);
      const { page: file } = exportQuiz(options, quiz, `case${n}`);
      if (n === 0) {
        // The player, its Unicode tables and the shipped cues stay a small download.
        const size = fs.statSync(file).size;
        check(size <= 600 * 1000, `${c.name}: the page is ${size} bytes, at most 600 KB`);
      }
      const { page, problems } = await openQuiz(browser, file, c.hash);
      const typed = { count: 0 };
      for (const line of c.lines) await playLine(page, line, typed);
      // The end of torvi-cli's input ends the quiz as Quit does.
      if (await page.$eval('#quitButton', (b) => !b.disabled)) await playLine(page, ':quit', typed);
      const shown = await page.evaluate(() => window.torviShown);
      // Every text the page showed is in the transcript, in the same order.
      const said = normal(transcript);
      let at = 0;
      let inOrder = true;
      for (const { text } of shown.filter((s) => s.box !== 'page')) {
        const found = said.indexOf(normal(text), at);
        if (found < 0) {
          inOrder = false;
          console.log(`  not in torvi-cli's transcript after offset ${at}: ${JSON.stringify(text)}`);
          break;
        }
        at = found + normal(text).length;
      }
      const texts = shown.filter((s) => s.box !== 'page').length;
      check(inOrder && texts > 0, `${c.name}: the page's ${texts} feedback and comment texts, in order`);
      const count = (text, what) => text.split(what).length - 1;
      const pageText = shown.filter((s) => s.box === 'feedbackBox').map((s) => s.text).join('\n');
      for (const verdict of ['You are Correct!!!', 'You are wrong']) {
        check(count(pageText, verdict) === count(transcript, verdict),
          `${c.name}: "${verdict}" ${count(pageText, verdict)} times, as in torvi-cli`);
      }
      const score = /You got \d+\/\d+ right\./.exec(transcript);
      const last = shown.filter((s) => s.box === 'feedbackBox').pop();
      check(score && last && last.text === score[0], `${c.name}: the score "${score && score[0]}"`);
      if (c.score) check(last && last.text === c.score, `${c.name}: the score is "${c.score}"`);
      if (c.page) {
        const pages = shown.filter((s) => s.box === 'page' && s.text.includes(c.page));
        check(pages.length === 1 && transcript.includes(c.page), `${c.name}: the explanation page`);
      }
      const base = path.basename(quiz);
      check((await page.title()) === `Halvan Torvi - ${base}`, `${c.name}: the title names the quiz`);
      check(problems.length === 0, `${c.name}: no script error (${problems.join('; ')})`);
      await page.close();
    }
  } finally {
    await browser.close();
  }
}

// A TCP listener on 127.0.0.1 that counts every connection made to it.
function listen() {
  return new Promise((resolve) => {
    const listener = { connections: 0, requests: [] };
    listener.server = net.createServer((socket) => {
      listener.connections += 1;
      socket.on('data', (data) => listener.requests.push(data.toString().split('\r\n')[0]));
      socket.on('error', () => {});
      // Open long enough for a request line to arrive and be counted.
      setTimeout(() => socket.destroy(), 300);
    });
    listener.server.listen(0, '127.0.0.1', () => {
      listener.port = listener.server.address().port;
      resolve(listener);
    });
  });
}

const settle = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A stranger's quiz: its scripts, handlers, fetches, WebSocket, refresh,
// window.open, form and links to http. Exported as the programs export it,
// nothing of it reaches the listener, not even a connection; carried raw,
// the frame's sandbox and policy alone still let no request through.
async function hostile(puppeteer, options) {
  for (const raw of [false, true]) await hostileOnce(puppeteer, options, raw);
}

async function hostileOnce(puppeteer, options, raw) {
  const how = raw ? 'carried raw' : 'exported';
  const listener = await listen();
  const folder = fs.mkdtempSync(path.join(options.work, 'hostile-'));
  const remote = `http://127.0.0.1:${listener.port}`;
  const text = fs.readFileSync(path.join(options.data, 'hostile.txt'), 'utf8')
    .replaceAll('REMOTE', remote).replaceAll('PORT', String(listener.port));
  fs.writeFileSync(path.join(folder, 'hostile.txt'), text);
  fs.copyFileSync(path.join(options.data, 'pic.png'), path.join(folder, 'pic.png'));
  const { page: file, report } = exportQuiz(options, path.join(folder, 'hostile.txt'),
    raw ? 'hostile-raw' : 'hostile', raw);
  if (!raw) {
    check(/left out of the page: missing\.png\n/.test(report) && /left out of the page: x\n/.test(report) &&
      !/pic\.png/.test(report), 'convert reports the pictures it could not find, and only those');
    check(report.includes(`address out of the page turned off: ${remote}/link`), 'convert reports the link it turned off');
  }

  const browser = await launch(puppeteer, options);
  try {
    const { page } = await openQuiz(browser, file);
    const popups = [];
    browser.on('targetcreated', (target) => popups.push(target.url()));
    await settle(1500);
    let frame = await page.$eval('#pageView', (f) => f.srcdoc);
    check(frame.includes('Hostile question'), `${how}: the hostile question is shown`);
    if (!raw) check(/id="byPath" src="data:image\/png;base64,/.test(frame), 'its picture is carried in the page');
    check(await page.$eval('#pageView', (f) => f.getAttribute('sandbox') === ''),
      `${how}: the page frame is sandboxed with nothing allowed`);
    // The learner clicks the link to http and the form's button in the frame;
    // the frame stays on the question.
    for (const id of ['away', 'send']) {
      const inner = page.frames().find((f) => f.url() === 'about:srcdoc');
      const target = inner && (await inner.$('#' + id));
      const place = target && (await target.boundingBox());
      check(place !== null, `${how}: the page's ${id} is there to click`);
      if (place) await page.mouse.click(place.x + 2, place.y + 2);
      await settle(700);
      const frames = page.frames().map((f) => f.url());
      check(frames.includes('about:srcdoc') && !frames.some((u) => u.startsWith('http')),
        `${how}: after a click on ${id} the frame still shows the question (${frames.join(', ')})`);
    }
    check((await page.title()) === 'Halvan Torvi - hostile.txt', `${how}: no script of the page changed the title`);
    await page.focus('#answerBox1');
    await page.keyboard.type('yes');
    await page.keyboard.press('Enter');
    await settle(1000);
    frame = await page.$eval('#pageView', (f) => f.srcdoc);
    check(frame.includes('Plain question'), `${how}: the plain question follows`);
    await page.keyboard.type('no');
    await page.keyboard.press('Enter');
    await page.focus('#explanationButton');
    await page.keyboard.press('Space');
    await settle(1500);
    frame = await page.$eval('#pageView', (f) => f.srcdoc);
    check(frame.includes('Explained'), `${how}: the explanation page is shown and stays`);
    check(popups.length === 0, `${how}: no window was opened (${popups.join(', ')})`);
    check(listener.requests.length === 0, `${how}: no request reached 127.0.0.1 (${listener.requests.join(', ')})`);
    if (!raw) {
      check(listener.connections === 0, `${how}: the listener on 127.0.0.1 saw nothing (${listener.connections} connections)`);
    }
  } finally {
    await browser.close();
    listener.server.close();
  }
}

// Relative luminance contrast of two CSS colours "rgb(r, g, b)".
function contrast(a, b) {
  const lum = (css) => {
    const [r, g, bl] = css.match(/\d+(\.\d+)?/g).slice(0, 3).map(Number).map((v) => {
      const c = v / 255;
      return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
    });
    return 0.2126 * r + 0.7152 * g + 0.0722 * bl;
  };
  const [x, y] = [lum(a), lum(b)].sort((p, q) => q - p);
  return (x + 0.05) / (y + 0.05);
}

async function pageChecks(puppeteer, options) {
  const { page: file } = exportQuiz(options, path.join(options.support, 'quizzes/spanish.txt'), 'spanish');
  const browser = await launch(puppeteer, options);
  try {
    for (const width of [360, 1920]) {
      const { page } = await openQuiz(browser, file, '', { width, height: width === 360 ? 740 : 1080 });
      const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
      check(overflow <= 0, `at ${width} px nothing runs off the side (${overflow} px)`);
      const unnamed = await page.evaluate(() => {
        const controls = [...document.querySelectorAll('input, button, iframe, [role=status]')];
        return controls.filter((c) => {
          const label = c.labels && c.labels.length ? c.labels[0].textContent.trim() : '';
          return !(label || c.getAttribute('aria-label') || c.title || c.textContent.trim());
        }).map((c) => c.id);
      });
      check(unnamed.length === 0, `at ${width} px every control has a name (${unnamed.join(', ')})`);
      const pairs = await page.evaluate(() => {
        const background = (e) => {
          for (; e; e = e.parentElement) {
            const colour = getComputedStyle(e).backgroundColor;
            if (!/rgba\(.*, 0\)/.test(colour) && colour !== 'transparent') return colour;
          }
          return 'rgb(255, 255, 255)';
        };
        return [...document.querySelectorAll('h1, legend, label, input, button, p')]
          .filter((e) => e.offsetParent !== null)
          .map((e) => ({ id: e.id || e.tagName, fg: getComputedStyle(e).color, bg: background(e) }));
      });
      const weak = pairs.filter((p) => contrast(p.fg, p.bg) < 4.5);
      check(weak.length === 0, `at ${width} px every text has a contrast of 4.5:1 or more (${weak.map((p) => p.id).join(', ')})`);
      await page.close();
    }
    // Keyboard alone: Tab reaches the answer box, Ctrl+A accents the letter
    // before the caret, Enter judges.
    const { page } = await openQuiz(browser, file);
    const live = await page.$eval('#feedbackBox', (b) => b.getAttribute('aria-live'));
    check(live === 'polite', 'the feedback is a live region');
    await page.keyboard.type('la manzana');
    await page.keyboard.press('Enter');
    await page.keyboard.type('el cafe');
    await page.keyboard.down('Control');
    await page.keyboard.press('KeyA');
    await page.keyboard.up('Control');
    check((await page.$eval('#answerBox1', (i) => i.value)) === 'el café', 'Ctrl+A accents the letter before the caret');
    // A click into the question page leaves Enter working.
    const frame = await (await page.$('#pageView')).boundingBox();
    await page.mouse.click(frame.x + frame.width / 2, frame.y + frame.height / 2);
    const back = await page.waitForFunction(() => document.activeElement.id === 'answerBox1',
      { timeout: 3000 }).then(() => true, () => false);
    check(back, 'a click into the question page gives the focus back to the answer box');
    await page.keyboard.press('Enter');
    const said = await page.$eval('#feedbackBox', (b) => b.textContent);
    check(said === 'You are Correct!!!\n\nel caf\u00e9', 'Enter judges the accented answer right');
    // Two boxes: Tab moves from the first to the second.
    await page.keyboard.type('rojo');
    await page.keyboard.press('Tab');
    await page.keyboard.type('amarillo');
    const second = await page.$eval('#answerBox2', (i) => i.value);
    const where = await page.evaluate(() => document.activeElement.id);
    check(second === 'amarillo', `Tab moves to the next answer box (the focus is on ${where})`);
    await page.close();
    await startChecks(browser, file);
  } finally {
    await browser.close();
  }
}

// The start: the frame's first page is the question, and a browser that
// will not compile the player on the page's own thread compiles it in the
// background and starts the same quiz.
async function startChecks(browser, file) {
  for (const syncCompile of [true, false]) {
    const how = syncCompile ? 'compiled in the script' : 'compiled in the background';
    const page = await browser.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.message));
    await page.evaluateOnNewDocument((refuse) => {
      window.torviPages = [];
      new MutationObserver((records) => {
        for (const record of records) window.torviPages.push(record.target.srcdoc);
      }).observe(document, { subtree: true, attributes: true, attributeFilter: ['srcdoc'] });
      if (refuse) WebAssembly.Module = function () { throw new RangeError('not on this thread'); };
    }, !syncCompile);
    await page.goto('file://' + file);
    const ready = await page.waitForSelector('html[data-torvi-ready]', { timeout: 10000 }).then(() => true, () => false);
    const pages = await page.evaluate(() => window.torviPages);
    check(ready && problems.length === 0, `${how}: the player starts (${problems.join('; ')})`);
    check(pages.length === 1 && /apple/i.test(pages[0]),
      `${how}: the frame is handed the first question and nothing before it (${pages.length} pages)`);
    check((await page.title()) === 'Halvan Torvi - spanish.txt', `${how}: the title names the quiz`);
    await page.close();
  }
}

const helpers = { check, launch, openQuiz, playLine, runCli, runTool, quizPath, settle };

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const puppeteer = loadPuppeteer(options.chromium);
  fs.mkdirSync(options.work, { recursive: true });
  options.work = fs.realpathSync(options.work);
  const modes = { verdicts, hostile, page: pageChecks, scorm: require('./scorm_test.js')(helpers) };
  if (!modes[options.mode]) throw new Error(`unknown mode ${options.mode}`);
  await modes[options.mode](puppeteer, options);
  console.log(failures ? `${failures} check(s) failed` : 'all checks passed');
  process.exit(failures ? 1 : 0);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
