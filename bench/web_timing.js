// The timing half of bench/web_timing: node web_timing.js WORK RUNS CHROMIUM.
// WORK holds timing.html and empty.html, and compared.html when another
// build's player is timed in the same run.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [work, runsText, chromium] = process.argv.slice(2);
const comparedPage = path.join(work, 'compared.html');
const runs = Number(runsText);
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
};

// A plain page as large as the quiz page: text in paragraphs, no script.
function writePlainPage(size) {
  const paragraph = '<p>' + 'Plain text of the same size as the quiz page. '.repeat(20) + '</p>\n';
  let page = '<!DOCTYPE html><html><head><meta charset="utf-8"><title>Plain</title></head><body>\n';
  while (page.length < size - 20) page += paragraph;
  page = page.slice(0, size - 15) + '</body></html>\n';
  const file = path.join(work, 'plain.html');
  fs.writeFileSync(file, page);
  return file;
}

// The page's own clock, read where it happens: an observer put in before the
// page's script records when the frame is handed the first question and when
// the frame has loaded it. A poll from here would add the protocol's round
// trips, which grow with the machine's load and are not the player's; that
// figure is kept too, for comparison.
async function firstQuestion(browser, file) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.torviTiming = {};
    new MutationObserver((records, observer) => {
      const frame = records[0].target;
      if (!frame.srcdoc.includes('Question 1 of')) return;
      window.torviTiming.handed = performance.now();
      frame.addEventListener('load', () => { window.torviTiming.loaded = performance.now(); }, { once: true });
      observer.disconnect();
    }).observe(document, { subtree: true, attributes: true, attributeFilter: ['srcdoc'] });
  });
  await page.goto('file://' + file, { waitUntil: 'domcontentloaded' });
  await page.waitForFunction(() => document.getElementById('pageView').srcdoc.includes('Question 1 of'),
    { polling: 'mutation' });
  const protocol = await page.evaluate(() => performance.now());
  const timing = await (await page.waitForFunction(() => window.torviTiming.loaded && window.torviTiming,
    { polling: 'raf', timeout: 10000 })).jsonValue();
  await page.close();
  return { handed: timing.handed, loaded: timing.loaded, protocol };
}

// Serves the work folder from 127.0.0.1, as a learning platform serves a
// package it has unpacked.
function serve() {
  const server = http.createServer((request, response) => {
    const file = path.join(work, path.normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)));
    const found = file.startsWith(work) && fs.existsSync(file) && fs.statSync(file).isFile();
    response.writeHead(found ? 200 : 404,
      { 'Content-Type': file.endsWith('.js') ? 'text/javascript' : 'text/html; charset=utf-8' });
    response.end(found ? fs.readFileSync(file) : '');
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The first question of a page at address, which may hold the player in a
// frame of its own (a package inside a platform's page): the moment, on the
// top page's clock, that the player hands its page frame the question.
async function firstQuestionAt(browser, address) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    if (window === window.top) window.torviTiming = {};
    new MutationObserver((records, observer) => {
      const frame = records[0].target;
      if (!frame.srcdoc || !frame.srcdoc.includes('Question 1 of')) return;
      // On the top page's clock, and on the clock of the page that holds
      // the player, which starts when that page's own navigation does.
      window.top.torviTiming.own = performance.now();
      window.top.torviTiming.handed =
        performance.timeOrigin + performance.now() - window.top.performance.timeOrigin;
      observer.disconnect();
    }).observe(document, { subtree: true, attributes: true, attributeFilter: ['srcdoc'] });
  });
  await page.goto(address, { waitUntil: 'domcontentloaded' });
  const timing = await (await page.waitForFunction(() => window.torviTiming.handed && window.torviTiming,
    { polling: 20, timeout: 20000 })).jsonValue();
  await page.close();
  return timing;
}

