// Which label set the core reads names with: the player's own (chosen once, kept in this
// browser) or the demo's, which serves the demo save only.
import { type Core, type Texts, fill } from './core';
import * as files from './files';

type Named = [string, Uint8Array][];

export class LabelSets {
  private own: Named | null = null;
  private ownKept = false;
  private inUse: 'none' | 'demo' | 'own' = 'none';
  private restoring: Promise<boolean> = Promise.resolve(false);

  constructor(private readonly core: Core, private readonly texts: Texts) {}

  // Known once the set kept from an earlier visit has been read.
  async hasOwn(): Promise<boolean> {
    await this.restoring;
    return this.own !== null;
  }
  get demoInUse(): boolean { return this.inUse === 'demo'; }

  // The set kept from an earlier visit, if it is whole and the core takes it. install: it becomes
  // the set in use; otherwise it is only checked, while the demo stays in use.
  restore(kept: Promise<Map<string, Uint8Array>>, install: boolean): Promise<boolean> {
    this.restoring = kept.then((found) => {
      const stored = this.texts.labelFiles.filter((name) => found.has(name)).map((name): [string, Uint8Array] => [name, found.get(name)!]);
      if (stored.length !== this.texts.labelFiles.length) return false;
      if ((install ? this.core.loadLabels(stored) : this.core.checkLabels(stored)) !== '') return false;
      this.own = stored;
      this.ownKept = true;
      if (install) this.inUse = 'own';
      return true;
    });
    return this.restoring;
  }

  // The files a player chose: the core's reason when it refuses them, with word that the set
  // in use stays; otherwise they are read (an open save again with them) and kept.
  async choose(chosen: [string, Uint8Array | null][]): Promise<string> {
    await this.restoring;  // the kept set never replaces one chosen since
    const message = this.core.loadLabelsKeepingSave(chosen);
    if (message) return this.inUse === 'none' ? message : `${message}\n${this.texts.web.labelsKept}`;
    // Kept as the core read them, under their own names whatever case the disk gave them.
    const own = this.core.labelFilesInUse();
    this.own = own;
    this.inUse = 'own';
    this.ownKept = await files.keepLabels(own);
    return '';
  }

  useDemo(demo: Named): string {
    const message = this.core.loadLabels(demo);
    if (!message) this.inUse = 'demo';
    return message;
  }

  // Before a save of the player's own is opened: their set, never the demo's. False when there
  // is none yet.
  useOwn(): boolean {
    if (!this.own) return false;
    if (this.inUse !== 'own') {
      if (this.core.loadLabels(this.own) !== '') return false;
      this.inUse = 'own';
    }
    return true;
  }

  async forget(): Promise<void> {
    await this.restoring;
    await files.forgetLabels();
    this.ownKept = false;
  }

  status(): string {
    const web = this.texts.web;
    if (this.inUse === 'demo') return web.labelsDemo;
    if (this.inUse === 'none' || !this.own) return web.labelsNone;
    return fill(this.ownKept ? web.labelsStored : web.labelsNotKept, this.own.length);
  }
}
