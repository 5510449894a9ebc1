// The import form: instrument exports with the options of `trpfit import`.
// Every export is read as soon as it is chosen, so that its spectra can be
// picked and their concentrations typed in series order; the data file it
// builds is shown, offered for download and can be analysed at once.
"use strict";

const importForm = (() => {
  const $ = (id) => document.getElementById(id);
  // [{name, bytes, layout, spectra: [{name, byDefault, corrected, because, excitation}], message}]
  let exportsRead = [];
  let standardFile = null;
  let built = null;  // {data: Uint8Array, name}

  async function scan(name, bytes) {
    const { outputs } = await trpfitEngine.call("scan", {
      export: bytes, name, format: $("format").value, matrix: $("matrix").value,
      overrideHeader: $("override-header").checked ? "1" : "",
    });
    const spectra = trpfitText.decode(outputs.spectra).split("\n").filter((l) => l !== "").map((line) => {
      const [name, byDefault, corrected, because, excitation] = line.split("\t");
      return { name, byDefault: byDefault === "1", corrected: corrected === "1", because, excitation };
    });
    const layouts = trpfitText.decode(outputs.layouts);
    if (layouts && $("format").options.length === 1) {
      for (const l of layouts.split(", ")) $("format").add(new Option(l, l));
    }
    return {
      name, bytes, spectra,
      layout: trpfitText.decode(outputs.layout),
      message: trpfitText.decode(outputs.message),
    };
  }

  function factsOf(e) {
    if (e.message) return e.message;
    const parts = ["layout " + e.layout, e.spectra.length + (e.spectra.length === 1 ? " spectrum" : " spectra")];
    const corrected = e.spectra.find((s) => s.corrected);
    if (corrected) parts.push("already corrected (" + corrected.because + ")");
    const ex = e.spectra.filter((s) => s.excitation).map((s) => s.excitation);
    if (ex.length) parts.push("excitation " + ex.join(", ") + " nm");
    return parts.join("; ");
  }

  // The spectra the series takes, in order: a chosen spectrum, or every
  // spectrum the export gives by default.
  function seriesSpectra() {
    const list = [];
    exportsRead.forEach((e, i) => {
      const choice = $("spectrum-" + i) ? $("spectrum-" + i).value : "";
      if (choice !== "") list.push(e.name + ": " + choice);
      else for (const s of e.spectra.filter((s) => s.byDefault)) list.push(e.name + ": " + s.name);
    });
    return list;
  }

  function drawConcentrations() {
    const body = $("conc-table").tBodies[0];
    const typed = Array.from(body.querySelectorAll("input")).map((x) => x.value);
    body.textContent = "";
    seriesSpectra().forEach((label, k) => {
      const row = body.insertRow();
      row.insertCell().textContent = String(k + 1);
      row.insertCell().textContent = label;
      const input = document.createElement("input");
      input.id = "conc-" + k;
      input.inputMode = "decimal";
      input.value = typed[k] || "";
      row.insertCell().appendChild(input);
    });
  }

  function drawSeries() {
    const body = $("series-table").tBodies[0];
    body.textContent = "";
    exportsRead.forEach((e, i) => {
      const row = body.insertRow();
      row.insertCell().textContent = String(i + 1);
      row.insertCell().textContent = e.name;
      const select = document.createElement("select");
      select.id = "spectrum-" + i;
      select.add(new Option("every spectrum it gives (" + e.spectra.filter((s) => s.byDefault).length + ")", ""));
      for (const s of e.spectra) select.add(new Option(s.name, s.name));
      select.addEventListener("change", drawConcentrations);
      row.insertCell().appendChild(select);
      const facts = row.insertCell();
      facts.className = "facts";
      facts.textContent = factsOf(e);
    });
    drawConcentrations();
  }

  // Reads the exports given ([{name, bytes}]) again with the layout options.
  async function scanAll(files) {
    page.setState("running");
    page.showStage("Reading the exports…");
    const read = [];
    for (const f of files) read.push(await scan(f.name, f.bytes));
    exportsRead = read;
    drawSeries();
    page.showStage("Read " + exportsRead.length + " exports.");
    page.setState("ready");
  }

  async function takeExports(fileList) {
    const files = [];
    for (const f of Array.from(fileList)) files.push({ name: f.name, bytes: await page.readFile(f) });
    await scanAll(files);
  }

  function concentrations() {
    return Array.from($("conc-table").tBodies[0].querySelectorAll("input")).map((x) => x.value.trim()).join(",");
  }

  async function build() {
    page.setState("running");
    page.showMessage("");
    $("import-result").textContent = "";
    $("analyse-built").disabled = true;
    built = null;
    try {
      const standard = $("rec-standard").checked && standardFile
        ? { name: standardFile.name, bytes: await page.readFile(standardFile), spectrum: $("standard-spectrum").value.trim() }
        : null;
      const quencher = $("quencher").value;
      const outcome = await window.trpfit.importExports(
        exportsRead.map((e) => ({ name: e.name, bytes: e.bytes })),
        standard,
        {
          corrected: $("rec-corrected").checked,
          overrideHeader: $("override-header").checked,
          quencher,
          concentrations: quencher ? concentrations() : "",
          grid: $("grid").value.trim(),
          spectra: exportsRead.map((e, i) => ($("spectrum-" + i) ? $("spectrum-" + i).value : "")),
          program: $("import-program").value,
          title: $("title").value.trim() === "" ? undefined : $("title").value,
          format: $("format").value === "auto" ? "" : $("format").value,
          matrix: $("matrix").value,
          output: $("data-name").value.trim() || "data.txt",
        }
      );
      showImport(outcome);
    } catch (error) {
      page.showMessage("trpfit: " + error.message);
    }
    page.setState("done");
  }

  function showImport(outcome) {
    const box = $("import-result");
    if (outcome.status !== 0) {
      page.showMessage(outcome.message);
      page.showStage("The exports were refused.");
      return;
    }
    const name = $("data-name").value.trim() || "data.txt";
    built = { data: outcome.data, name };
    const summary = document.createElement("p");
    summary.id = "import-summary";
    summary.textContent = outcome.summary;
    box.appendChild(summary);
    if (outcome.facts.length) {
      const facts = document.createElement("ul");
      facts.id = "import-facts";
      for (const f of outcome.facts) {
        const li = document.createElement("li");
        li.textContent = f;
        facts.appendChild(li);
      }
      box.appendChild(facts);
    }
    const pre = document.createElement("pre");
    pre.className = "data";
    pre.id = "built-data";
    pre.textContent = trpfitText.decode(outcome.data);
    box.appendChild(pre);
    $("outputs").hidden = false;
    page.showReportPage("");
    page.showDownloads([{ name, bytes: outcome.data }], page.stem(name) + "-trpfit.zip");
    page.showStage("Data file " + name + " built.");
    $("analyse-built").disabled = false;
  }

  function init() {
    $("export-files").addEventListener("change", (e) => takeExports(e.target.files));
    page.wireDrop($("export-drop"), takeExports);
    $("standard-file").addEventListener("change", (e) => {
      standardFile = e.target.files[0] || null;
      if (standardFile) $("rec-standard").checked = true;
    });
    $("import-button").addEventListener("click", build);
    for (const id of ["format", "matrix", "override-header"]) {
      $(id).addEventListener("change", () => {
        if (exportsRead.length) scanAll(exportsRead.map((e) => ({ name: e.name, bytes: e.bytes })));
      });
    }
    $("analyse-built").addEventListener("click", () => {
      if (built) page.runSingle(built.data, built.name, built.data);
    });
  }

  return { init, built: () => built };
})();
