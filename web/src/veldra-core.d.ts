// The module emscripten makes of the core (web/core_bindings.cpp).
declare module 'veldra-core' {
  const loadVeldraCore: (options?: object) => Promise<unknown>;
  export default loadVeldraCore;
}
