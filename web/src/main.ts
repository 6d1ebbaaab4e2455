// The page: open an image, edit its tables in a grid, download the image or a
// patch. The image stays in this page; nothing is sent anywhere.
import { Core, type TableInfo } from './core';
import { Grid } from './grid';

const $ = <T extends HTMLElement>(id: string) => document.getElementById(id) as T;

const openInput = $<HTMLInputElement>('open');
const alertBox = $<HTMLDivElement>('alert');
const statusBox = $<HTMLDivElement>('status');
const headerOffer = $<HTMLDivElement>('header-offer');
const editor = $<HTMLElement>('editor');
const tableSelect = $<HTMLSelectElement>('table');
const filterInput = $<HTMLInputElement>('filter');
const changesList = $<HTMLOListElement>('changes');
const undoButton = $<HTMLButtonElement>('undo');
const redoButton = $<HTMLButtonElement>('redo');
const saveName = $<HTMLInputElement>('save-name');
const patchFormat = $<HTMLSelectElement>('patch-format');
const applyInput = $<HTMLInputElement>('apply-patch');
const infoButton = $<HTMLButtonElement>('info-button');
const infoPanel = $<HTMLElement>('info');

let core: Core;
let tables: TableInfo[] = [];
let grid: Grid;
let imageName = '';
let heldName = '';  // a headered file waiting for the user's answer

function tell(message: string): void {
  statusBox.textContent = message;
}

function refuse(message: string): void {
  alertBox.textContent = message;
  alertBox.hidden = false;
}

function clearAlert(): void {
  alertBox.textContent = '';
  alertBox.hidden = true;
}

function baseName(name: string): string {
  const dot = name.lastIndexOf('.');
  return dot > 0 ? name.slice(0, dot) : name;
}

