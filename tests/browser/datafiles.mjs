// Data files for the browser tests and the benchmark, made from the bundled
// examples: malformed variants (the rows of the native bad-input suite that
// a data file alone can cause), a longer series, and instrument exports.
import { spawnSync } from "node:child_process";
import { existsSync, readFileSync, readdirSync, rmSync } from "node:fs";
import { join } from "node:path";
import { readRoot, root, scratch } from "./lib.mjs";

const crlf = (lines) => lines.map((l) => l + "\r\n").join("");

// The example series as parts: title, line 2 fields, concentrations, the
// spectra and the measured standard (arrays of the numbers as printed).
export function seriesParts() {
  const lines = readRoot("examples/series.dat").toString("latin1").split("\r\n");
  const [type, count, first, last, step] = lines[1].split(" ");
  const numbers = lines.slice(3).join(" ").split(" ").filter((t) => t !== "");
  const points = Math.round((Number(last) - Number(first)) / Number(step)) + 1;
  const spectra = [];
  for (let i = 0; i < Number(count); i++) spectra.push(numbers.slice(i * points, (i + 1) * points));
  return {
    title: lines[0], type, first, last, step,
    concentrations: lines[2].split(" "),
    spectra,
    standard: numbers.slice(Number(count) * points, (Number(count) + 1) * points),
  };
}

function rows(values) {
  const out = [];
  for (let k = 0; k < values.length; k += 10) out.push(values.slice(k, k + 10).join(" "));
  return out;
}

export function seriesText(p) {
  return crlf([
    p.title,
    [p.type, p.spectra.length, p.first, p.last, p.step].join(" "),
    p.concentrations.join(" "),
    ...p.spectra.flatMap(rows),
    ...rows(p.standard),
  ]);
}

// A series of `count` spectra at 1 nm: the example's ten spectra, each
// recorded as replicates at its concentration that differ by up to 0.1 %.
export function longSeries(count = 30) {
  const p = seriesParts();
  const spectra = [];
  const concentrations = [];
  let seed = 12345;
  for (let i = 0; i < count; i++) {
    const k = Math.floor((i * p.spectra.length) / count);
    concentrations.push(p.concentrations[k]);
    spectra.push(p.spectra[k].map((v) => {
      seed = (seed * 1664525 + 1013904223) >>> 0;
      return (Number(v) * (1 + ((seed / 4294967296) - 0.5) * 0.002)).toFixed(1);
    }));
  }
  return seriesText({ ...p, title: `Replicate series: ${count} spectra at 1 nm`, spectra, concentrations });
}

// Bytes from the fixed linear congruential sequence of the native suite.
function randomBytes(count, seed) {
  const out = Buffer.alloc(count);
  for (let i = 0; i < count; i++) {
    seed = (Math.imul(seed, 1664525) + 1013904223) >>> 0;
    out[i] = seed >>> 24;
  }
  return out;
}

const tinyStandard = "0.317 0.887 0.957 0.631\n";
const tinySeries = (line2, conc, spectra, standard = tinyStandard) =>
  "Tiny series\n" + line2 + "\n" + conc + spectra + standard;
const tinySingle = (spectrum, standard = tinyStandard) => "Tiny spectrum\n320 380 20\n" + spectrum + standard;
const three = "8 4 2 1\n4 8 4 2\n2 4 8 4\n";

// The series with values replaced: changes [[spectrum, point, value]], 0-based.
function withFields(p, changes) {
  const copy = { ...p, spectra: p.spectra.map((s) => s.slice()) };
  for (const [spectrum, point, value] of changes) copy.spectra[spectrum][point] = value;
  return seriesText(copy);
}

