// Which label set the core reads names with: the player's own (chosen once, kept in this
// browser) or the demo's, which serves the demo save only.
import { type Core, type Texts, fill } from './core';
import * as files from './files';

type Named = [string, Uint8Array][];

export class LabelSets {
  private own: Named | null = null;
  private ownKept = false;
  private inUse: 'none' | 'demo' | 'own' = 'none';

  constructor(private readonly core: Core, private readonly texts: Texts) {}

  get hasOwn(): boolean { return this.own !== null; }
  get demoInUse(): boolean { return this.inUse === 'demo'; }

  // The set kept from an earlier visit, if it is whole and the core takes it.
  async restore(): Promise<boolean> {
    const stored = await files.storedLabels(this.texts.labelFiles);
    if (stored.length !== this.texts.labelFiles.length || this.core.loadLabels(stored) !== '') return false;
    this.own = stored;
    this.ownKept = true;
    this.inUse = 'own';
    return true;
  }

  // The files a player chose: the core's reason when it refuses them, with word that the set
  // in use stays; otherwise they are read (an open save again with them) and kept.
  async choose(chosen: Named): Promise<string> {
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
