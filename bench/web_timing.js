// The timing half of bench/web_timing: node web_timing.js WORK RUNS CHROMIUM.
// WORK holds timing.html and empty.html, and compared.html when another
// build's player is timed in the same run.
'use strict';
const fs = require('fs');
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
  console.log(`Answers judged per second, Enter as a key press: ${throughKeys.toFixed(0)}${judged ? '' : ' (NOT all judged right)'}`);
  console.log(`Answers judged per second, key events in the page: ${inPage.toFixed(0)}`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
