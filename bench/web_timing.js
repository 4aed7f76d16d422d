// The timing half of bench/web_timing: node web_timing.js WORK RUNS CHROMIUM.
'use strict';
const fs = require('fs');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [work, runsText, chromium] = process.argv.slice(2);
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
  const firstQuestion = [];
  const frameLoaded = [];
  const seenThroughProtocol = [];
  const plainLoad = [];
  for (let run = 0; run < runs; ++run) {
    // Alternated, so that neither side has the warmer browser.
    const plain = await browser.newPage();
    await plain.goto('file://' + plainPage, { waitUntil: 'load' });
    plainLoad.push(await plain.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd));
    await plain.close();

    // The page's own clock, read where it happens: an observer put in before
    // the page's script records when the frame is handed the first question
    // and when the frame has loaded it. A poll from here would add the
    // protocol's round trips, which grow with the machine's load and are not
    // the player's; that figure is printed too, for comparison.
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
    await page.goto('file://' + quizPage, { waitUntil: 'domcontentloaded' });
    await page.waitForFunction(() => document.getElementById('pageView').srcdoc.includes('Question 1 of'),
      { polling: 'mutation' });
    seenThroughProtocol.push(await page.evaluate(() => performance.now()));
    const timing = await (await page.waitForFunction(() => window.torviTiming.loaded && window.torviTiming,
      { polling: 'raf', timeout: 10000 })).jsonValue();
    firstQuestion.push(timing.handed);
    frameLoaded.push(timing.loaded);
    await page.close();
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
  const shown = median(firstQuestion);
  const plain = median(plainLoad);
  console.log(`First question handed to the page frame: median ${shown.toFixed(1)} ms over ${runs} runs`);
  console.log(`  the frame loaded with it: median ${median(frameLoaded).toFixed(1)} ms;` +
    ` seen through the DevTools protocol: median ${median(seenThroughProtocol).toFixed(1)} ms`);
  console.log(`Plain HTML page of the same size loaded: median ${plain.toFixed(1)} ms`);
  console.log(`The player's first question after the plain page: ${(shown - plain).toFixed(1)} ms` +
    ` (frame loaded: ${(median(frameLoaded) - plain).toFixed(1)} ms)`);
  console.log(`Answers judged per second, Enter as a key press: ${throughKeys.toFixed(0)}${judged ? '' : ' (NOT all judged right)'}`);
  console.log(`Answers judged per second, key events in the page: ${inPage.toFixed(0)}`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
