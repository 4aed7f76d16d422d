// SCORM packages played as a learner plays them on a learning platform: the
// package written by torvi-cli convert, unpacked and served from 127.0.0.1
// inside a host page that runs scorm-again as the platform's API, played
// with key presses. What the platform stored (interactions, score, status)
// must agree with what torvi-cli run says for the same answers, and the
// platform must have logged no error.
'use strict';

const fs = require('fs');
const http = require('http');
const path = require('path');

const GEOGRAPHY = 'res:quizzes/geography.txt';
const CASES = [
  { name: 'all right, passed', quiz: GEOGRAPHY, passing: 60,
    lines: ['Paris', 'The Nile', 'Pacific', 'Atlantic', 'Indian', 'Mount Everest', 'Spain', 'Portugal'] },
  { name: 'some wrong, failed', quiz: GEOGRAPHY, passing: 80,
    lines: ['Paris', 'the Amazon', '', 'Pacific', 'Atlantic', 'Indian', 'K2', '', 'Portugal', 'Spain'] },
  { name: 'Repeat Question and Restart', quiz: 'data:repeat.txt',
    lines: ['the Amazon', ':repeat', 'The Nile', 'Atlantic', 'Pacific', 'Indian', ':restart',
      'Nile', 'Pacific', 'Atlantic', 'Indian', 'Portugal', 'Spain'] },
  { name: 'jumbled with a fixed seed', quiz: GEOGRAPHY, hash: '#seed=4242&jumbled',
    cli: ['--seed', '4242', '--jumbled'],
    lines: ['Mount Everest', 'Paris', 'Spain', 'Portugal', 'Indian', 'Pacific', 'Atlantic', '', 'The Nile'] },
  { name: 'left midway', quiz: GEOGRAPHY, passing: 50, leave: true,
    lines: ['Paris', 'the Amazon', '', 'Pacific', 'Atlantic', 'Indian'] },
];

const squeeze = (text) => text.replace(/\s+/g, ' ').trim();

// What torvi-cli run says, question by question: the question's place in
// the file (found by its text in the quiz's dump), the answers typed and the
// verdict; and the score it ends with.
function judgedByCli(runTool, options, quiz, transcript) {
  const dump = JSON.parse(runTool(options.cli, ['dump', quiz]).stdout);
  const numbers = new Map(dump.questions.map((q, n) => [squeeze(q.text), n + 1]));
  const judged = [];
  for (const block of transcript.split(/^-{20,}$/m).slice(1)) {
    const verdict = /You are Correct!!!/.test(block) ? 'correct' : /You are wrong/.test(block) ? 'wrong' : null;
    if (!verdict) continue;
    const question = squeeze(block.split(/^Answer \d+ of \d+:/m)[0]);
    const typed = [...block.matchAll(/^Answer \d+ of \d+: (.*)$/gm)].map((m) => m[1].trimEnd());
    judged.push({ number: numbers.get(question), typed, verdict });
  }
  const score = /You got (\d+)\/(\d+) right\./.exec(transcript);
  return { judged, right: score && Number(score[1]), total: score && Number(score[2]) };
}

// The package as a teacher makes it, unpacked as the platform unpacks it.
function makePackage(runTool, options, quiz, version, passing, name) {
  const zip = path.join(options.work, name + '.zip');
  const folder = path.join(options.work, name);
  fs.rmSync(zip, { force: true });
  fs.rmSync(folder, { recursive: true, force: true });
  const extra = passing === undefined ? [] : ['--passing-score', String(passing)];
  const made = runTool(options.cli,
    ['convert', quiz, '-o', zip, '--to', version === '12' ? 'scorm12' : 'scorm2004', ...extra]);
  if (made.status !== 0) throw new Error(`the package of ${quiz} was not made: ${made.stderr}`);
  const unpacked = runTool('python3', ['-m', 'zipfile', '-e', zip, folder]);
  if (unpacked.status !== 0) throw new Error(`the package ${zip} does not unpack: ${unpacked.stderr}`);
  return folder;
}

