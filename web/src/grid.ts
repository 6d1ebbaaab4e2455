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

export class Grid {
  private table: TableInfo | null = null;
  private reasonCount = 0;

  constructor(
    private readonly core: Core,
    private readonly element: HTMLTableElement,
    private readonly lists: HTMLElement,
    private readonly events: GridEvents,
  ) {
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

  show(table: TableInfo): void {
    this.table = table;
    const { names, rows } = this.core.rows(table.key);
    const head = table.fields
      .map((f, c) => `<th scope="col" id="col-${c}" title="${escapeHtml(f.key)}">${escapeHtml(f.label)}</th>`)
      .join('');
    let body = '';
    for (let i = 0; i < names.length; i++) body += this.rowHtml(table, i, names[i], rows[i]);
    this.element.setAttribute('aria-label', table.caption);
    this.element.setAttribute('aria-rowcount', String(names.length + 1));
    this.element.innerHTML = `<thead><tr><th scope="col" id="col-name">Entry</th>${head}</tr></thead><tbody>${body}</tbody>`;
  }

  // Shows only the entries the core's filter passes.
  filter(text: string): void {
    if (!this.table) return;
    const shown = new Set(this.core.filter(this.table.key, text));
    const rows = this.element.tBodies[0]?.rows ?? [];
    for (let i = 0; i < rows.length; i++) rows[i].hidden = !shown.has(i);
  }

  // Reads every shown cell again from the image (after undo, redo, a patch).
  refresh(): void {
    if (!this.table) return;
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
        html += `<td><input ${common} disabled value="" title="the image ends before this entry"></td>`;
      } else if (field.kind === 'bit') {
        html += `<td><input type="checkbox" ${common}${cell === true ? ' checked' : ''}></td>`;
      } else {
        const text = escapeHtml(String(cell));
        const list = listId(table, field);
        const extra = field.settable ? (list ? ` list="${list}"` : '') : ' readonly aria-readonly="true"';
        const width = field.kind === 'name' || field.values ? ' class="wide"' : '';
        html += `<td><input type="text" ${common}${extra}${width} value="${text}" data-shown="${text}" spellcheck="false" autocomplete="off"></td>`;
      }
    });
    return html + '</tr>';
  }

  private inputsOf(index: number): HTMLInputElement[] {
    const row = this.element.tBodies[0]?.rows[index];
    return row ? Array.from(row.querySelectorAll('input')) : [];
  }

  private fillRow(index: number, cells: Cell[] | null): void {
    if (!cells) return;
    this.inputsOf(index).forEach((input, c) => {
      const cell = cells[c];
      if (input.type === 'checkbox') input.checked = cell === true;
      else {
        input.value = String(cell);
        input.dataset.shown = String(cell);
      }
      this.clearRefusal(input);
    });
  }

  private cellOf(target: EventTarget | null): HTMLInputElement | null {
    return target instanceof HTMLInputElement && target.dataset.key && !target.readOnly && !target.disabled
      ? target
      : null;
  }

  private onKey(e: KeyboardEvent): void {
    const input = this.cellOf(e.target);
    if (!input || input.type === 'checkbox') return;
    if (e.key === 'Enter') {
      e.preventDefault();
      this.store(input, input.value);
    } else if (e.key === 'Escape') {
      e.preventDefault();
      input.value = input.dataset.shown ?? '';
      this.clearRefusal(input);
    }
  }

  private onLeave(e: FocusEvent): void {
    const input = this.cellOf(e.target);
    if (!input || input.type === 'checkbox') return;
    if (input.value !== input.dataset.shown) this.store(input, input.value);
  }

  private onToggle(e: Event): void {
    const input = this.cellOf(e.target);
    if (input && input.type === 'checkbox') this.store(input, input.checked ? 'true' : 'false');
  }

  // Stores typed text; a refused value stays in the cell, marked, with the reason.
  store(input: HTMLInputElement, text: string): boolean {
    const { table, index, key } = input.dataset;
    if (!table || index === undefined || !key) return false;
    if (input.type !== 'checkbox' && text === input.dataset.shown) {
      this.clearRefusal(input);
      return true;
    }
    performance.mark('store-start');
    const answer = this.core.store(table, Number(index), key, text);
    if (!answer.ok) {
      if (input.type === 'checkbox') input.checked = !input.checked;
      this.showRefusal(input, answer.reason);
      return false;
    }
    this.fillRow(Number(index), answer.cells);
    performance.mark('store-end');
    if (answer.changed) this.events.stored();
    return true;
  }

  private showRefusal(input: HTMLInputElement, reason: string): void {
    input.setAttribute('aria-invalid', 'true');
    let note = input.parentElement?.querySelector<HTMLElement>('.reason');
    if (!note) {
      note = document.createElement('span');
      note.className = 'reason';
      note.id = `reason-${++this.reasonCount}`;
      note.setAttribute('role', 'status');
      input.after(note);
    }
    note.textContent = reason;
    input.setAttribute('aria-describedby', note.id);
  }

  private clearRefusal(input: HTMLInputElement): void {
    if (!input.hasAttribute('aria-invalid')) return;
    input.removeAttribute('aria-invalid');
    input.removeAttribute('aria-describedby');
    input.parentElement?.querySelector('.reason')?.remove();
  }
}

// The datalist a cell offers: the field's value list, or the chest types.
function listId(_table: TableInfo, field: FieldInfo): string | null {
  if (field.kind === 'chest-type') return 'list-chest-types';
  return field.list !== null && field.values ? `list-${field.list}` : null;
}
