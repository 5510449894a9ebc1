// The Web Worker of the page: it holds the compiled engine (the C++ core,
// import and report page) and runs one operation per message, so that the
// page stays responsive during an analysis. Its source is built in the page
// from two inline scripts, the engine first, this file after it.
"use strict";

const encoder = new TextEncoder();
let currentId = 0;

const engineReady = createTrpfitEngine({
  onStage: (text) => postMessage({ type: "stage", id: currentId, text }),
}).then(
  (engine) => {
    postMessage({ type: "ready" });
    return engine;
  },
  (error) => {
    postMessage({ type: "fatal", text: "the engine could not start: " + error });
    throw error;
  }
);

// A NUL-terminated UTF-8 copy of `text` in the engine's memory.
function cString(engine, text) {
  const bytes = encoder.encode(text);
  const at = engine._malloc(bytes.length + 1);
  engine.HEAPU8.set(bytes, at);
  engine.HEAPU8[at + bytes.length] = 0;
  return at;
}

function nameAt(engine, at) {
  const heap = engine.HEAPU8;
  let end = at;
  while (heap[end] !== 0) end++;
  return new TextDecoder().decode(heap.subarray(at, end));
}

// Puts the inputs in, runs the operation and takes every output out as bytes.
function callEngine(engine, op, inputs) {
  engine._trpfit_clear();
  for (const [name, value] of Object.entries(inputs)) {
    const bytes = typeof value === "string" ? encoder.encode(value) : value;
    const namePtr = cString(engine, name);
    const at = engine._malloc(bytes.length + 1);
    engine.HEAPU8.set(bytes, at);
    engine._trpfit_input(namePtr, at, bytes.length);
    engine._free(at);
    engine._free(namePtr);
  }
  const opPtr = cString(engine, op);
  const rc = engine._trpfit_call(opPtr);
  engine._free(opPtr);
  const outputs = {};
  const count = engine._trpfit_output_count();
  for (let i = 0; i < count; i++) {
    const name = nameAt(engine, engine._trpfit_output_name(i));
    const at = engine._trpfit_output_data(i);
    const size = engine._trpfit_output_size(i);
    outputs[name] = engine.HEAPU8.slice(at, at + size);
  }
  engine._trpfit_clear();
  return { rc, outputs };
}

onmessage = async (event) => {
  const { id, op, inputs } = event.data;
  let engine;
  try {
    engine = await engineReady;
  } catch (error) {
    postMessage({ type: "failed", id, text: "the engine could not start: " + error });
    return;
  }
  currentId = id;
  try {
    const { rc, outputs } = callEngine(engine, op, inputs);
    const transfer = Object.values(outputs).map((bytes) => bytes.buffer);
    postMessage({ type: "done", id, rc, outputs }, transfer);
  } catch (error) {
    postMessage({ type: "failed", id, text: String(error && error.message ? error.message : error) });
  }
};
