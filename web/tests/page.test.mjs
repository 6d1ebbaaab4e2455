// The page driven as a user drives it, in Debian's chromium: its results are
// compared byte for byte with what veldra-cli makes of the same input.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import {
  cell, cellText, chooseTable, differingPositions, downloadFrom, makeSample, openBrowser, openImage, readFileSync,
  recordRanges, scratch, site, tool, toolReason, toolSet, typeInto, writeFileSync,
} from './support.mjs';

let browser;
let page;
let files;
let sample;

before(async () => {
  files = scratch();
  sample = makeSample(files.path('sample.sfc'));
  browser = await openBrowser();
  page = browser.page;
});

after(async () => {
  await browser?.close();
  files?.remove();
});

async function freshPage(image = sample) {
  await browser.load();
  await openImage(page, image);
  await page.locator('#grid [data-key]').first().waitFor();
  await page.locator('#grid:not([aria-busy])').waitFor({ state: 'attached' });
}

// one edit of each kind of field: a byte, a word, a bit, a list label, a name, a chest
const edits = [
  ['weapons', 4, 'attack', '120'],
  ['enemy-stats', 7, 'hp', '&H1F4'],
  ['consumables', 3, 'key-item', false],
  ['weapons', 2, 'inflicted-status', "Random 'slow'"],
  ['enemy-names', 5, 'name', 'Slime 2'],
  ['chests', 3, 'type', 'gold'],
  ['chests', 3, 'value', '0x1F4'],
  ['gato', 0, 'gato', '0x10'],
];

async function makeEdit([table, index, key, value]) {
  if (typeof value === 'boolean') {
    await chooseTable(page, table);
    const box = cell(page, table, index, key);
    if ((await box.isChecked()) !== value) await box.click();
    await assert.equal(await box.isChecked(), value);
  } else {
    await typeInto(page, table, index, key, value);
    await assert.equal(await cell(page, table, index, key).getAttribute('aria-invalid'), null, `${table}[${index}].${key}`);
  }
}

