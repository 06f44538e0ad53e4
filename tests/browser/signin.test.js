// Browser test: a person signs in to the demo company and reaches the
// notices, then signs out. Screenshots go into the build folder.
//
//   node signin.test.js --server PATH --app FOLDER --out FOLDER
'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { run } = require('./harness');

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

run('browser sign-in', signInAndSeeNotices);
