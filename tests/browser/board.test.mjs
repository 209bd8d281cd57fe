// The notice board in a real browser: Debian's Chromium, driven through
// playwright-core, walks the demo site that scripts/serve.sh serves with
// lighttpd over a fresh table of 23 notices. What the browser shows (text
// decoded from EUC-KR, counters, links, forms) is compared with the table as
// `gongdb export` reports it in UTF-8, and every step leaves a screenshot.
//
//   node --test board.test.mjs          (TAVRIX_BUILD_DIR names the build)

import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, mkdirSync, rmSync, readdirSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

const here = path.dirname(fileURLToPath(import.meta.url));
const sourceDir = path.resolve(here, '../..');
const buildDir = path.resolve(process.env.TAVRIX_BUILD_DIR ?? path.join(sourceDir, 'build'));
const shotDir = path.join(buildDir, 'browser-screenshots');
const NOTICES = 23;
const PASSWORDS = ['1827364', '3081726'];

let server;          // the serve.sh process (its own process group)
let dataDir;
let base;
let context;
let page;
let shotCount = 0;
let expected;        // number -> notice as gongdb exports it, views included

// ---------------------------------------------------------------- set-up

function freePort() {
  return new Promise((resolve, reject) => {
    const s = createServer();
    s.on('error', reject);
    s.listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

async function waitForServer(url, proc, log) {
  for (let i = 0; i < 150; i++) {
    if (proc.exitCode !== null) throw new Error(`serve.sh ended early:\n${log()}`);
    try {
      const r = await fetch(url);
      if (r.ok) return;
    } catch { /* not up yet */ }
    await new Promise((r) => setTimeout(r, 200));
  }
  throw new Error(`the site did not answer at ${url}:\n${log()}`);
}

function exportTable() {
  const out = execFileSync(path.join(buildDir, 'gongdb'),
    ['export', '--dir', path.join(dataDir, 'www', 'board')], { encoding: 'utf8' });
  const notices = new Map();
  for (const line of out.split('\n').filter(Boolean)) {
    const n = JSON.parse(line);
    notices.set(n.nyno, n);
  }
  return notices;
}

before(async () => {
  rmSync(shotDir, { recursive: true, force: true });
  mkdirSync(shotDir, { recursive: true });
  dataDir = mkdtempSync(path.join(tmpdir(), 'tavrix-browser-'));
  const port = await freePort();
  base = `http://127.0.0.1:${port}`;
  let log = '';
  server = spawn('bash', [path.join(sourceDir, 'scripts/serve.sh'), '--port', String(port),
    '--data', dataDir, '--no-build', '--build-dir', buildDir, '--notices', String(NOTICES)],
  { detached: true, stdio: ['ignore', 'pipe', 'pipe'] });
  // However this process ends, the server it started ends with it.
  process.on('exit', () => {
    try { process.kill(-server.pid, 'SIGTERM'); } catch { /* already gone */ }
    rmSync(dataDir, { recursive: true, force: true });
  });
  for (const signal of ['SIGINT', 'SIGTERM']) process.on(signal, () => process.exit(1));
  server.stdout.on('data', (d) => { log += d; });
  server.stderr.on('data', (d) => { log += d; });
  await waitForServer(`${base}/`, server, () => log);
  expected = exportTable();
  assert.equal(expected.size, NOTICES, 'gongdb seed made the demo notices');

  // A fresh profile; without the background-networking switches Chromium
  // tries hosts beyond this machine and gets refused.
  context = await chromium.launchPersistentContext(path.join(dataDir, 'chromium-profile'), {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
    viewport: { width: 800, height: 700 },
    locale: 'ko-KR',
  });
  page = context.pages()[0] ?? await context.newPage();
  // The pages must never reach beyond this machine.
  await context.route('**/*', (route) => {
    const url = new URL(route.request().url());
    if (url.hostname === '127.0.0.1' || url.protocol === 'data:') return route.continue();
    return route.abort();
  });
  console.log(`screenshots: ${shotDir}`);
});

after(async () => {
  await context?.close();
  if (server && server.exitCode === null) {
    const ended = new Promise((r) => server.once('exit', r));
    process.kill(-server.pid, 'SIGTERM');
    await ended;
  }
  if (dataDir) rmSync(dataDir, { recursive: true, force: true });
  console.log(`screenshots (${readdirSync(shotDir).length}): ${shotDir}`);
});

// ---------------------------------------------------------------- helpers

async function shot(p, name) {
  shotCount += 1;
  const file = path.join(shotDir, `${String(shotCount).padStart(2, '0')}-${name}.png`);
  await p.screenshot({ path: file, fullPage: true });
}

// Runs an action that makes the page load a new document and waits for it.
// Board pages must be read as EUC-KR; the site's own front page is UTF-8.
async function navigating(p, action, charset = 'EUC-KR') {
  const loaded = p.waitForNavigation({ waitUntil: 'load' });
  await action();
  await loaded;
  assert.equal(await p.evaluate(() => document.characterSet), charset,
    `${p.url()} is read as ${charset}`);
}

const squeeze = (s) => s.replace(/[\s\u00a0]+/g, ' ').trim();

// The text of a notice body as a browser shows it: the stored CR LF pairs
// are line breaks, runs of blanks collapse.
const bodyLines = (s) => s.split(/\r?\n/).map(squeeze).join('\n').trim();

// The rows of the board list, its "p/C" heading and the pager.
function readList(p) {
  return p.evaluate(() => {
    const text = (el) => el.textContent.replace(/[\s\u00a0]+/g, ' ').trim();
    const rows = [...document.querySelectorAll('tr')]
      .filter((tr) => tr.cells.length === 4 && tr.cells[1].querySelector('a[href*="GongView2"]'))
      .map((tr) => ({
        no: Number(text(tr.cells[0])),
        title: text(tr.cells[1]),
        date: text(tr.cells[2]),
        views: Number(text(tr.cells[3])),
      }));
    const heading = [...document.querySelectorAll('td[align=right] b')]
      .map(text).find((t) => / page$/.test(t));
    const current = document.querySelector('font[color=orangered]');
    const pagerCell = current?.closest('td');
    const pagerLinks = pagerCell
      ? [...pagerCell.querySelectorAll('a')].map((a) => ({
        text: text(a), page: new URL(a.href).searchParams.get('page'),
      }))
      : [];
    return { rows, heading, current: current && text(current), pagerLinks };
  });
}

// Label and value cells of a notice page (board view, popup, password
// pages): the value in the cell right after the labelled one.
function readFields(p) {
  return p.evaluate(() => {
    const fields = {};
    for (const td of document.querySelectorAll('td')) {
      const next = td.nextElementSibling;
      if (!next || next.tagName !== 'TD' || td.querySelector('table')) continue;
      const label = td.textContent.replace(/[\s\u00a0]+/g, '');
      if (['번호', '날짜', '제목', '게재일'].includes(label) && !(label in fields)) {
        fields[label] = next.textContent.replace(/[\s\u00a0]+/g, ' ').trim();
      }
    }
    // The body is the row right after the first 20-pixel spacer row.
    const body = document.querySelector('tr:has(> td[height="20"] > spacer) + tr > td');
    if (body) fields.body = body.innerText;
    return fields;
  });
}

// The picture links of a view page by their alt text: the anchor's address,
// or null where the picture stands without an anchor.
function pictureLinks(p) {
  return p.evaluate(() => Object.fromEntries([...document.querySelectorAll('img[alt]')]
    .map((img) => [img.alt, img.closest('a')?.href ?? null])));
}

// Compares every row of a list page with the table and the views made.
function assertRows(list, numbers) {
  assert.deepEqual(list.rows.map((r) => r.no), numbers, 'the rows are the expected notices');
  for (const row of list.rows) {
    const n = expected.get(row.no);
    assert.deepEqual(row, { no: n.nyno, title: squeeze(n.title), date: n.nydate, views: n.qty },
      `row of notice ${row.no}`);
  }
}

function assertNotice(fields, n) {
  assert.equal(fields['제목'], squeeze(n.title));
  assert.equal(bodyLines(fields.body), bodyLines(n.bigo), `body of notice ${n.nyno}`);
}

async function gotoList(p, pageNo) {
  const q = pageNo === undefined ? '' : `&page=${pageNo}`;
  await navigating(p, () => p.goto(`${base}/board/Tavrix.exe?action=GongList2${q}`));
  return readList(p);
}

// The title link of a notice on the list: its address ends in the number
// written in four characters, blanks included.
const titleLink = (no) => `a[href*="GongView2"][href$="&nyno=${String(no).padStart(4)}"]`;

const range = (from, to) => Array.from({ length: from - to + 1 }, (_, i) => from - i);

// Types an administrator password into the focused field and sends the form.
async function typePassword(p, field, password, button) {
  assert.equal(await p.evaluate(() => document.activeElement?.name), field,
    'the password field has the focus');
  await p.keyboard.type(password);
  await navigating(p, () => p.click(`input[type=submit][value="${button}"]`));
}

// ---------------------------------------------------------------- the walk

test('the front page box lists the four newest notices and opens one in the popup', async () => {
  await navigating(page, () => page.goto(`${base}/`), 'UTF-8');
  const box = page.frameLocator('iframe#notices');
  const titles = box.locator('a[onclick*="GongView1"]');
  await titles.first().waitFor();
  assert.deepEqual((await titles.allTextContents()).map(squeeze),
    range(NOTICES, NOTICES - 3).map((no) => squeeze(expected.get(no).title)));
  const frame = page.frames().find((f) => f.url().includes('GongList1'));
  assert.equal(await frame.evaluate(() => document.characterSet), 'EUC-KR');
  await shot(page, 'front-page');

  const second = expected.get(NOTICES - 1);
  const [popup] = await Promise.all([context.waitForEvent('page'), titles.nth(1).click()]);
  await popup.waitForLoadState('load');
  assert.equal(await popup.evaluate(() => window.name), 'guest');
  assert.match(popup.url(), /action=GongView1/);
  assert.equal(await popup.evaluate(() => document.characterSet), 'EUC-KR');
  const fields = await readFields(popup);
  assert.equal(fields['게재일'], second.nydate);
  assertNotice(fields, second);
  assert.equal(fields['번호'], undefined, 'the popup shows no number');
  await shot(popup, 'popup');
  second.qty += 1;
  await popup.close();

  assertRows(await gotoList(page), [23, 22, 21]);
});

test('the board list pages, a notice, its neighbours and the way back', async () => {
  let list = await gotoList(page);
  assert.equal(list.heading, '1/3 page');
  assert.equal(list.current, '1');
  assert.deepEqual(list.pagerLinks, [{ text: '2', page: '2' }, { text: '3', page: '3' },
    { text: '마지막', page: '3' }]);
  let links = await pictureLinks(page);
  assert.equal(links['이전'], null, 'no previous page before page 1');
  assert.match(links['다음'], /action=GongList2&page=2$/);
  await shot(page, 'list-page-1');

  await navigating(page, () => page.click('font[color=orangered] ~ a:text-is("2")'));
  list = await readList(page);
  assert.equal(list.heading, '2/3 page');
  assert.equal(list.current, '2');
  assert.deepEqual(list.pagerLinks.map((l) => l.text), ['처음', '1', '3', '마지막']);
  assertRows(list, range(20, 11));
  await shot(page, 'list-page-2');

  // Notice 15, then the newer one (이전), then twice the older one (다음).
  await navigating(page, () => page.click(titleLink(15)));
  const walk = [15];
  const steps = [['이전', 16], ['다음', 15], ['다음', 14]];
  let fields = await readFields(page);
  assert.equal(fields['번호'], '15');
  assert.equal(fields['날짜'], expected.get(15).nydate);
  assertNotice(fields, expected.get(15));
  await shot(page, 'view-15');
  for (const [picture, no] of steps) {
    await navigating(page, () => page.click(`a:has(> img[alt="${picture}"])`));
    fields = await readFields(page);
    assert.equal(fields['번호'], String(no), `${picture} leads to notice ${no}`);
    assertNotice(fields, expected.get(no));
    walk.push(no);
  }
  await shot(page, 'view-14-after-neighbours');
  for (const no of walk) expected.get(no).qty += 1;

  await navigating(page, () => page.click('a:has(> img[alt="목록"])'));
  list = await readList(page);
  assert.equal(list.heading, '2/3 page', 'the list link returns to the page the walk came from');
  assertRows(list, range(20, 11));
  await shot(page, 'list-page-2-counted');

  // The oldest notice has no older neighbour; the last page no next page.
  await navigating(page, () => page.click('a:has(> img[alt="다음"])'));
  list = await readList(page);
  assert.equal(list.heading, '3/3 page');
  assertRows(list, range(10, 1));
  assert.equal((await pictureLinks(page))['다음'], null, 'no next page after the last');
  await navigating(page, () => page.click(titleLink(1)));
  expected.get(1).qty += 1;
  links = await pictureLinks(page);
  assert.equal(links['다음'], null, 'the oldest notice has no older neighbour');
  assert.match(links['이전'], /nyno=P/);
  assertRows(await gotoList(page, 3), range(10, 1));
});

test('an administrator adds, edits and deletes a notice with a Korean title', async () => {
  const title = '한글 제목: 시험 공지 (새 글)';
  const body = ['첫째 줄입니다.', '둘째 줄 - 안녕하세요.'];

  // Add: the write link, the password page, the editor.
  await gotoList(page);
  await navigating(page, () => page.click('a:has(> img[src="image/im_write.gif"])'));
  await shot(page, 'new-password');
  await typePassword(page, 'password', PASSWORDS[0], ' 확 인 ');
  assert.equal(await page.evaluate(() => document.activeElement?.name), 'title');
  await page.keyboard.type(title);
  await page.fill('textarea[name=bigo]', body.join('\n'));
  await shot(page, 'new-editor');
  await navigating(page, () => page.click('input[type=submit][value=" 등 록 "]'));
  let list = await readList(page);
  assert.equal(list.heading, '1/3 page');
  const added = list.rows[0];
  assert.equal(added.no, NOTICES + 1);
  assert.equal(added.title, title);
  assert.equal(added.views, 0);
  const stored = exportTable().get(NOTICES + 1);
  assert.equal(stored.title, title, 'the table holds the typed title');
  assert.equal(added.date, stored.nydate);
  const today = new Date();
  assert.deepEqual(added.date.match(/\d+/g).map(Number).sort((a, b) => a - b),
    [today.getDate(), today.getMonth() + 1, today.getFullYear()].sort((a, b) => a - b),
    'a new notice is dated today');
  expected.set(stored.nyno, stored);
  assertRows(list, [24, 23, 22, 21]);
  await shot(page, 'new-listed');

  // Edit: view, 수정, password, editor filled with the notice, change, save.
  await navigating(page, () => page.click(titleLink(stored.nyno)));
  stored.qty += 1;
  assertNotice(await readFields(page), stored);
  await navigating(page, () => page.click('a:has(> img[alt="수정"])'));
  assert.equal((await readFields(page))['제목'], title, 'the password page names the notice');
  await typePassword(page, 'password', PASSWORDS[1], ' 수 정 ');
  assert.equal((await page.inputValue('input[name=title]')).replace(/\u00a0/g, ' '), title);
  assert.equal(bodyLines(await page.inputValue('textarea[name=bigo]')), body.join('\n'));
  const newTitle = '고친 제목: 수정된 공지';
  const newBody = ['고친 내용입니다.', '', '끝.'];
  await page.fill('input[name=title]', '');
  await page.keyboard.type(newTitle);
  await page.fill('textarea[name=bigo]', newBody.join('\n'));
  await shot(page, 'edit-editor');
  await navigating(page, () => page.click('input[type=submit][value=" 등 록 "]'));
  const fields = await readFields(page);
  assert.equal(fields['번호'], String(stored.nyno));
  assert.equal(fields['제목'], newTitle);
  assert.equal(bodyLines(fields.body), newBody.join('\n'));
  await shot(page, 'edit-saved');
  stored.title = newTitle;
  stored.bigo = newBody.join('\r\n');
  await navigating(page, () => page.click('a:has(> img[alt="목록"])'));
  assertRows(await readList(page), [24, 23, 22, 21]);

  // Delete: view, 삭제, password, the list without it.
  await navigating(page, () => page.click(titleLink(stored.nyno)));
  stored.qty += 1;
  await navigating(page, () => page.click('a:has(> img[alt="삭제"])'));
  assert.match(await page.textContent('body'), /위의 글을 정말로 삭제하시겠습니까\?/);
  assert.equal((await readFields(page))['번호'], String(stored.nyno));
  await shot(page, 'delete-password');
  await typePassword(page, 'pwd', PASSWORDS[0], ' 삭 제 ');
  expected.delete(stored.nyno);
  list = await readList(page);
  assert.equal(list.heading, '1/3 page');
  assertRows(list, [23, 22, 21]);
  assert.ok(!(await page.textContent('body')).includes(newTitle), 'the deleted title is gone');
  assert.equal(exportTable().has(stored.nyno), false);
  await shot(page, 'deleted');
});

test('a refused password changes nothing', async () => {
  const cases = [
    { name: 'new', open: () => page.click('a:has(> img[src="image/im_write.gif"])'),
      field: 'password', button: ' 확 인 ', message: '귀하는 신규등록할 수 없습니다.' },
    { name: 'edit', open: () => page.click('a:has(> img[alt="수정"])'),
      field: 'password', button: ' 수 정 ', message: '귀하는 수정할 수 없습니다.' },
    { name: 'delete', open: () => page.click('a:has(> img[alt="삭제"])'),
      field: 'pwd', button: ' 삭 제 ', message: '귀하는 삭제할 수 없습니다.' },
  ];
  const was = exportTable();
  for (const c of cases) {
    await gotoList(page);
    if (c.name !== 'new') {
      await navigating(page, () => page.click(titleLink(NOTICES)));
      expected.get(NOTICES).qty += 1;
    }
    await navigating(page, c.open);
    await typePassword(page, c.field, '0000000', c.button);
    assert.equal(await page.title(), 'PASSWORD MISMATCH');
    const shown = (await page.locator('p').allTextContents()).map(squeeze);
    assert.deepEqual(shown, ['비밀번호가 틀립니다.', c.message]);
    await shot(page, `refused-${c.name}`);
  }
  const after = exportTable();
  assert.equal(after.size, was.size);
  for (const [no, n] of after) {
    assert.deepEqual({ ...n, qty: 0 }, { ...was.get(no), qty: 0 }, `notice ${no} is unchanged`);
  }
  assertRows(await gotoList(page), [23, 22, 21]);
});

// The editor writes the stored title's spaces as "&nbsp;", which a browser
// turns into U+00A0; EUC-KR has no such character, so a browser submits it
// as "&#160;". A title left as it is in an edit must come back with its
// spaces.
test('an edit that leaves the title alone keeps its spaces', async () => {
  const notice = expected.get(21);
  assert.match(notice.title, / /, 'the seeded title has spaces');
  await gotoList(page);
  await navigating(page, () => page.click(titleLink(21)));
  await navigating(page, () => page.click('a:has(> img[alt="수정"])'));
  await typePassword(page, 'password', PASSWORDS[0], ' 수 정 ');
  await page.fill('textarea[name=bigo]', '본문만 고쳤습니다.');
  await navigating(page, () => page.click('input[type=submit][value=" 등 록 "]'));
  assert.equal(exportTable().get(21).title, notice.title);
  assert.equal((await readFields(page))['제목'], squeeze(notice.title));
  await shot(page, 'edit-title-untouched');
});
