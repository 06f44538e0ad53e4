// What the browser tests share: a quillot-server of their own on a free
// port over a temporary data folder (where it makes the demo company),
// Debian's Chromium through playwright-core, and the sign-in.
'use strict';

const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const readline = require('node:readline');

let chromium;
try {
  ({ chromium } = require('playwright-core'));
} catch (error) {
  console.error('playwright-core is missing; scripts/setup.sh installs it (npm install in tests/browser)');
  process.exit(1);
}

const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const STEP_TIMEOUT_MS = 30000;

function option(name, fallback) {
  const at = process.argv.indexOf('--' + name);
  return at > 0 && at + 1 < process.argv.length ? process.argv[at + 1] : fallback;
}

// The server prints its address as the first line of its output.
function startServer(server, app, data) {
  const child = spawn(server, ['--port', '0', '--app', app, '--data', data], { stdio: ['ignore', 'pipe', 'pipe'] });
  let log = '';
  child.stderr.on('data', (chunk) => { log += chunk; });
  const address = new Promise((resolve, reject) => {
    const lines = readline.createInterface({ input: child.stdout });
    lines.once('line', (line) => resolve(line.trim()));
    child.once('exit', (code) => reject(new Error('the server ended (' + code + ') before it listened:\n' + log)));
  });
  return { child, address, log: () => log };
}

function stopServer(server) {
  return new Promise((resolve) => {
    if (server.child.exitCode !== null)
      return resolve();
    server.child.once('exit', resolve);
    server.child.kill('SIGTERM');
  });
}

// Runs walk(page, base, out) against a fresh server and browser; the
// walk fails on any script error of the pages. Prints the summary line.
async function run(name, walk) {
  const serverPath = path.resolve(option('server', 'build/bin/quillot-server'));
  const app = path.resolve(option('app', 'app'));
  const out = path.resolve(option('out', 'build/browser'));
  fs.mkdirSync(out, { recursive: true });
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'quillot-browser-'));
  const server = startServer(serverPath, app, path.join(work, 'data'));
  let context;
  try {
    const base = (await server.address).replace(/\/?$/, '/');
    context = await chromium.launchPersistentContext(path.join(work, 'profile'), {
      executablePath: CHROMIUM,
      headless: true,
      args: CHROMIUM_FLAGS,
      viewport: { width: 1280, height: 860 },
      locale: 'zh-CN',
    });
    context.setDefaultTimeout(STEP_TIMEOUT_MS);
    const page = context.pages()[0] || await context.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.message));
    await walk(page, base, out);
    assert.deepEqual(problems, [], 'no script errors');
    console.log(name + ': 1 passed, 0 failed (screenshots in ' + out + ')');
  } catch (error) {
    console.error(error && error.stack ? error.stack : error);
    console.log(name + ': 0 passed, 1 failed');
    process.exitCode = 1;
  } finally {
    if (context)
      await context.close();
    await stopServer(server);
    fs.rmSync(work, { recursive: true, force: true });
  }
}

// Signs in to the demo company by keyboard and waits for the notices.
async function signIn(page, base) {
  await page.goto(base);
  await page.locator('#signin-form').waitFor();
  await page.fill('#dbname', 'demo');
  await page.fill('#userid', 'SYSTEM');
  await page.fill('#passwd', 'demo');
  await Promise.all([page.waitForURL(/notice(\.htm)?$/i), page.press('#passwd', 'Enter')]);
}

module.exports = { run, signIn };
