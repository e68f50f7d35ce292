// The emscripten module of the core (wasm/korvath_module.cpp), inlined into the page.
declare module 'korvath-core' {
  const factory: (options?: object) => Promise<unknown>;
  export default factory;
}
declare module 'virtual:demo' {
  export const demoSave: string;
  export const demoLabels: [string, string][];
}
declare module '*.css';
