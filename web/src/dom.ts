// Small DOM helpers shared by the views.

export function el<K extends keyof HTMLElementTagNameMap>(
  tag: K, attrs: Record<string, string> = {}, ...children: (Node | string)[]): HTMLElementTagNameMap[K] {
  const e = document.createElement(tag);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
  e.append(...children);
  return e;
}

// A caption as shown: the access-key marker "(&X)" and a trailing "..." belong to the desktop's
// menus; "&" alone marks the key.
export function plainCaption(caption: string): string {
  return caption.replace(/\(&.\)/, '').replace(/&(.)/, '$1').replace(/\.\.\.$/, '');
}

export function place(e: HTMLElement, r: { x: number; y: number; width: number; height: number; anchors: number },
  design: { width: number; height: number }): void {
  // Anchored on both sides: the control grows with the page, as on the desktop.
  const left = (r.anchors & 1) !== 0, top = (r.anchors & 2) !== 0;
  const right = (r.anchors & 4) !== 0, bottom = (r.anchors & 8) !== 0;
  e.style.position = 'absolute';
  if (left || !right) e.style.left = `${r.x}px`;
  if (top || !bottom) e.style.top = `${r.y}px`;
  if (right) e.style.right = `${design.width - r.x - r.width}px`;
  if (bottom) e.style.bottom = `${design.height - r.y - r.height}px`;
  if (!(left && right)) e.style.width = `${r.width}px`;
  if (!(top && bottom)) e.style.height = `${r.height}px`;
}

// While an input method composes, its text is provisional: the player may still convert or cancel
// it, and Enter, Escape, Tab, the arrows and F6 to F10 are its keys. Such a key is no command, and a
// box reports its text only once the composition has ended.
export function forInputMethod(e: KeyboardEvent): boolean {
  return e.isComposing || e.keyCode === 229;  // 229: a key the input method took
}

export function onTyped(input: HTMLInputElement, report: (value: string) => void): void {
  input.addEventListener('input', (e) => { if (!(e as InputEvent).isComposing) report(input.value); });
  input.addEventListener('compositionend', () => report(input.value));
}

// Resolves once the next frame has been painted: a task queued from its animation callback runs
// after the paint.
export function afterPaint(): Promise<void> {
  return new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve)));
}
