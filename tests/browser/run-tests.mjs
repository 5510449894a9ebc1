// Browser tests of the offline page build-web/trpfit.html in headless
// Chromium, opened from file://: the reports of the API against the stored
// golden reports and the native programs, the import form against
// `trpfit import`, the downloads against what the page shows, and no
// request leaving the page.
//   node run-tests.mjs     (after scripts/build-web.sh and a native build in build/)
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { existsSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { after, before, describe, test } from "node:test";
import {
  analyseInPage, goldenDate, launch, nativeDir, nativeToday, openPage, pagePath, readRoot,
  removeScratch, runNative, scratch, splitNativeErr,
} from "./lib.mjs";
import { badInputRows, exportFixture, nativeSuiteRows } from "./datafiles.mjs";

for (const need of [pagePath, join(nativeDir, "quenfit"), join(nativeDir, "monofit"), join(nativeDir, "trpfit")]) {
  if (!existsSync(need)) {
    console.error(`browser tests: ${need} is missing (scripts/build-web.sh builds the page, ./run-tests.sh the programs)`);
    process.exit(1);
  }
}

let browser;
let page;
const requests = [];
const errors = [];

before(async () => {
  browser = await launch();
  page = await openPage(browser, { requests, errors });
});

after(async () => {
  if (browser) await browser.close();
  removeScratch();
});

// The page's text of a DOM element.
const textOf = (selector) => page.$eval(selector, (e) => e.textContent);

async function waitDone() {
  await page.waitForFunction(() => document.body.dataset.state === "done", { timeout: 120000 });
}

// The files the download links hold, by their name in the archive.
async function downloads() {
  const list = await page.$$eval("#downloads a", (links) =>
    Promise.all(links.map(async (a) => ({
      name: a.dataset.file,
      download: a.download,
      bytes: Array.from(new Uint8Array(await (await fetch(a.href)).arrayBuffer())),
    }))));
  return Object.fromEntries(list.map((d) => [d.name, { ...d, bytes: Buffer.from(d.bytes) }]));
}

describe("the API", () => {
  for (const [name, program, data] of [
    ["series", "quenfit", "examples/series.dat"],
    ["series", "auto", "examples/series.dat"],
    ["single", "monofit", "examples/single.dat"],
    ["single", "auto", "examples/single.dat"],
  ]) {
    test(`${data} as ${program} gives the golden reports byte for byte`, async () => {
      const r = await analyseInPage(page, readRoot(data), program, goldenDate);
      assert.equal(r.status, 0, r.message);
      assert.equal(r.message, "");
      assert.deepEqual(r.warnings, []);
      assert.equal(r.program, program === "auto" ? (name === "series" ? "quenfit" : "monofit") : program);
      for (const [key, file] of [["result", "Result"], ["graph", "Graph"], ["summary", "Summary"]]) {
        assert.ok(r[key].equals(readRoot(`tests/golden/${name}_${file}.txt`)), `${file} of ${name} differs`);
      }
    });
  }

  test("a string is taken as UTF-8, and an unknown program is refused", async () => {
    const text = readRoot("examples/single.dat").toString("utf8");
    const fromString = await page.evaluate(async (t, d) => {
      const r = await window.trpfit.analyse(t, "monofit", { date: d });
      return Array.from(r.summary);
    }, text, goldenDate);
    assert.ok(Buffer.from(fromString).equals(readRoot("tests/golden/single_Summary.txt")));
    const refused = await page.evaluate(() => window.trpfit.analyse("x", "velafit").then(() => "ran", (e) => e.message));
    assert.match(refused, /program must be/);
  });

  test("the stages are reported as they start", async () => {
    const stages = await page.evaluate(async (series, single) => {
      const seen = { series: [], single: [] };
      await window.trpfit.analyse(new Uint8Array(series), "auto", { onStage: (s) => seen.series.push(s) });
      await window.trpfit.analyse(new Uint8Array(single), "auto", { onStage: (s) => seen.single.push(s) });
      return seen;
    }, Array.from(readRoot("examples/series.dat")), Array.from(readRoot("examples/single.dat")));
    assert.deepEqual(stages.series, ["TARNO", "VELA-I", "VELA-II", "VELA-III"]);
    assert.deepEqual(stages.single.slice(0, 3), ["VELA-MONO-I", "VELA-MONO-II", "VELA-MONO-III"]);
  });

  test("a second analysis in the same page is unaffected by the first", async () => {
    const series = readRoot("examples/series.dat");
    const first = await analyseInPage(page, series, "quenfit");
    const failing = await analyseInPage(page, Buffer.from("Tiny\n1 3 320 380 20\n0 .1 .2\n8 4 2 1e999\n"), "quenfit");
    assert.equal(failing.status, 1);
    const single = await analyseInPage(page, readRoot("examples/single.dat"), "monofit");
    assert.equal(single.status, 0);
    const again = await analyseInPage(page, series, "quenfit");
    for (const key of ["result", "graph", "summary"]) assert.ok(again[key].equals(first[key]), key);
  });
});

describe("refused data files", () => {
  const today = nativeToday();
  const suiteRows = nativeSuiteRows();
  if (suiteRows === null) {
    test("the native suite's rows (build/tests/bad_input_files is not built)", { skip: true }, () => {});
  }
  for (const row of [...badInputRows(), ...(suiteRows || [])]) {
    test(`${row.program}: ${row.name} — same status, message and reports as the native program`, async () => {
      const native = runNative(row.program, row.data);
      const expected = splitNativeErr(row.program, native.stderr);
      const r = await analyseInPage(page, row.data, row.program, today);
      assert.equal(r.status, native.status, `status (native: ${native.stderr.trim()})`);
      assert.equal(r.message, expected.message);
      assert.deepEqual(r.warnings, expected.warnings);
      for (const key of ["result", "graph", "summary"]) {
        if (native[key] === null) assert.equal(r[key], null, `${key} should not exist`);
        else assert.ok(r[key] && r[key].equals(native[key]), `${key} differs from the native report`);
      }
    });
  }

  test("the page shows a refused data file in the command line's words", async () => {
    const dir = scratch();
    const file = join(dir, "broken.dat");
    writeFileSync(file, "Tiny series\nx 3 320 380 20\n0 .1 .2\n");
    await page.$eval("#mode-data", (e) => e.click());
    await page.select("#program", "quenfit");
    await page.evaluate(() => { document.body.dataset.state = "ready"; });
    const input = await page.$("#data-files");
    await input.uploadFile(file);
    await waitDone();
    const native = splitNativeErr("quenfit", runNative("quenfit", readFileSync(file), "broken.dat").stderr);
    assert.equal(await textOf("#message"), native.message);
  });
});

describe("the page", () => {
  test("a data file dropped on the page: report page inline, downloads hold what it shows", async () => {
    const dir = scratch();
    const file = join(dir, "series.dat");
    writeFileSync(file, readRoot("examples/series.dat"));
    await page.select("#program", "auto");
    await page.evaluate(() => { document.body.dataset.state = "ready"; });
    await (await page.$("#data-files")).uploadFile(file);
    await waitDone();
    assert.match(await textOf("#stage"), /done \(quenfit\)/);
    const shown = await page.evaluate(() => ({
      html: page.shownPage(),
      headings: document.getElementById("report-page").shadowRoot.querySelectorAll("svg").length,
    }));
    assert.ok(shown.headings > 0, "the report page shows figures");
    const files = await downloads();
    const reports = await analyseInPage(page, readRoot("examples/series.dat"), "quenfit", nativeToday());
    assert.ok(files["Result.txt"].bytes.equals(reports.result));
    assert.ok(files["Graph.txt"].bytes.equals(reports.graph));
    assert.ok(files["Summary.txt"].bytes.equals(reports.summary));
    assert.equal(files["report.html"].bytes.toString("utf8"), shown.html);
    // The archive holds every other download, byte for byte.
    const archive = files["series-trpfit.zip"];
    const inside = await page.evaluate((bytes) => trpfitZip.unzip(new Uint8Array(bytes)).map((f) => ({ name: f.name, bytes: Array.from(f.bytes) })), Array.from(archive.bytes));
    const names = Object.keys(files).filter((n) => n !== "series-trpfit.zip");
    assert.deepEqual(inside.map((f) => f.name).sort(), names.sort());
    for (const f of inside) assert.ok(Buffer.from(f.bytes).equals(files[f.name].bytes), f.name);
    assert.ok(names.includes("components.csv") && names.some((n) => n.startsWith("figures/") && n.endsWith(".svg")));
    // The same archive through the browser's own download.
    const target = scratch();
    const cdp = await page.createCDPSession();
    await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: target });
    await page.$eval("#downloads a.all", (a) => a.click());
    const saved = join(target, "series-trpfit.zip");
    for (let i = 0; i < 100 && !existsSync(saved); i++) await new Promise((r) => setTimeout(r, 100));
    assert.ok(readFileSync(saved).equals(archive.bytes), "the saved archive is the one offered");
    // An independent reader takes the archive: every entry with a good CRC-32.
    const check = spawnSync("python3", ["-c",
      "import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); bad = z.testzip(); " +
      "print(bad or ''); print(len(z.namelist()))", saved]);
    assert.equal(check.status, 0, check.stderr.toString());
    assert.deepEqual(check.stdout.toString().split("\n").slice(0, 2), ["", String(names.length)]);
  });

  test("several data files are analysed in turn, with the batch index", async () => {
    const dir = scratch();
    const paths = [];
    for (const [name, bytes] of [
      ["series.dat", readRoot("examples/series.dat")],
      ["broken.dat", Buffer.from("Tiny series\n1 3 320 380 7\n")],
      ["single.dat", readRoot("examples/single.dat")],
      ["notes.dat", Buffer.concat([readRoot("examples/single.dat"), Buffer.from("Notes: 1 2 3\r\n")])],
    ]) {
      writeFileSync(join(dir, name), bytes);
      paths.push(join(dir, name));
    }
    await page.evaluate(() => { document.body.dataset.state = "ready"; });
    await (await page.$("#data-files")).uploadFile(...paths);
    await waitDone();
    const rows = await page.evaluate(() =>
      Array.from(document.getElementById("batch-index").shadowRoot.querySelectorAll("tbody tr"))
        .map((tr) => Array.from(tr.cells).map((td) => td.textContent)));
    assert.deepEqual(rows.map((r) => [r[0], r[1], r[2]]), [
      ["series.dat", "quenfit", "ok"], ["broken.dat", "quenfit", "failed"], ["single.dat", "monofit", "ok"],
      ["notes.dat", "monofit", "suspect"],
    ]);
    const native = splitNativeErr("quenfit", runNative("quenfit", readFileSync(paths[1]), "broken.dat").stderr);
    assert.equal(rows[1][3], native.cause);
    const hasFigure = await page.evaluate(() => document.getElementById("batch-index").shadowRoot.querySelector("svg") !== null);
    assert.ok(hasFigure, "the index shows the component positions");
    const files = await downloads();
    assert.ok(files["index.html"] && files["series/Result.txt"] && files["single/ResultM.txt"]);
    assert.ok(!files["broken/report.html"]);
  });

  test("exports with a standard recording imported through the form give the data file `trpfit import` writes", async () => {
    const fixture = exportFixture();
    const dir = scratch();
    for (const f of [...fixture.exports, fixture.standard]) writeFileSync(join(dir, f.name), f.text);
    const native = spawnSync(join(nativeDir, "trpfit"), [
      "import", "-o", "native.dat", "--standard", fixture.standard.name, "--quencher", fixture.quencher,
      "--conc", fixture.concentrations.join(","), ...fixture.exports.map((f) => f.name),
    ], { cwd: dir });
    assert.equal(native.status, 0, native.stderr.toString());
    await page.$eval("#mode-import", (e) => e.click());
    await page.evaluate(() => { document.body.dataset.state = "loading"; });
    await (await page.$("#export-files")).uploadFile(...fixture.exports.map((f) => join(dir, f.name)));
    await page.waitForFunction(() => document.body.dataset.state === "ready");
    await (await page.$("#standard-file")).uploadFile(join(dir, fixture.standard.name));
    await page.select("#quencher", fixture.quencher);
    const rows = await page.$$("#conc-table tbody input");
    assert.equal(rows.length, fixture.concentrations.length);
    for (let i = 0; i < rows.length; i++) await rows[i].type(fixture.concentrations[i]);
    await page.$eval("#data-name", (e) => { e.value = "native.dat"; });
    await page.click("#import-button");
    await waitDone();
    assert.equal(await page.$eval("#message", (e) => e.hidden), true, await textOf("#message"));
    const files = await downloads();
    assert.ok(files["native.dat"].bytes.equals(readFileSync(join(dir, "native.dat"))), "the data file differs");
    assert.equal(await textOf("#import-summary"), native.stderr.toString().trim());
    // Analysed at once, the data file built is among the downloads.
    await page.evaluate(() => { document.body.dataset.state = "ready"; });
    await page.click("#analyse-built");
    await waitDone();
    const after = await downloads();
    assert.ok(after["native.dat"].bytes.equals(files["native.dat"].bytes));
    assert.ok(after["Result.txt"]);
  });

  test("a refused export is shown in the command line's words", async () => {
    const dir = scratch();
    writeFileSync(join(dir, "empty.csv"), "Wavelength,Intensity\r\n");
    const native = spawnSync(join(nativeDir, "trpfit"), ["import", "-o", "x.dat", "--corrected", "empty.csv"], { cwd: dir });
    assert.equal(native.status, 1);
    await page.evaluate(() => { document.body.dataset.state = "loading"; });
    await (await page.$("#export-files")).uploadFile(join(dir, "empty.csv"));
    await page.waitForFunction(() => document.body.dataset.state === "ready");
    await page.$eval("#rec-corrected", (e) => e.click());
    await page.select("#quencher", "");
    await page.click("#import-button");
    await waitDone();
    assert.equal(await textOf("#message"), native.stderr.toString().trim());
  });
});

describe("the network", () => {
  test("the page made no request beyond its own file, blob: and data: URLs", () => {
    const outside = requests
      .filter((r) => !(r.url === "file://" + pagePath || r.url.startsWith("blob:") || r.url.startsWith("data:")))
      .map((r) => `${r.from}: ${r.url.slice(0, 200)}`);
    assert.deepEqual(outside, []);
    assert.ok(requests.some((r) => r.url === "file://" + pagePath), "the recorder saw the page itself");
  });

  test("no script error on the page", () => {
    assert.deepEqual(errors, []);
  });
});
