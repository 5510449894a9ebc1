// Puts the page together as one file: the HTML with its style, the engine
// (the Emscripten output with the WebAssembly embedded), the worker and the
// page's scripts all inline, so that the page works opened from disk.
//
//   node web/assemble.mjs ENGINE.js OUT.html
import { readFileSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const here = dirname(fileURLToPath(import.meta.url));
const [engineFile, outFile] = process.argv.slice(2);
if (!engineFile || !outFile) {
  console.error("usage: node web/assemble.mjs ENGINE.js OUT.html");
  process.exit(2);
}
const read = (name) => readFileSync(join(here, name), "utf8");

// Text inside a <script> element must not close it early.
function inlineSafe(name, text) {
  if (/<\/script/i.test(text) || /<!--/.test(text)) {
    console.error(`assemble: ${name} holds "</script" or "<!--" and cannot be inlined`);
    process.exit(1);
  }
  return text;
}

const engine = inlineSafe(engineFile, readFileSync(engineFile, "utf8"));
const worker = inlineSafe("worker.js", read("worker.js"));
const script = ["zip.js", "engine.js", "app.js", "app_batch.js", "app_import.js"]
  .map((name) => inlineSafe(name, read(name)))
  .join("\n");

const parts = { STYLE: read("style.css"), ENGINE: engine, WORKER: worker, SCRIPT: script };
let html = read("page.html");
for (const [key, value] of Object.entries(parts)) {
  const marker = `/*@${key}@*/`;
  if (!html.includes(marker)) {
    console.error(`assemble: page.html lacks ${marker}`);
    process.exit(1);
  }
  // A function as replacement: "$" in the engine is not a pattern.
  html = html.replace(marker, () => value);
}
writeFileSync(outFile, html);
