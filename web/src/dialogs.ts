// Message boxes and floating windows. A message box is modal: titled with the application title,
// its text, and one OK button.
import { el } from './dom';

export function showMessage(title: string, text: string, error = false): Promise<void> {
  return ask(title, text, ['OK'], 0, 0, error).then(() => undefined);
}

// A question with its answers as buttons; resolves to the index of the one chosen. Escape gives
// the cancel answer, and the default one has the focus.
export function ask(title: string, text: string, answers: string[], defaultAnswer: number, cancelAnswer: number, error = false): Promise<number> {
  return new Promise((resolve) => {
    const buttons = answers.map((a) => el('button', { type: 'button' }, a));
    const box = el('div', { role: 'alertdialog', 'aria-modal': 'true', 'aria-label': title, class: 'dialog message' },
      el('div', { class: 'dialog-title' }, title),
      el('div', { class: `message-text${error ? ' error' : ''}` }, text),
      el('div', { class: 'buttons' }, ...buttons));
    const shade = el('div', { class: 'shade' }, box);
    const previous = document.activeElement as HTMLElement | null;
    const close = (answer: number) => { shade.remove(); previous?.focus(); resolve(answer); };
    buttons.forEach((b, i) => b.addEventListener('click', () => close(i)));
    box.addEventListener('keydown', (e) => {
      e.stopPropagation();
      if (e.key === 'Escape') { e.preventDefault(); close(cancelAnswer); }
      if (e.key === 'Enter') { e.preventDefault(); close(Math.max(0, buttons.indexOf(document.activeElement as HTMLButtonElement))); }
      if (e.key === 'Tab') {
        e.preventDefault();
        const at = buttons.indexOf(document.activeElement as HTMLButtonElement);
        buttons[(at + (e.shiftKey ? buttons.length - 1 : 1)) % buttons.length].focus();
      }
    });
    document.body.append(shade);
    buttons[defaultAnswer].focus();
  });
}

let topWindow = 40;  // z-index of the window in front

// A window beside the main one (unit editor, hex dump): shown and hidden, never destroyed. It
// follows the WAI-ARIA dialog pattern, though modeless: the focus goes to its first control when
// it opens and back where it was when it closes.
export class FloatingWindow {
  readonly element: HTMLElement;
  readonly content: HTMLElement;
  private returnFocus: HTMLElement | null = null;

  constructor(title: string, closeCaption: string, private readonly onShow?: () => void) {
    const close = el('button', { type: 'button', class: 'close', 'aria-label': closeCaption }, '×');
    close.addEventListener('click', () => this.hide());
    this.content = el('div', { class: 'window-content' });
    const bar = el('div', { class: 'dialog-title' }, el('span', {}, title), close);
    this.element = el('div', { role: 'dialog', 'aria-label': title, class: 'dialog window' }, bar, el('div', { class: 'window-scroll' }, this.content));
    this.element.hidden = true;
    this.element.addEventListener('keydown', (e) => { if (e.key === 'Escape') { e.preventDefault(); this.hide(); } });
    // The window with the focus comes to the front.
    this.element.addEventListener('focusin', () => this.raise());
    let drag: [number, number] | null = null;
    bar.addEventListener('mousedown', (e) => {
      const r = this.element.getBoundingClientRect();
      drag = [e.clientX - r.left, e.clientY - r.top];
    });
    window.addEventListener('mousemove', (e) => {
      if (!drag) return;
      this.element.style.left = `${Math.max(0, e.clientX - drag[0])}px`;
      this.element.style.top = `${Math.max(0, e.clientY - drag[1])}px`;
    });
    window.addEventListener('mouseup', () => { drag = null; });
    window.addEventListener('resize', () => this.keepInside());
    document.body.append(this.element);
  }

  // A window larger than the browser's scrolls inside itself; a smaller one is moved to fit.
  private keepInside(): void {
    if (!this.visible) return;
    const r = this.element.getBoundingClientRect();
    if (r.right > innerWidth) this.element.style.left = `${Math.max(0, innerWidth - r.width)}px`;
    if (r.bottom > innerHeight) this.element.style.top = `${Math.max(0, innerHeight - r.height)}px`;
  }

  get visible(): boolean { return !this.element.hidden; }

  // Shows the window, or brings the focus back to it when it is already shown.
  show(): void {
    const active = document.activeElement as HTMLElement | null;
    if (!this.element.contains(active)) this.returnFocus = active;
    this.element.hidden = false;
    this.keepInside();
    this.raise();
    this.onShow?.();
    this.firstControl()?.focus();
  }

  private raise(): void {
    if (Number(this.element.style.zIndex) !== topWindow) this.element.style.zIndex = String(++topWindow);
  }

  // Shows the window's content again where it is visible, without moving the focus.
  refresh(): void {
    if (this.visible) this.onShow?.();
  }

  hide(): void {
    if (this.element.hidden) return;
    const hadFocus = this.element.contains(document.activeElement);
    this.element.hidden = true;
    const back = this.returnFocus;
    this.returnFocus = null;
    if (hadFocus && back?.isConnected && back !== document.body) back.focus();
  }

  // The content's first control in tab order (a tab list's selected tab), else the close button.
  private firstControl(): HTMLElement | null {
    const candidates = this.content.querySelectorAll<HTMLElement>(
      'button, input, [tabindex]:not([tabindex="-1"]), [role=combobox]');
    for (const c of candidates) {
      if (c.tabIndex >= 0 && !c.hidden && !c.closest('[hidden]') && !(c as HTMLButtonElement).disabled) return c;
    }
    return this.element.querySelector<HTMLElement>('.close');
  }
}
