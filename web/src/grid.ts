// The table grid: one row per entry, the entry's name first, one column per
// field. Each editable cell is an input carrying data-table, data-index and
// data-key; Enter or leaving the cell stores its text through the core,
// Escape puts back what the image holds.
import type { Cell, Core, FieldInfo, TableInfo } from './core';

const escapes: Record<string, string> = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' };
const escapeHtml = (text: string) => text.replace(/[&<>"']/g, (c) => escapes[c]);

export interface GridEvents {
  // a value was stored (the changes panel follows)
  stored(): void;
}

// Rows put in at once when a table is shown (more than a 1280x720 window
// holds); the rest follow in batches, a frame each, so that the first screen
// is there at once even for the 256 rows of the enemy tables.
const kFirstRows = 40;
const kBatchRows = 48;

export class Grid {
  private table: TableInfo | null = null;
  private reasonCount = 0;
  // the rows of the shown table not yet in the page, and the show they belong to
  private pending: { names: string[]; rows: (Cell[] | null)[]; next: number } | null = null;
  private showing = 0;
  private shownByFilter: Set<number> | null = null;
  private staleWhileFilling = false;

  constructor(
    private readonly core: Core,
    private readonly element: HTMLTableElement,
    private readonly lists: HTMLElement,
    private readonly events: GridEvents,
  ) {
    element.addEventListener('focusin', (e) => this.onFocus(e));
    element.addEventListener('keydown', (e) => this.onKey(e));
    element.addEventListener('focusout', (e) => this.onLeave(e));
    element.addEventListener('change', (e) => this.onToggle(e));
  }

  // Builds the datalists that list fields offer, once per list.
  addLists(tables: TableInfo[]): void {
    const made = new Set<string>();
    let html = '';
    for (const table of tables) {
      for (const field of table.fields) {
        const id = listId(table, field);
        if (!id || made.has(id)) continue;
        made.add(id);
        const labels = field.values ? field.values.map((v) => v.label) : table.chestTypes;
        html += `<datalist id="${id}">${labels.map((l) => `<option value="${escapeHtml(l)}"></option>`).join('')}</datalist>`;
      }
    }
    this.lists.innerHTML = html;
  }

  // Shows a table: its first rows at once, the others in the frames after
  // (the grid is aria-busy until every row is in; `complete` is called then).
  show(table: TableInfo, complete?: () => void): void {
    this.table = table;
    const show = ++this.showing;
    const { names, rows } = this.core.rows(table.key);
    const head = table.fields
      .map((f, c) => `<th scope="col" id="col-${c}" title="${escapeHtml(f.key)}">${escapeHtml(f.label)}</th>`)
      .join('');
    const first = Math.min(names.length, kFirstRows);
    let body = '';
    for (let i = 0; i < first; i++) body += this.rowHtml(table, i, names[i], rows[i]);
    this.shownByFilter = null;
    this.staleWhileFilling = false;
    this.element.setAttribute('aria-label', table.caption);
    this.element.setAttribute('aria-rowcount', String(names.length + 1));
    this.element.innerHTML = `<thead><tr><th scope="col" id="col-name">Entry</th>${head}</tr></thead><tbody>${body}</tbody>`;
    this.pending = { names, rows, next: first };
    this.element.setAttribute('aria-busy', 'true');
    const fill = () => {
      if (show !== this.showing || !this.pending) return;  // another table was chosen meanwhile
      const { names: n, rows: r } = this.pending;
      const from = this.pending.next;
      const to = Math.min(n.length, from + kBatchRows);
      let html = '';
      for (let i = from; i < to; i++) html += this.rowHtml(table, i, n[i], r[i]);
      const tbody = this.element.tBodies[0];
      tbody.insertAdjacentHTML('beforeend', html);
      if (this.shownByFilter) for (let i = from; i < to; i++) tbody.rows[i].hidden = !this.shownByFilter.has(i);
      this.pending.next = to;
      if (to < n.length) {
        requestAnimationFrame(fill);
        return;
      }
      this.pending = null;
      this.element.removeAttribute('aria-busy');
      if (this.staleWhileFilling) this.refresh();
      complete?.();
    };
    // the rest begins once the first rows are painted
    if (first < names.length) requestAnimationFrame(() => setTimeout(fill));
    else {
      this.pending = null;
      this.element.removeAttribute('aria-busy');
      complete?.();
    }
  }

  // Shows only the entries the core's filter passes.
  filter(text: string): void {
    if (!this.table) return;
    const shown = new Set(this.core.filter(this.table.key, text));
    this.shownByFilter = shown;
    const rows = this.element.tBodies[0]?.rows ?? [];
    for (let i = 0; i < rows.length; i++) rows[i].hidden = !shown.has(i);
  }

  // Reads every shown cell again from the image (after undo, redo, a patch).
  refresh(): void {
    if (!this.table) return;
    // rows still to come were read before this change: read them again once in
    if (this.pending) this.staleWhileFilling = true;
    const { rows } = this.core.rows(this.table.key);
    rows.forEach((cells, i) => this.fillRow(i, cells));
  }

  private rowHtml(table: TableInfo, index: number, name: string, cells: Cell[] | null): string {
    let html = `<tr data-index="${index}"><th scope="row" id="row-${index}">${escapeHtml(name)}</th>`;
    table.fields.forEach((field, c) => {
      const cell = cells ? cells[c] : null;
      const common =
        `data-table="${table.key}" data-index="${index}" data-key="${field.key}" ` +
        `aria-labelledby="row-${index} col-${c}"`;
      if (cell === null) {
        html += '<td aria-disabled="true" title="the image ends before this entry"></td>';
      } else if (field.kind === 'bit') {
        html += `<td><input type="checkbox" ${common}${cell === true ? ' checked' : ''}></td>`;
      } else {
        // a text cell is plain text until it is edited: one input at a time
        // keeps a table of thousands of cells quick to show
        const kind = field.settable ? ' tabindex="0"' : ' aria-readonly="true"';
        const wide = field.kind === 'name' || field.values ? ' class="wide"' : '';
        html += `<td ${common}${kind}${wide}>${escapeHtml(String(cell))}</td>`;
      }
    });
    return html + '</tr>';
  }

  private cellsOf(index: number): HTMLTableCellElement[] {
    const row = this.element.tBodies[0]?.rows[index];
    return row ? Array.from(row.cells).slice(1) : [];
  }

  private fillRow(index: number, cells: Cell[] | null): void {
    if (!cells) return;
    this.cellsOf(index).forEach((td, c) => {
      const cell = cells[c];
      const box = td.querySelector<HTMLInputElement>('input[type=checkbox]');
      if (box) {
        box.checked = cell === true;
        return;
      }
      const text = String(cell);
      const editor = this.editorOf(td);
      if (!editor && !td.hasAttribute('aria-invalid') && this.shownText(td) === text) return;  // unchanged
      this.shown.set(td, text);
      if (editor) editor.value = text;
      else td.textContent = text;
      this.clearRefusal(td);
    });
  }

  // What a text cell shows of the image (its text, unless a refused value is kept there).
  private readonly shown = new WeakMap<HTMLTableCellElement, string>();
  private shownText(td: HTMLTableCellElement): string {
    return this.shown.get(td) ?? td.textContent ?? '';
  }

  private editorOf(td: HTMLTableCellElement): HTMLInputElement | null {
    return td.querySelector<HTMLInputElement>('input.editor');
  }

  private textCellOf(target: EventTarget | null): HTMLTableCellElement | null {
    const element = target instanceof HTMLElement ? target : null;
    const td = element?.closest('td');
    return td && td.dataset.key && td.hasAttribute('tabindex') && this.element.contains(td) ? td : null;
  }

  // A focused text cell opens its editor with the text it shows.
  private onFocus(e: FocusEvent): void {
    const td = this.textCellOf(e.target);
    if (!td || e.target !== td || this.editorOf(td)) return;
    if (!this.shown.has(td)) this.shown.set(td, td.textContent ?? '');
    const input = document.createElement('input');
    input.type = 'text';
    input.className = 'editor';
    input.value = td.firstChild?.nodeType === Node.TEXT_NODE ? (td.firstChild.textContent ?? '') : this.shownText(td);
    input.spellcheck = false;
    input.autocomplete = 'off';
    for (const name of ['aria-labelledby', 'aria-invalid', 'aria-describedby']) {
      const value = td.getAttribute(name);
      if (value !== null) input.setAttribute(name, value);
    }
    const table = this.table?.fields.find((f) => f.key === td.dataset.key);
    const list = this.table && table ? listId(this.table, table) : null;
    if (list) input.setAttribute('list', list);
    if (td.firstChild?.nodeType === Node.TEXT_NODE) td.firstChild.remove();
    td.prepend(input);
    td.tabIndex = -1;  // Shift+Tab from the editor goes to the cell before, not to this one
    input.focus();
    input.select();
  }

  private onKey(e: KeyboardEvent): void {
    const td = this.textCellOf(e.target);
    const input = td ? this.editorOf(td) : null;
    if (!td || !input || e.target !== input) return;
    if (e.key === 'Enter') {
      e.preventDefault();
      this.storeText(td, input.value);
      input.select();
    } else if (e.key === 'Escape') {
      e.preventDefault();
      input.value = this.shownText(td);
      this.clearRefusal(td);
      input.select();
    }
  }

  // Leaving a cell stores what it holds and closes its editor.
  private onLeave(e: FocusEvent): void {
    const td = this.textCellOf(e.target);
    const input = td ? this.editorOf(td) : null;
    if (!td || !input || e.target !== input) return;
    if (input.value !== this.shownText(td)) this.storeText(td, input.value);
    const text = input.value;
    input.remove();
    td.prepend(document.createTextNode(td.hasAttribute('aria-invalid') ? text : this.shownText(td)));
    td.tabIndex = 0;
  }

  private onToggle(e: Event): void {
    const box = e.target;
    if (!(box instanceof HTMLInputElement) || box.type !== 'checkbox' || !box.dataset.key) return;
    const { table, index, key } = box.dataset;
    const answer = this.core.store(table!, Number(index), key!, box.checked ? 'true' : 'false');
    if (!answer.ok) {
      box.checked = !box.checked;
      return;
    }
    this.fillRow(Number(index), answer.cells);
    if (answer.changed) this.events.stored();
  }

  // Stores typed text; a refused value stays in the cell, marked, with the reason.
  private storeText(td: HTMLTableCellElement, text: string): boolean {
    const { table, index, key } = td.dataset;
    if (!table || index === undefined || !key) return false;
    if (text === this.shownText(td)) {
      this.clearRefusal(td);
      return true;
    }
    performance.mark('store-start');
    const answer = this.core.store(table, Number(index), key, text);
    if (!answer.ok) {
      this.showRefusal(td, text, answer.reason);
      return false;
    }
    this.fillRow(Number(index), answer.cells);
    performance.mark('store-end');
    if (answer.changed) this.events.stored();
    return true;
  }

  private showRefusal(td: HTMLTableCellElement, text: string, reason: string): void {
    td.dataset.refused = text;
    let note = td.querySelector<HTMLElement>('.reason');
    if (!note) {
      note = document.createElement('span');
      note.className = 'reason';
      note.id = `reason-${++this.reasonCount}`;
      td.append(note);
    }
    note.textContent = reason;
    for (const element of [td, this.editorOf(td)]) {
      element?.setAttribute('aria-invalid', 'true');
      element?.setAttribute('aria-describedby', note.id);
    }
  }

  private clearRefusal(td: HTMLTableCellElement): void {
    if (!td.hasAttribute('aria-invalid')) return;
    delete td.dataset.refused;
    for (const element of [td, this.editorOf(td)]) {
      element?.removeAttribute('aria-invalid');
      element?.removeAttribute('aria-describedby');
    }
    td.querySelector('.reason')?.remove();
    if (!this.editorOf(td)) td.textContent = this.shownText(td);
  }
}

// The datalist a cell offers: the field's value list, or the chest types.
function listId(table: TableInfo, field: FieldInfo): string | null {
  if (field.kind === 'chest-type' && table.chestTypes.length) return 'list-chest-types';
  return field.list !== null && field.values ? `list-${field.list}` : null;
}