// Serves the work folder, the host page and scorm-again from 127.0.0.1.
function serve(options) {
  const files = {
    '/host.html': path.join(__dirname, 'scorm_host.html'),
    // The minified run-time, as platforms serve it.
    '/scorm-again.js': path.join(__dirname, 'node_modules', 'scorm-again', 'dist', 'scorm-again.min.js'),
  };
  const server = http.createServer((request, response) => {
    const address = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    let file = files[address];
    if (!file && address.startsWith('/work/') && !address.includes('..')) file = path.join(options.work, address.slice(6));
    if (!file || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    const type = file.endsWith('.js') ? 'text/javascript' : 'text/html; charset=utf-8';
    response.writeHead(200, { 'Content-Type': type });
    response.end(fs.readFileSync(file));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The stored interactions in the order the page reported them.
function interactionsOf(stored) {
  const list = stored.cmi.interactions;
  return Object.keys(list || {}).sort((a, b) => a - b).map((key) => list[key]);
}

module.exports = (helpers) => async function scorm(puppeteer, options) {
  const { check, launch, playLine, runCli, runTool, quizPath, settle, openQuiz } = helpers;
  const server = await serve(options);
  const origin = `http://127.0.0.1:${server.address().port}`;
  const browser = await launch(puppeteer, options);
  try {
    for (const version of ['12', '2004']) {
      for (const [n, c] of CASES.entries()) {
        const label = `SCORM ${version === '12' ? '1.2' : '2004'}, ${c.name}`;
        const quiz = quizPath(options, c.quiz);
        const name = `scorm${version}-case${n}`;
        makePackage(runTool, options, quiz, version, c.passing, name);
        const cli = judgedByCli(runTool, options, quiz, runCli(options, quiz, c.lines, c.cli || []));

        const page = await browser.newPage();
        const problems = [];
        page.on('pageerror', (error) => problems.push(error.message));
        const sco = `/work/${name}/index.html${c.hash || ''}`;
        await page.goto(`${origin}/host.html?version=${version}&sco=${encodeURIComponent(sco)}`);
        await page.waitForFunction(() => {
          const frame = document.getElementById('sco').contentDocument;
          return frame && frame.documentElement.hasAttribute('data-torvi-ready');
        }, { timeout: 20000, polling: 100 });
        const frame = page.frames().find((f) => f.url().includes('/index.html'));
        const typed = { count: 0 };
        for (const line of c.lines) await playLine(page, line, typed, frame);
        if (!c.leave && (await frame.$eval('#quitButton', (b) => !b.disabled))) {
          await playLine(page, ':quit', typed, frame);
        }
        const beforeLeaving = await page.evaluate(() => window.platform.stored());
        // The learner goes on to another page of the course.
        await page.evaluate(() => { document.getElementById('sco').src = 'about:blank'; });
        await settle(300);
        const platform = await page.evaluate(() => ({ ...window.platform, stored: window.platform.stored() }));
        const stored = platform.stored;
        const core = version === '12' ? stored.cmi.core : stored.cmi;
        const score = core.score || {};
        const interactions = interactionsOf(stored);

        // Each question as torvi-cli judged it, in the same order.
        const reported = interactions.map((i) => ({
          id: i.id,
          result: i.result,
          typed: String(version === '12' ? i.student_response : i.learner_response),
        }));
        const expected = cli.judged.map((j) => ({
          id: `question${j.number}`,
          result: j.verdict === 'correct' ? 'correct' : version === '12' ? 'wrong' : 'incorrect',
          typed: j.typed.join('[,]'),
        }));
        check(JSON.stringify(reported) === JSON.stringify(expected),
          `${label}: the platform holds each judged question as torvi-cli run judged it` +
          (JSON.stringify(reported) === JSON.stringify(expected) ? '' :
            `\n    stored   ${JSON.stringify(reported)}\n    expected ${JSON.stringify(expected)}`));
        check(interactions.every((i) => i.type === 'fill-in' && String(i.latency).length > 0),
          `${label}: every interaction is a fill-in with its latency`);

        // The score: the last quiz finished, or the score so far when left.
        const right = c.leave ? cli.judged.filter((j) => j.verdict === 'correct').length : cli.right;
        check(Number(score.raw) === right && Number(score.min) === 0 && Number(score.max) === cli.total,
          `${label}: the score ${score.raw} (${score.min} to ${score.max}), torvi-cli: ${right}/${cli.total}`);
        if (version === '2004') {
          check(Math.abs(Number(score.scaled) - right / cli.total) < 1e-4, `${label}: the scaled score ${score.scaled}`);
        }
        let status;
        if (c.leave) status = 'incomplete';
        else if (c.passing === undefined) status = version === '12' ? 'completed' : 'unknown';
        else status = right * 100 >= c.passing * cli.total ? 'passed' : 'failed';
        const statusHeld = version === '12' ? core.lesson_status : c.leave ? core.completion_status : core.success_status;
        check(statusHeld === status, `${label}: the status is ${statusHeld}, ${status} expected`);
        if (version === '2004' && !c.leave) check(core.completion_status === 'completed', `${label}: completed`);
        const exit = core.exit;
        check(exit === (c.leave ? 'suspend' : version === '12' ? '' : 'normal'), `${label}: the exit is "${exit}"`);
        const times = platform.calls.filter((call) => /SetValue$/.test(call[0]) && /session_time$/.test(call[1]));
        const timeFormat = version === '12' ? /^\d{2,4}:\d{2}:\d{2}\.\d{2}$/ : /^PT\d+H\d+M\d+\.\d{2}S$/;
        check(times.length > 0 && times.every((call) => timeFormat.test(call[2]) && call[3] === 'true'),
          `${label}: the session time is reported in the version's format (${times.map((t) => t[2])})`);
        check(platform.finished === 1, `${label}: the session was finished once (${platform.finished})`);
        check(beforeLeaving && platform.errors.length === 0 && problems.length === 0,
          `${label}: no error on either side (${platform.errors.concat(problems).join('; ')})`);
        await page.close();
      }
    }

    // Without a platform the package's page plays as the web page does.
    const folder = makePackage(runTool, options, quizPath(options, GEOGRAPHY), '12', 70, 'scorm-alone');
    const { page, problems } = await openQuiz(browser, path.join(folder, 'index.html'));
    const typed = { count: 0 };
    for (const line of CASES[0].lines) await playLine(page, line, typed);
    const feedback = await page.$eval('#feedbackBox', (box) => box.textContent);
    check(feedback === 'You got 5/5 right.', `the package's page alone from file:// plays to "${feedback}"`);
    check(problems.length === 0, `the package's page alone runs with no error (${problems.join('; ')})`);
    await page.close();
  } finally {
    await browser.close();
    server.close();
  }
};
