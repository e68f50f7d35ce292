// The emscripten module of the core (wasm/korvath_module.cpp) and its wasm as base64, both
// inlined into the page.
declare module 'korvath-core' {
  const factory: (options?: object) => Promise<unknown>;
  export default factory;
}
declare module 'virtual:korvath-wasm' {
  const base64: string;
  export default base64;
}
declare module 'virtual:demo' {
  export const demoSave: string;
  export const demoLabels: [string, string][];
}
declare module '*.css';
