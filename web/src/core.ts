// The core compiled to WebAssembly, as the page sees it. Every answer is JSON
// text made by web/core_bindings.cpp; nothing here decides what may be stored.
import loadVeldraCore from 'veldra-core';

export interface FieldInfo {
  key: string;
  label: string;
  kind: 'number' | 'bit' | 'name' | 'chest-type';
  width: string;
  min: number | null;
  max: number | null;
  list: number | null;
  values: { value: number; label: string }[] | null;
  settable: boolean;
}

export interface TableInfo {
  key: string;
  caption: string;
  count: number;
  chestTypes: string[];
  fields: FieldInfo[];
}

export type Cell = string | boolean;

export interface Refused {
  ok: false;
  reason: string;
}

export type OpenAnswer =
  | { status: 'ok'; name: string }
  | { status: 'header'; message: string }
  | { status: 'refused'; message: string };

export type StoreAnswer = { ok: true; changed: boolean; cells: Cell[] | null } | Refused;
export type StepAnswer = { ok: true; changed?: boolean; message?: string } | Refused;

export interface ChangeList {
  steps: { lines: string[]; undone: boolean }[];
  canUndo: boolean;
  canRedo: boolean;
}

export interface ImageInfo {
  name: string;
  lines: { label: string; text: string }[];
  checksumOk: boolean;
}

interface RawCore {
  describeTables(): string;
  openImage(name: string, bytes: Uint8Array): string;
  dropHeader(name: string): string;
  tableRows(key: string): string;
  filterRows(key: string, filter: string): string;
  storeValue(table: string, index: number, key: string, text: string): string;
  changeList(): string;
  undoStep(): string;
  redoStep(): string;
  imageBytes(): Uint8Array;
  makePatch(format: string, name: string): Uint8Array | string;
  applyPatchBytes(name: string, bytes: Uint8Array): string;
  imageInfo(): string;
  fixChecksum(): string;
  inputLimit(): number;
  tooLarge(name: string): string;
}

export class Core {
  private constructor(private readonly raw: RawCore) {}

  static async load(): Promise<Core> {
    return new Core((await loadVeldraCore()) as RawCore);
  }

  tables(): TableInfo[] {
    return JSON.parse(this.raw.describeTables());
  }
  open(name: string, bytes: Uint8Array): OpenAnswer {
    return JSON.parse(this.raw.openImage(name, bytes));
  }
  dropHeader(name: string): { ok: true; name: string } | Refused {
    return JSON.parse(this.raw.dropHeader(name));
  }
  rows(table: string): { names: string[]; rows: (Cell[] | null)[] } {
    return JSON.parse(this.raw.tableRows(table));
  }
  filter(table: string, text: string): number[] {
    return JSON.parse(this.raw.filterRows(table, text));
  }
  store(table: string, index: number, key: string, text: string): StoreAnswer {
    return JSON.parse(this.raw.storeValue(table, index, key, text));
  }
  changes(): ChangeList {
    return JSON.parse(this.raw.changeList());
  }
  undo(): StepAnswer {
    return JSON.parse(this.raw.undoStep());
  }
  redo(): StepAnswer {
    return JSON.parse(this.raw.redoStep());
  }
  image(): Uint8Array {
    return this.raw.imageBytes();
  }
  patch(format: string, name: string): Uint8Array | Refused {
    const made = this.raw.makePatch(format, name);
    return typeof made === 'string' ? JSON.parse(made) : made;
  }
  applyPatch(name: string, bytes: Uint8Array): StepAnswer {
    return JSON.parse(this.raw.applyPatchBytes(name, bytes));
  }
  info(): ImageInfo {
    return JSON.parse(this.raw.imageInfo());
  }
  fixChecksum(): StepAnswer {
    return JSON.parse(this.raw.fixChecksum());
  }
  // The reason a file is refused unread, or null when it may be read.
  tooLarge(file: File): string | null {
    return file.size > this.raw.inputLimit() ? this.raw.tooLarge(file.name) : null;
  }
}
