// Where the page's main thread spends its start-up: traces of navigation to the demo's first page
// drawn, split into HTML parse, script compile and run, style, layout and paint, in thread time
// (what the thread spent, not how long it waited for a core). Medians over RUNS runs (9); printed,
// never asserted. Pages given as arguments are run in turn, so that they share the machine's load.
//   node web/bench/startup_trace.mjs [page.html …]   (after make web; the built page by default;
//   WINDOW=777x527 sets the window size, 1024x700 by default)
// BYNAME=1 prints every run's thread time by trace event; DUMP=1 its long events, with the script
// stack of each forced style or layout.
import { pathToFileURL } from 'node:url';
import { launch, pageFile, settledTab } from '../test/harness.mjs';

const runs = Number(process.env.RUNS ?? 9);
const [width, height] = (process.env.WINDOW ?? '1024x700').split('x').map(Number);
const viewport = { width, height };
const categories = [
  'devtools.timeline', 'disabled-by-default-devtools.timeline', 'v8.execute', 'blink.user_timing',
  'toplevel', ...(process.env.DUMP ? ['disabled-by-default-devtools.timeline.stack'] : []),
];
const phaseOf = {
  ParseHTML: 'parse HTML', ParseAuthorStyleSheet: 'style',
  'v8.compile': 'script compile', 'v8.compileModule': 'script compile', 'v8.parseOnBackground': 'script compile',
  'V8.CompileCode': 'script compile',
  UpdateLayoutTree: 'style', RecalculateStyles: 'style', Layout: 'layout',
  PrePaint: 'paint', Paint: 'paint', PaintImage: 'paint', Layerize: 'paint', UpdateLayer: 'paint',
  Commit: 'paint', CompositeLayers: 'paint', 'LocalFrameView::RunPostLifecycleSteps': 'paint',
  MajorGC: 'gc', MinorGC: 'gc', 'V8.GC_SCAVENGER': 'gc', 'BlinkGC.AtomicPhase': 'gc',
  EvaluateScript: 'script run', FunctionCall: 'script run', TimerFire: 'script run',
  FireAnimationFrame: 'script run', RunMicrotasks: 'script run', 'v8.run': 'script run',
  EventDispatch: 'script run', 'V8.Execute': 'script run',
};
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

// Thread time of nested spans, each microsecond to the innermost span that keyOf names (null: to
// the span around it). Thread time, where the trace has it, leaves out time the thread waited.
function selfTimes(spans, keyOf) {
  const times = new Map();
  const stack = [];
  const close = (f) => { if (f.key !== null) times.set(f.key, (times.get(f.key) ?? 0) + f.self / 1000); };
  for (const e of spans) {
    while (stack.length && stack[stack.length - 1].end <= e.ts) close(stack.pop());
    const f = { key: keyOf(e, stack.length), end: e.ts + (e.dur ?? 0), self: e.tdur ?? e.dur ?? 0 };
    if (f.key !== null) {
      const owner = stack.findLast((o) => o.key !== null);
      if (owner) owner.self -= f.self;
    }
    stack.push(f);
  }
  stack.forEach(close);
  return times;
}

// The renderer's main thread from navigation to the mark, by phase.
function split(events) {
  const main = events.find((e) => e.name === 'thread_name' && e.args?.name === 'CrRendererMain' &&
    events.some((x) => x.pid === e.pid && x.name === 'korvath-first-page'));
  const mine = events.filter((e) => e.pid === main.pid && e.tid === main.tid);
  const start = events.find((e) => e.pid === main.pid && e.name === 'navigationStart').ts;
  const end = mine.find((e) => e.name === 'korvath-first-page').ts;
  const spans = mine.filter((e) => e.ph === 'X' && e.ts >= start && e.ts < end)
    .sort((a, b) => a.ts - b.ts || b.dur - a.dur);
  const phases = selfTimes(spans, (e, depth) => phaseOf[e.name] ?? (depth === 0 ? 'other task' : null));
  if (process.env.BYNAME) {
    for (const [k, v] of [...selfTimes(spans, (e) => e.name)].sort((a, b) => b[1] - a[1]).slice(0, 30)) {
      console.log(v.toFixed(1).padStart(7), k);
    }
  }
  if (process.env.DUMP) {
    for (const e of spans.filter((x) => (x.dur ?? 0) > 500)) {
      const stack = e.args?.beginData?.stackTrace;
      console.log(((e.ts - start) / 1000).toFixed(1), (e.dur / 1000).toFixed(1), ((e.tdur ?? 0) / 1000).toFixed(1), e.name,
        stack ? stack.map((f) => f.functionName).join(' < ') : '');
    }
  }
  const result = Object.fromEntries(['parse HTML', 'script compile', 'script run', 'style', 'layout', 'paint', 'gc', 'other task']
    .map((k) => [k, phases.get(k) ?? 0]));
  result['main thread, all of it'] = [...phases.values()].reduce((a, b) => a + b, 0);
  result['navigation to mark (wall)'] = (end - start) / 1000;
  return result;
}

const files = process.argv.slice(2).length ? process.argv.slice(2) : [pageFile];
const browser = await launch();
try {
  const results = files.map(() => []);
  for (let i = 0; i < runs * files.length; ++i) {
    const all = results[i % files.length];
    const file = files[i % files.length];
    const { context, page } = await settledTab(browser, viewport);
    await page.tracing.start({ categories });
    await page.goto(`${pathToFileURL(file).href}#demo`);
    await page.waitForFunction(() => performance.getEntriesByName('korvath-first-page').length > 0);
    const trace = JSON.parse(Buffer.from(await page.tracing.stop()).toString());
    all.push(split(trace.traceEvents));
    await context.close();
  }
  files.forEach((file, f) => {
    const all = results[f];
    console.log(`${file}: main thread's time in ms (CPU time where traced), ${runs} runs`);
    for (const n of Object.keys(all[0])) {
      const xs = all.map((p) => p[n] ?? 0);
      console.log(`  ${n.padEnd(34)} median ${median(xs).toFixed(1).padStart(6)}  (min ${Math.min(...xs).toFixed(1)}, max ${Math.max(...xs).toFixed(1)})`);
    }
  });
} finally {
  await browser.close();
}
