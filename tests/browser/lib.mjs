// What the browser tests and the benchmark share: the paths, Debian's
// Chromium driven by puppeteer-core (never a downloaded browser) with a
// fresh profile and no background traffic, the page opened from file://
// with every request it makes recorded, and the native programs.
import { execFileSync, spawnSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

export const root = resolve(dirname(fileURLToPath(import.meta.url)), "../..");
export const pagePath = process.env.TRPFIT_PAGE || join(root, "build-web/trpfit.html");
export const nativeDir = process.env.TRPFIT_NATIVE || join(root, "build/apps");
export const chromiumPath = process.env.CHROMIUM || "/usr/bin/chromium";
export const goldenDate = "12-07-2026";

// Scratch folders, removed together by removeScratch() at the end.
const scratchFolders = [];
export function scratch(prefix = "trpfit-browser-") {
  const dir = mkdtempSync(join(tmpdir(), prefix));
  scratchFolders.push(dir);
  return dir;
}
export function removeScratch() {
  for (const dir of scratchFolders.splice(0)) rmSync(dir, { recursive: true, force: true });
}

export async function launch() {
  const profile = scratch("trpfit-chromium-");
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    userDataDir: profile,
    args: [
      "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
    ],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// Opens the page from disk and waits for its engine. Every request of the
// page and of its worker lands in `requests` ({url, from}); whatever is not
// the page file itself or a blob:/data: URL is refused.
export async function openPage(browser, { requests = [], errors = [] } = {}) {
  const page = await browser.newPage();
  const pageUrl = "file://" + pagePath;
  const allowed = (url) => url === pageUrl || url.startsWith("blob:") || url.startsWith("data:");
  await page.setRequestInterception(true);
  page.on("request", (request) => {
    requests.push({ url: request.url(), from: "page" });
    if (allowed(request.url())) request.continue();
    else request.abort();
  });
  page.on("workercreated", async (worker) => {
    try {
      const client = worker.client;
      client.on("Network.requestWillBeSent", (e) => requests.push({ url: e.request.url, from: "worker" }));
      await client.send("Network.enable");
    } catch {
      // A worker that has ended already cannot be watched.
    }
  });
  page.on("pageerror", (error) => errors.push(error.message));
  const started = Date.now();
  await page.goto(pageUrl);
  await page.waitForFunction(() => document.body.dataset.state === "ready", { timeout: 60000 });
  page.loadMs = Date.now() - started;
  return page;
}

// Runs the API in the page: {result, graph, summary} as Buffers or null.
export async function analyseInPage(page, dataBytes, program, date = goldenDate, name = "data.txt") {
  const out = await page.evaluate(
    async (data, program, date, name) => {
      const r = await window.trpfit.analyse(new Uint8Array(data), program, { date, name });
      const plain = (bytes) => (bytes ? Array.from(bytes) : null);
      return { ...r, result: plain(r.result), graph: plain(r.graph), summary: plain(r.summary) };
    },
    Array.from(dataBytes), program, date, name
  );
  for (const key of ["result", "graph", "summary"]) out[key] = out[key] ? Buffer.from(out[key]) : null;
  return out;
}

// Runs a native program on `dataBytes` in a scratch folder: status, the
// lines of standard error, and the reports it left (null when absent).
export function runNative(program, dataBytes, dataName = "data.txt") {
  const dir = scratch("trpfit-native-");
  try {
    writeFileSync(join(dir, dataName), dataBytes);
    const names = ["Result.txt", "Graph.txt", "Summary.txt"];
    const run = spawnSync(join(nativeDir, program), [dataName, ...names], { cwd: dir, env: nativeEnv() });
    const report = (name) => (existsSync(join(dir, name)) ? readFileSync(join(dir, name)) : null);
    return {
      status: run.status,
      stderr: run.stderr.toString(),
      result: report(names[0]), graph: report(names[1]), summary: report(names[2]),
    };
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// The programs print their date from the clock; the tests compare runs of
// the same day only, or set the date in the page to the native run's day.
function nativeEnv() {
  return { ...process.env, LC_ALL: "C" };
}

export function nativeToday() {
  return execFileSync("date", ["+%m-%d-%Y"]).toString().trim();
}

// Standard error of a native run split as the page reports it: the
// failure line ("" for none) and the warning lines; `cause` is the failure
// without the program's name in front, as the batch index shows it.
export function splitNativeErr(program, stderr) {
  const lines = stderr.split("\n").filter((l) => l !== "");
  const warningPrefix = program + ": warning: ";
  const warnings = lines.filter((l) => l.startsWith(warningPrefix));
  const others = lines.filter((l) => !l.startsWith(warningPrefix));
  const message = others.length ? others[others.length - 1] : "";
  const cause = message.startsWith(program + ": ") ? message.slice(program.length + 2) : message;
  return { message, cause, warnings };
}

export function readRoot(path) {
  return readFileSync(join(root, path));
}
