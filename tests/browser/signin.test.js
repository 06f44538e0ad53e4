// Browser test: a person signs in to the demo company and reaches the
// notices. Starts quillot-server on a free port over a temporary data
// folder (where it makes the demo company), drives Debian's Chromium
// through playwright-core, and saves screenshots into the build folder.
//
//   node signin.test.js --server PATH --app FOLDER --out FOLDER
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
  console.error('signin.test.js: playwright-core is missing; scripts/setup.sh installs it (npm install in tests/browser)');
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

async function signInAndSeeNotices(page, base, out) {
  await page.goto(base);
  assert.match(await page.title(), /登录/);
  const form = page.locator('#signin-form');
  await form.waitFor();

  // The database field lists the demo company; the keyboard alone signs in.
  assert.ok(await page.locator('#database-names option[value="demo"]').count() === 1, 'demo is offered');
  await page.fill('#dbname', 'demo');
  await page.fill('#userid', 'SYSTEM');

  // A wrong password: the form says so and stays.
  await page.fill('#passwd', 'not-the-password');
  await page.press('#passwd', 'Enter');
  const error = page.locator('#signin-error');
  await error.waitFor({ state: 'visible' });
  assert.equal((await error.textContent()).trim(), '用户名或密码不正确');
  assert.equal(await page.getAttribute('#passwd', 'aria-invalid'), 'true');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'passwd');
  await page.screenshot({ path: path.join(out, 'login.png') });

  await page.fill('#passwd', 'demo');
  await Promise.all([page.waitForURL(/notice(\.htm)?$/i), page.press('#passwd', 'Enter')]);

  assert.equal((await page.locator('main h1').textContent()).trim(), '待办提醒');
  const sections = page.locator('section.notice');
  assert.ok(await sections.count() >= 1, 'a notice section is shown');
  await page.locator('section#salesExport').waitFor();
  assert.match(await page.locator('.topbar-company').textContent(), /\S/);
  await page.screenshot({ path: path.join(out, 'notice.png'), fullPage: true });

  // Signing out leads back to the sign-in page, and the notices stay shut.
  await Promise.all([page.waitForURL(/login(\.htm)?$/i), page.click('a.signout')]);
  await page.goto(base + 'notice.htm');
  assert.match(page.url(), /login/i);
}

async function main() {
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
    await signInAndSeeNotices(page, base, out);
    assert.deepEqual(problems, [], 'no script errors');
    console.log('browser sign-in: 1 passed, 0 failed (screenshots in ' + out + ')');
  } finally {
    if (context)
      await context.close();
    await stopServer(server);
    fs.rmSync(work, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(error && error.stack ? error.stack : error);
  console.log('browser sign-in: 0 passed, 1 failed');
  process.exit(1);
});