async function main() {
  const quizPage = path.join(work, 'timing.html');
  const size = fs.statSync(quizPage).size;
  const plainPage = writePlainPage(size);
  const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run',
      `--user-data-dir=${fs.mkdtempSync(path.join(work, 'profile-'))}`],
  });
  // The players timed: this build's, and the one to compare with, if any.
  const players = [{ name: 'This build', file: quizPage, handed: [], loaded: [], protocol: [] }];
  if (fs.existsSync(comparedPage)) {
    players.push({ name: 'The compared build', file: comparedPage, handed: [], loaded: [], protocol: [] });
  }
  const plainLoad = [];
  for (let run = 0; run < runs; ++run) {
    // Alternated, so that no side has the warmer browser.
    const plain = await browser.newPage();
    await plain.goto('file://' + plainPage, { waitUntil: 'load' });
    plainLoad.push(await plain.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd));
    await plain.close();
    for (const player of players) {
      const timing = await firstQuestion(browser, player.file);
      player.handed.push(timing.handed);
      player.loaded.push(timing.loaded);
      player.protocol.push(timing.protocol);
    }
  }

  // Inside a learning platform: the quiz's SCORM package, unpacked, in the
  // tests' host page running scorm-again, against the web page alone, both
  // served from 127.0.0.1 and alternated.
  const inHost = { alone: [], hosted: [], own: [] };
  if (fs.existsSync(path.join(work, 'sco', 'index.html'))) {
    const server = await serve();
    const origin = `http://127.0.0.1:${server.address().port}`;
    for (let run = 0; run < runs; ++run) {
      inHost.alone.push((await firstQuestionAt(browser, `${origin}/timing.html`)).handed);
      const hosted = await firstQuestionAt(browser, `${origin}/host.html?version=12&sco=/sco/index.html`);
      inHost.hosted.push(hosted.handed);
      inHost.own.push(hosted.own);
    }
    server.close();
  }

  // Judging through the page: each right answer asks the next question.
  const page = await browser.newPage();
  await page.goto('file://' + quizPage);
  await page.waitForSelector('html[data-torvi-ready]');
  const answers = 150;
  let started = Date.now();
  for (let i = 0; i < answers; ++i) {
    await page.$eval('#answerBox1', (box) => { box.value = 'yes'; });
    await page.keyboard.press('Enter');
  }
  const throughKeys = answers / ((Date.now() - started) / 1000);
  const judged = await page.$eval('#pageView', (f) => f.srcdoc.includes(`Question ${151} of`));
  const inPage = await page.evaluate((count) => {
    const box = document.getElementById('answerBox1');
    const begin = performance.now();
    for (let i = 0; i < count; ++i) {
      box.value = 'yes';
      window.dispatchEvent(new KeyboardEvent('keydown', { key: 'Enter', bubbles: true }));
    }
    return count / ((performance.now() - begin) / 1000);
  }, 200);
  await browser.close();

  const player = fs.statSync(path.join(work, 'empty.html')).size;
  console.log(`Quiz page: ${(size / 1024).toFixed(0)} KiB (400 questions); player with the shipped cues: ${(player / 1024).toFixed(0)} KiB`);
  const plain = median(plainLoad);
  console.log(`Plain HTML page of the same size loaded: median ${plain.toFixed(1)} ms over ${runs} runs`);
  for (const player of players) {
    const [handed, loaded, protocol] = [median(player.handed), median(player.loaded), median(player.protocol)];
    console.log(`${player.name}: first question handed to the page frame: median ${handed.toFixed(1)} ms,` +
      ` ${(handed - plain).toFixed(1)} ms after the plain page`);
    console.log(`  the frame loaded with it: ${loaded.toFixed(1)} ms (${(loaded - plain).toFixed(1)} ms after);` +
      ` seen through the DevTools protocol: ${protocol.toFixed(1)} ms (${(protocol - plain).toFixed(1)} ms after)`);
  }
  if (inHost.hosted.length) {
    const [alone, hosted, own] = [median(inHost.alone), median(inHost.hosted), median(inHost.own)];
    console.log(`Served from 127.0.0.1: the web page's first question handed at median ${alone.toFixed(1)} ms;` +
      ` its SCORM 1.2 package inside a platform's page (scorm-again): ${hosted.toFixed(1)} ms` +
      ` (${(hosted - alone).toFixed(1)} ms later), of which ${own.toFixed(1)} ms from the start of the` +
      ` package page's own load (${(own - alone).toFixed(1)} ms against the page alone)`);
    const packageSize = fs.statSync(path.join(work, 'sco', 'index.html')).size;
    console.log(`  the package's page: ${packageSize} bytes, ${packageSize - size} more than the web page`);
  }
  console.log(`Answers judged per second, Enter as a key press: ${throughKeys.toFixed(0)}${judged ? '' : ' (NOT all judged right)'}`);
  console.log(`Answers judged per second, key events in the page: ${inPage.toFixed(0)}`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