describe('the web edition', () => {
  test('shows every table as the tool names it, one row per entry', async () => {
    await freshPage();
    const tables = JSON.parse(tool('tables', '--json').out);
    const options = await page.locator('#table option').evaluateAll((o) => o.map((x) => x.value));
    assert.deepEqual(options, tables.map((t) => t.name));
    for (const table of tables) {
      await chooseTable(page, table.name);
      assert.equal(await page.locator('#grid tbody tr').count(), table.count, table.name);
      const keys = await page.locator('#grid tbody tr').first().locator('[data-key]')
        .evaluateAll((cells) => cells.map((c) => c.dataset.key));
      assert.deepEqual(keys, table.fields.map((f) => f.key), table.name);
    }
    // a row's first cell names the entry as the window's list does; a list field shows its label
    await chooseTable(page, 'weapons');
    assert.equal(await page.locator('#grid tbody tr').nth(4).locator('th').innerText(), '{Sword} Sword 4');
    assert.equal(await cellText(page, 'weapons', 2, 'inflicted-status'), '4x damage at critical');
    assert.equal(await page.getByRole('grid').count(), 1);
  });

  test('cells edited in several tables download as veldra-cli set writes them, nothing else changed', async () => {
    await freshPage();
    for (const edit of edits) await makeEdit(edit);
    const image = await downloadFrom(page, 'Download image', files.dir);
    assert.equal(image.name, 'sample.sfc');
    const expected = toolSet(sample, files.path('tool.sfc'), edits.map(([t, i, k, v]) => [t, i, `${k}=${v}`]));
    assert.ok(image.bytes.equals(expected), 'the page and the tool wrote different bytes');
    const ranges = recordRanges(edits.map(([t, i]) => [t, i]));
    const outside = differingPositions(readFileSync(sample), image.bytes)
      .filter((p) => !ranges.some(([first, end]) => p >= first && p < end));
    assert.deepEqual(outside, []);
    // the cell shows what was stored, read back from the image
    await chooseTable(page, 'enemy-stats');
    assert.equal(await cellText(page, 'enemy-stats', 7, 'hp'), '500');
    // a name given to Download image is used
    await page.getByLabel('File name').fill('my hack.sfc');
    assert.equal((await downloadFrom(page, 'Download image', files.dir)).name, 'my hack.sfc');
  });

  test('a refused value stays in its cell with the tool\'s reason, and nothing is stored', async () => {
    await freshPage();
    const refusals = [
      ['weapons', 4, 'attack', 'abc'],
      ['enemy-stats', 7, 'hp', '70000'],
      ['weapons', 2, 'inflicted-status', 'No such status'],
      ['enemy-names', 5, 'name', 'ABCDEFGHIJKLM'],
      ['chests', 3, 'value', '600'],
    ];
    for (const [table, index, key, text] of refusals) {
      await typeInto(page, table, index, key, text);
      const input = page.locator('#grid input.editor');
      assert.equal(await input.getAttribute('aria-invalid'), 'true', `${table}.${key}`);
      assert.equal(await input.inputValue(), text);
      const reason = await page.locator(`#${await input.getAttribute('aria-describedby')}`).textContent();
      assert.equal(reason, toolReason(sample, table, index, `${key}=${text}`));
      // leaving the cell keeps the refused text there, marked; Escape in it gives back what the image holds
      await page.getByLabel('Filter').focus();
      assert.equal(await cell(page, table, index, key).getAttribute('aria-invalid'), 'true');
      assert.equal(await cellText(page, table, index, key), text);
      await cell(page, table, index, key).click();
      await page.keyboard.press('Escape');
      assert.equal(await input.getAttribute('aria-invalid'), null);
      assert.notEqual(await input.inputValue(), text);
      await page.getByLabel('Filter').focus();
      assert.equal(await cell(page, table, index, key).getAttribute('aria-invalid'), null);
    }
    assert.equal(await page.locator('#changes li').count(), 0);
    assert.ok((await downloadFrom(page, 'Download image', files.dir)).bytes.equals(readFileSync(sample)));
  });

  test('the changes panel lists changes as the tool prints them; undo and redo step through them', async () => {
    await freshPage();
    await typeInto(page, 'weapons', 4, 'attack', '120');
    await typeInto(page, 'armor', 1, 'defense', '7');
    writeFileSync(files.path('dry.sfc'), readFileSync(sample));
    const lines = [
      tool('set', files.path('dry.sfc'), 'weapons', '4', 'attack=120', '--dry-run').out.trim(),
      tool('set', files.path('dry.sfc'), 'armor', '1', 'defense=7', '--dry-run').out.trim(),
    ];
    assert.deepEqual(await page.locator('#changes li').allInnerTexts(), lines);

    const undo = page.getByRole('button', { name: 'Undo' });
    const redo = page.getByRole('button', { name: 'Redo' });
    await undo.click();
    await undo.click();
    assert.ok(await undo.isDisabled());
    assert.equal(await page.locator('#changes li.undone').count(), 2);
    assert.ok((await downloadFrom(page, 'Download image', files.dir)).bytes.equals(readFileSync(sample)));
    await redo.click();
    await chooseTable(page, 'weapons');
    assert.equal(await cellText(page, 'weapons', 4, 'attack'), '120');
    const once = toolSet(sample, files.path('once.sfc'), [['weapons', 4, 'attack=120']]);
    assert.ok((await downloadFrom(page, 'Download image', files.dir)).bytes.equals(once));
    // a new change forgets the change still undone
    await typeInto(page, 'weapons', 5, 'attack', '9');
    assert.ok(await redo.isDisabled());
    assert.equal(await page.locator('#changes li').count(), 2);
  });

  test('a downloaded patch, applied by veldra-cli, gives the downloaded image; the page applies the tool\'s patch', async () => {
    await freshPage();
    await typeInto(page, 'weapons', 4, 'attack', '120');
    await typeInto(page, 'enemy-names', 5, 'name', 'Slime 2');
    const image = await downloadFrom(page, 'Download image', files.dir);
    for (const format of ['bps', 'ips']) {
      await page.getByLabel('Patch format').selectOption(format);
      const patch = await downloadFrom(page, 'Download patch', files.dir);
      assert.equal(patch.name, `sample.${format}`);
      const out = files.path(`applied-${format}.sfc`);
      const run = tool('patch', 'apply', sample, patch.path, '--output', out);
      assert.equal(run.status, 0, run.err);
      assert.ok(readFileSync(out).equals(image.bytes), format);
    }

    // the other way: a patch the tool made, applied on the page as one undoable change
    const target = toolSet(sample, files.path('target.sfc'), [['armor', 2, 'defense=9'], ['gato', 0, 'gato=3']]);
    assert.equal(tool('patch', 'create', sample, files.path('target.sfc'), '--output', files.path('t.bps')).status, 0);
    await freshPage();
    await page.getByLabel('Apply patch').setInputFiles(files.path('t.bps'));
    await page.locator('#changes li').first().waitFor();
    assert.ok((await downloadFrom(page, 'Download image', files.dir)).bytes.equals(target));
    await page.getByRole('button', { name: 'Undo' }).click();
    assert.ok((await downloadFrom(page, 'Download image', files.dir)).bytes.equals(readFileSync(sample)));

    // a BPS made for another image is refused with the tool's reason, nothing changed
    const other = Buffer.from(readFileSync(sample));
    other[0x200] ^= 0xff;
    writeFileSync(files.path('other.sfc'), other);
    const wrong = tool('patch', 'apply', files.path('other.sfc'), files.path('t.bps'), '--output', files.path('x.sfc'));
    assert.equal(wrong.status, 1);
    await freshPage(files.path('other.sfc'));
    await page.getByLabel('Apply patch').setInputFiles(files.path('t.bps'));
    await assert.doesNotReject(page.getByRole('alert').waitFor());
    const shown = await page.getByRole('alert').textContent();
    assert.equal(shown, wrong.err.replace(/^veldra-cli: /, '').trim().replaceAll(files.path('t.bps'), 't.bps')
      .replaceAll(files.path('other.sfc'), 'other.sfc'));
    assert.equal(await page.locator('#changes li').count(), 0);
  });

  test('a file that is not the game\'s image is refused with the desktop\'s message', async () => {
    await browser.load();
    const cases = [
      ['noise.bin', Buffer.alloc(0x20000, 0x5a), 'This is not a Veldra Saga ROM.'],
      ['short.bin', Buffer.alloc(16, 1), /^This is not a Veldra Saga ROM\. \(.*short.*\)$/],
      ['huge.bin', Buffer.alloc((64 << 20) + 1), /^This is not a Veldra Saga ROM\. \(.*larger than 64 MiB.*\)$/],
    ];
    for (const [name, bytes, message] of cases) {
      writeFileSync(files.path(name), bytes);
      await openImage(page, files.path(name));
      const alert = page.getByRole('alert');
      await alert.waitFor();
      if (typeof message === 'string') assert.equal(await alert.textContent(), message);
      else assert.match(await alert.textContent(), message);
      assert.ok(await page.locator('#editor').isHidden());
    }
    // with an image open, a refused file leaves it open
    await openImage(page, sample);
    await page.locator('#grid [data-key]').first().waitFor();
    await page.locator('#grid:not([aria-busy])').waitFor({ state: 'attached' });
    await openImage(page, files.path('noise.bin'));
    await page.getByRole('alert').waitFor();
    assert.match(await page.getByRole('alert').textContent(), /\(still editing sample\.sfc\)$/);
    assert.ok(await page.locator('#editor').isVisible());
  });

  test('a copier header is offered to be dropped; the image opens without it', async () => {
    await browser.load();
    writeFileSync(files.path('headered.smc'), Buffer.concat([Buffer.alloc(512), readFileSync(sample)]));
    await openImage(page, files.path('headered.smc'));
    await page.getByText('carries a 512-byte copier header').waitFor();
    await page.getByRole('button', { name: 'Open without the header' }).click();
    await page.locator('#grid [data-key]').first().waitFor();
    await page.locator('#grid:not([aria-busy])').waitFor({ state: 'attached' });
    const image = await downloadFrom(page, 'Download image', files.dir);
    assert.ok(image.bytes.equals(readFileSync(sample)));
  });

  test('a file dropped on the page opens as a chosen one does; a dropped non-image is refused', async () => {
    await browser.load();
    const drop = async (name, bytes) => {
      const transfer = await page.evaluateHandle(([fileName, base64]) => {
        const data = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
        const dt = new DataTransfer();
        dt.items.add(new File([data], fileName));
        return dt;
      }, [name, bytes.toString('base64')]);
      await page.dispatchEvent('body', 'drop', { dataTransfer: transfer });
    };
    await drop('dropped.sfc', readFileSync(sample));
    await page.locator('#grid [data-key]').first().waitFor();
    await page.locator('#grid:not([aria-busy])').waitFor({ state: 'attached' });
    await chooseTable(page, 'weapons');
    const attack = JSON.parse(tool('get', sample, 'weapons', '4', '--json').out).values.attack;
    assert.equal(await cellText(page, 'weapons', 4, 'attack'), String(attack));
    await drop('noise.bin', Buffer.alloc(0x20000, 0x5a));
    await page.getByRole('alert').waitFor();
    assert.match(await page.getByRole('alert').textContent(), /^This is not a Veldra Saga ROM\. \(still editing dropped\.sfc\)$/);
  });

  test('the filter narrows rows by words or by number, decimal or hexadecimal', async () => {
    await freshPage();
    await chooseTable(page, 'enemy-stats');
    const shownRows = () => page.locator('#grid tbody tr:not([hidden]) th').allInnerTexts();
    for (const [filter, expected] of [['0A', ['0A - Enemy 0A']], ['10', ['0A - Enemy 0A', '10 - Enemy 10']], ['enemy 1f', ['1F - Enemy 1F']]]) {
      await page.getByLabel('Filter').fill(filter);
      assert.deepEqual(await shownRows(), expected, filter);
    }
    // the filter stays when the table changes, and emptying it shows every row
    await chooseTable(page, 'enemy-rewards');
    assert.deepEqual(await shownRows(), ['1F - Enemy 1F']);
    await page.getByLabel('Filter').fill('');
    assert.equal((await shownRows()).length, 256);
  });

  test('works with the keyboard alone: Tab between cells, Enter stores, Escape cancels', async () => {
    await freshPage();
    await chooseTable(page, 'weapons');
    const focusedKey = () => page.evaluate(() => document.activeElement.closest('td')?.dataset.key);
    await cell(page, 'weapons', 4, 'attack').focus();
    await page.keyboard.press('Tab');
    assert.equal(await focusedKey(), 'always-0');
    await page.keyboard.press('Shift+Tab');
    assert.equal(await focusedKey(), 'attack');
    await page.keyboard.type('77');  // the cell's text is selected: typing replaces it
    await page.keyboard.press('Escape');
    assert.equal(await cellText(page, 'weapons', 4, 'attack'), '80');
    await page.keyboard.press('ControlOrMeta+a');
    await page.keyboard.type('12');
    await page.keyboard.press('Tab');  // leaving the cell stores it
    assert.equal(await page.locator('#changes li').allInnerTexts().then((l) => l.join()), 'weapons[4].attack: 80 -> 12');
    assert.equal(await focusedKey(), 'always-0');
    assert.equal(await cellText(page, 'weapons', 4, 'attack'), '12');
  });

  test('image info shows the facts of veldra-cli info; Fix checksum writes what checksum --fix writes', async () => {
    await freshPage();
    await typeInto(page, 'weapons', 4, 'attack', '120');
    await page.getByRole('button', { name: 'Image info' }).click();
    const facts = await page.locator('#facts').evaluate((dl) =>
      [...dl.querySelectorAll('dt')].map((dt) => `${dt.textContent}: ${dt.nextElementSibling.textContent}`));
    const edited = toolSet(sample, files.path('info.sfc'), [['weapons', 4, 'attack=120']]);
    const info = tool('info', files.path('info.sfc')).out.trim().split('\n').filter((l) => !l.startsWith('Path: '));
    assert.deepEqual(facts, info);
    await page.getByRole('button', { name: 'Fix checksum' }).click();
    const fixed = tool('checksum', files.path('info.sfc'), '--fix');
    assert.equal(fixed.status, 0, fixed.err);
    assert.notDeepEqual(readFileSync(files.path('info.sfc')), edited);
    assert.ok((await downloadFrom(page, 'Download image', files.dir)).bytes.equals(readFileSync(files.path('info.sfc'))));
    assert.ok(await page.getByRole('button', { name: 'Fix checksum' }).isDisabled());
  });

  test('reads well in the light and the dark system theme: text stands out from its background', async () => {
    await freshPage();
    await typeInto(page, 'weapons', 4, 'attack', '300');  // a refused value shows its reason
    await page.locator('#grid .reason').first().waitFor();
    const backgrounds = {};
    for (const scheme of ['light', 'dark']) {
      await page.emulateMedia({ colorScheme: scheme });
      const measured = await page.evaluate(() => {
        const rgb = (text) => text.match(/[\d.]+/g).slice(0, 3).map(Number);
        const luminance = ([r, g, b]) => {
          const lin = (c) => ((c /= 255) <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4);
          return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b);
        };
        // the first ancestor that paints a background
        const backgroundOf = (element) => {
          for (let e = element; e; e = e.parentElement) {
            const color = getComputedStyle(e).backgroundColor;
            if (!/rgba\(.*, 0\)$/.test(color) && color !== 'transparent') return color;
          }
          return 'rgb(255, 255, 255)';
        };
        const pick = {
          page: document.body,
          'column heading': document.querySelector('#grid thead th'),
          'entry name': document.querySelector('#grid tbody th'),
          cell: document.querySelector('#grid td[data-key]:not([aria-invalid])'),
          'refusal reason': document.querySelector('#grid .reason'),
        };
        const out = {};
        for (const [what, element] of Object.entries(pick)) {
          const fg = luminance(rgb(getComputedStyle(element).color));
          const bg = luminance(rgb(backgroundOf(element)));
          out[what] = (Math.max(fg, bg) + 0.05) / (Math.min(fg, bg) + 0.05);
        }
        return { ratios: out, page: getComputedStyle(document.body).backgroundColor };
      });
      for (const [what, ratio] of Object.entries(measured.ratios))
        assert.ok(ratio >= 4.5, `${scheme}: ${what} has a contrast of ${ratio.toFixed(2)}, less than 4.5`);
      backgrounds[scheme] = measured.page;
    }
    assert.notEqual(backgrounds.light, backgrounds.dark, 'the dark theme must change the page');
    await page.emulateMedia({ colorScheme: 'light' });
  });

  test('at 200 % zoom in a 1280x720 window every control is within the width and a cell still takes a value', async () => {
    // 200 % zoom: the same window holds half as many CSS pixels
    await page.setViewportSize({ width: 640, height: 360 });
    try {
      await freshPage();
      const overflow = await page.evaluate(() => document.scrollingElement.scrollWidth - document.scrollingElement.clientWidth);
      assert.ok(overflow <= 1, `the page scrolls sideways by ${overflow} px`);
      const controls = [
        page.getByLabel('Open image'), page.getByLabel('Table', { exact: true }), page.getByLabel('Filter'),
        page.getByRole('button', { name: 'Undo' }), page.getByRole('button', { name: 'Redo' }),
        page.getByRole('button', { name: 'Download image' }), page.getByRole('button', { name: 'Download patch' }),
        page.getByLabel('Apply patch'), page.getByRole('button', { name: 'Image info' }),
      ];
      for (const control of controls) {
        const box = await control.evaluate((e) => {
          const r = (e.closest('label') ?? e).getBoundingClientRect();
          return { left: r.left, right: r.right, width: r.width };
        });
        assert.ok(box.width > 0 && box.left >= 0 && box.right <= 641, `${await control.evaluate((e) => e.id || e.textContent)} lies at ${box.left}..${box.right}`);
      }
      await typeInto(page, 'weapons', 2, 'attack', '61');
      assert.equal(await cellText(page, 'weapons', 2, 'attack'), '61');
      assert.equal(await page.locator('#changes li').count(), 1);
    } finally {
      await page.setViewportSize({ width: 1280, height: 720 });
    }
  });

  test('makes no network request besides loading its own files, and raises no script error', () => {
    const origin = browser.server.url;
    const foreign = browser.requests.filter((url) => !url.startsWith(origin) && !url.startsWith('blob:') && !url.startsWith('data:'));
    assert.deepEqual(foreign, []);
    assert.ok(browser.requests.length > 0);
    assert.deepEqual(browser.errors, []);
    assert.ok(site);
  });
});