// [{name, program, data (Buffer)}]: every row a data file on its own can
// cause; the native programs run on the same bytes decide the outcome.
export function badInputRows() {
  const p = seriesParts();
  const series = seriesText(p);
  const t = (s) => Buffer.from(s, "latin1");
  const q = (name, data) => ({ name, program: "quenfit", data: t(data) });
  const m = (name, data) => ({ name, program: "monofit", data: t(data) });
  const many = { ...p, spectra: [...p.spectra, ...p.spectra, ...p.spectra, p.spectra[0]],
    concentrations: [...p.concentrations, ...p.concentrations, ...p.concentrations, "0.000"] };
  return [
    q("empty file", ""),
    q("title only", "Tiny series\n"),
    q("non-numeric field", tinySeries("1 3 320 380 20", "0 .1 .2\n", "8 4 2 1\n4 8 abc 2\n2 4 8 4\n")),
    q("non-numeric type", tinySeries("x 3 320 380 20", "0 .1 .2\n", "")),
    q("empty field", tinySeries("1 3 320 380 20", "0 .1 .2\n", "8,4,,1\n4 8 4 2\n2 4 8 4\n")),
    q("value beyond the double range", tinySeries("1 3 320 380 20", "0 .1 .2\n", "8 4 2 1e999\n")),
    q("ends inside a spectrum", tinySeries("1 3 320 380 20", "0 .1 .2\n", "8 4 2 1\n4 8 4 2\n2 4\n", "")),
    q("ends inside the standard", tinySeries("1 3 320 380 20", "0 .1 .2\n", three, "0.317 0.887\n")),
    q("31 spectra", seriesText(many)),
    q("101 grid points", tinySeries("1 3 300 400 1", "0 .1 .2\n", "")),
    q("grid starting above 320 nm", tinySeries("1 3 321 399 1", "0 .1 .2\n", "")),
    q("grid ending below 380 nm", tinySeries("1 3 300 379 1", "0 .1 .2\n", "")),
    q("grid stepping past 320 nm", tinySeries("1 3 300.5 398.5 1", "0 .1 .2\n", "")),
    q("step not dividing 60", tinySeries("1 3 320 380 7", "0 .1 .2\n", "")),
    q("step of zero", tinySeries("1 3 320 380 0", "0 .1 .2\n", "")),
    q("quencher type 0", tinySeries("0 3 320 380 20", "0 .1 .2\n", three)),
    q("quencher type 6", tinySeries("6 3 320 380 20", "0 .1 .2\n", three)),
    q("quencher type not whole", tinySeries("1.5 3 320 380 20", "0 .1 .2\n", three)),
    q("two spectra", tinySeries("1 2 320 380 20", "0 .1\n", "8 4 2 1\n4 8 4 2\n")),
    q("all concentrations equal", tinySeries("1 3 320 380 20", ".1 .1 .1\n", three)),
    q("concentrations over two lines", tinySeries("1 3 320 380 20", "0 .1\n.2\n", three)),
    q("zero in the measured standard", tinySeries("1 3 320 380 20", "0 .1 .2\n", three, "0.317 0 0.957 0.631\n")),
    q("measured standard all zero", tinySeries("1 3 320 380 20", "0 .1 .2\n", three, "0 0 0 0\n")),
    q("spectra all zero", tinySeries("1 3 320 380 20", "0 .1 .2\n", "0 0 0 0\n0 0 0 0\n0 0 0 0\n")),
    { name: "random bytes", program: "quenfit", data: randomBytes(3000, 12345) },
    { name: "text after the measured standard", program: "quenfit",
      data: Buffer.concat([t(series), Buffer.from("Notes: recorded on a Tuesday\r\n1 2 3, x y\r\n\x01\xff", "latin1")]) },
    q("a value of 1e300", withFields(p, [[0, 20, "1e300"]])),
    q("a window value of 0", withFields(p, [[0, 35, "0"]])),
    q("negative intensities", withFields(p, [[2, 30, "-250"], [4, 45, "-1e3"]])),
    m("empty file", ""),
    m("title only", "Tiny spectrum\r\n"),
    m("non-numeric field", tinySingle("8 4 2 1\n", "0.317 0.887 - 0.631\n")),
    m("ends inside the spectrum", tinySingle("8 4", "")),
    m("ends inside the standard", tinySingle("8 4 2 1\n", "0.317\n")),
    { name: "random bytes", program: "monofit", data: randomBytes(3000, 777) },
    m("spectrum on line 2", "Tiny spectrum\n320 380 20 8 4 2 1\n" + tinyStandard),
    // Arithmetic failures inside the stages: checked where they happen, in
    // the browser as natively.
    m("fails in VELA-MONO-I", tinySingle("0 0 0 1\n")),
    m("values near the double range", tinySingle("1e308 1e308 1.7e308 1e308\n")),
    q("values near the double range", tinySeries("1 3 320 380 20", "0 .1 .2\n", "1e308 1e308 1.7e308 1e308\n4 8 4 2\n2 4 8 4\n")),
    { name: "a series given to monofit", program: "monofit", data: t(series) },
    { name: "a single spectrum given to quenfit", program: "quenfit", data: readRoot("examples/single.dat") },
  ];
}

// Instrument exports of a quenching series recorded with a standard: one
// two-column CSV per spectrum (wavelength, intensity) and the standard's
// recording, from the example series' spectra and standard.
export function exportFixture() {
  const p = seriesParts();
  const wavelengths = p.standard.map((_, k) => Number(p.first) + k * Number(p.step));
  const csv = (values) => "Wavelength (nm),Intensity (a.u.)\r\n" +
    wavelengths.map((w, k) => `${w.toFixed(1)},${values[k]}`).join("\r\n") + "\r\n";
  const files = p.spectra.slice(0, 5).map((s, i) => ({ name: `sample-${i + 1}.csv`, text: csv(s) }));
  return {
    exports: files,
    standard: { name: "standard.csv", text: csv(p.standard) },
    quencher: "1",
    concentrations: p.concentrations.slice(0, 5),
  };
}

// The data files of the native bad-input suite's own rows, written by its
// tool (build/tests/bad_input_files, built with the tests): [{name, program,
// data}], or null when the tool has not been built.
export function nativeSuiteRows() {
  const tool = process.env.TRPFIT_BAD_INPUT_FILES || join(root, "build/tests/bad_input_files");
  if (!existsSync(tool)) return null;
  const dir = scratch("trpfit-bad-input-");
  try {
    const run = spawnSync(tool, [dir]);
    if (run.status !== 0) throw new Error("bad_input_files failed: " + run.stderr.toString());
    return readdirSync(dir).sort().map((file) => ({
      name: "suite row " + file,
      program: file.startsWith("quenfit_") ? "quenfit" : "monofit",
      data: readFileSync(join(dir, file)),
    }));
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}