function download(bytes: Uint8Array, name: string): void {
  const url = URL.createObjectURL(new Blob([bytes as Uint8Array<ArrayBuffer>], { type: 'application/octet-stream' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 0);
}

function showTable(key: string): void {
  const table = tables.find((t) => t.key === key);
  if (!table) return;
  performance.mark('table-start');
  grid.show(table, () => performance.mark('table-complete'));
  if (filterInput.value) grid.filter(filterInput.value);
  performance.mark('table-shown');
  // the frame after the one that shows the table: for the benchmark
  requestAnimationFrame(() => setTimeout(() => performance.mark('table-painted')));
}

function showChanges(): void {
  const list = core.changes();
  changesList.replaceChildren(
    ...list.steps.map((step) => {
      const item = document.createElement('li');
      if (step.undone) item.className = 'undone';
      for (const line of step.lines) {
        const row = document.createElement('div');
        row.textContent = line;
        item.append(row);
      }
      if (step.undone) {
        const mark = document.createElement('span');
        mark.className = 'undone-mark';
        mark.textContent = '(undone)';
        item.append(mark);
      }
      return item;
    }),
  );
  undoButton.disabled = !list.canUndo;
  redoButton.disabled = !list.canRedo;
}

function imageChanged(): void {
  grid.refresh();
  showChanges();
  if (!infoPanel.hidden) showInfo();
}

function accepted(name: string): void {
  imageName = name;
  saveName.value = name;
  clearAlert();
  headerOffer.hidden = true;
  editor.hidden = false;
  document.title = `Veldra Forge — ${name}`;
  $('image-name').textContent = name;
  infoPanel.hidden = true;
  infoButton.setAttribute('aria-expanded', 'false');
  showTable(tableSelect.value);
  showChanges();
  tell(`${name} is open.`);
}

async function openFile(file: File): Promise<void> {
  performance.mark('open-start');
  const large = core.tooLarge(file);
  if (large) {
    refuse(`This is not a Veldra Saga ROM. (${large})` + (imageName ? ` (still editing ${imageName})` : ''));
    return;
  }
  const bytes = new Uint8Array(await file.arrayBuffer());
  const answer = core.open(file.name, bytes);
  if (answer.status === 'ok') {
    accepted(answer.name);
    return;
  }
  if (answer.status === 'header') {
    heldName = file.name;
    clearAlert();
    $('header-message').textContent = answer.message;
    headerOffer.hidden = false;
    $<HTMLButtonElement>('drop-header').focus();
    return;
  }
  // the image open before, if any, stays open
  refuse(answer.message + (imageName ? ` (still editing ${imageName})` : ''));
}

function showInfo(): void {
  const info = core.info();
  const list = $<HTMLDListElement>('facts');
  list.replaceChildren(
    ...info.lines.flatMap((line) => {
      const term = document.createElement('dt');
      term.textContent = line.label;
      const text = document.createElement('dd');
      text.textContent = line.text;
      return [term, text];
    }),
  );
  $<HTMLButtonElement>('fix-checksum').disabled = info.checksumOk;
  infoPanel.hidden = false;
  infoButton.setAttribute('aria-expanded', 'true');
}

function wire(): void {
  openInput.addEventListener('change', () => {
    const file = openInput.files?.[0];
    if (file) void openFile(file);
    openInput.value = '';
  });
  // a file dropped anywhere on the page opens as if chosen
  document.addEventListener('dragover', (e) => e.preventDefault());
  document.addEventListener('drop', (e) => {
    e.preventDefault();
    const file = e.dataTransfer?.files?.[0];
    if (file) void openFile(file);
  });
  $('drop-header').addEventListener('click', () => {
    const answer = core.dropHeader(heldName);
    if (answer.ok) accepted(answer.name);
    else refuse(answer.reason);
  });
  $('keep-header').addEventListener('click', () => {
    headerOffer.hidden = true;
    tell('Nothing was opened.');
  });
  tableSelect.addEventListener('change', () => showTable(tableSelect.value));
  filterInput.addEventListener('input', () => grid.filter(filterInput.value));
  undoButton.addEventListener('click', () => {
    const answer = core.undo();
    if (!answer.ok) refuse(answer.reason);
    imageChanged();
  });
  redoButton.addEventListener('click', () => {
    const answer = core.redo();
    if (!answer.ok) refuse(answer.reason);
    imageChanged();
  });
  $('download-image').addEventListener('click', () => {
    download(core.image(), saveName.value.trim() || imageName);
  });
  $('download-patch').addEventListener('click', () => {
    const format = patchFormat.value;
    const name = `${baseName(saveName.value.trim() || imageName)}.${format}`;
    const patch = core.patch(format, name);
    if (patch instanceof Uint8Array) {
      clearAlert();
      download(patch, name);
    } else refuse(patch.reason);
  });
  applyInput.addEventListener('change', async () => {
    const file = applyInput.files?.[0];
    applyInput.value = '';
    if (!file) return;
    const large = core.tooLarge(file);
    if (large) {
      refuse(large);
      return;
    }
    const answer = core.applyPatch(file.name, new Uint8Array(await file.arrayBuffer()));
    if (!answer.ok) {
      refuse(answer.reason);
      return;
    }
    clearAlert();
    tell(answer.changed ? `${file.name} applied.` : `${file.name} changes nothing in this image.`);
    imageChanged();
  });
  infoButton.addEventListener('click', () => {
    if (infoPanel.hidden) showInfo();
    else {
      infoPanel.hidden = true;
      infoButton.setAttribute('aria-expanded', 'false');
    }
  });
  $('fix-checksum').addEventListener('click', () => {
    const answer = core.fixChecksum();
    if (!answer.ok) refuse(answer.reason);
    else if (answer.message) tell(answer.message);
    imageChanged();
  });
}

async function start(): Promise<void> {
  core = await Core.load();
  tables = core.tables();
  for (const table of tables) tableSelect.add(new Option(table.caption, table.key));
  grid = new Grid(core, $<HTMLTableElement>('grid'), $('lists'), { stored: showChanges });
  grid.addLists(tables);
  wire();
  openInput.disabled = false;
  document.body.dataset.ready = 'true';
}

start().catch((error: unknown) => refuse(`The editor could not start: ${String(error)}`));
