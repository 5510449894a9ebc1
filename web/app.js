// The page: input, the analysis with its stage, messages, the report page
// inline and the downloads. The import form and the batch of several data
// files are in app_import.js and app_batch.js.
"use strict";

const page = (() => {
  const $ = (id) => document.getElementById(id);
  let downloadUrls = [];

  function setState(state) {
    document.body.dataset.state = state;
  }

  function showStage(text) {
    $("stage").textContent = text;
  }

  // A refusal or failure, in the words the command line uses.
  function showMessage(text) {
    const box = $("message");
    box.textContent = text;
    box.hidden = text === "";
  }

  function showWarnings(lines) {
    const list = $("warnings");
    list.textContent = "";
    for (const line of lines) {
      const item = document.createElement("li");
      item.textContent = line;
      list.appendChild(item);
    }
  }

  // The file names the programs write by default.
  function reportNames(program) {
    return program === "monofit"
      ? { result: "ResultM.txt", graph: "GraphM.txt", summary: "SummaryM.txt" }
      : { result: "Result.txt", graph: "Graph.txt", summary: "Summary.txt" };
  }

  // Every file of one analysed data file, as [{name, bytes}]: the data file
  // (when the page built it), the reports, the report page, its figures and
  // the tables; `prefix` puts them in a folder.
  function runFiles(run, prefix = "") {
    const files = [];
    if (run.builtData) files.push({ name: prefix + run.dataName, bytes: run.builtData });
    const names = reportNames(run.analysis.program);
    for (const key of ["result", "graph", "summary"]) {
      if (run.analysis[key]) files.push({ name: prefix + names[key], bytes: run.analysis[key] });
    }
    if (run.report && run.report.page) {
      files.push({ name: prefix + "report.html", bytes: trpfitText.encode(run.report.page) });
      for (const t of run.report.tables) files.push({ name: prefix + t.name, bytes: trpfitText.encode(t.csv) });
      for (const f of run.report.figures) files.push({ name: prefix + f.name, bytes: trpfitText.encode(f.svg) });
    }
    return files;
  }

  function mimeOf(name) {
    if (name.endsWith(".html")) return "text/html";
    if (name.endsWith(".svg")) return "image/svg+xml";
    if (name.endsWith(".csv")) return "text/csv";
    if (name.endsWith(".zip")) return "application/zip";
    return "text/plain";
  }

  function clearDownloads() {
    for (const url of downloadUrls) URL.revokeObjectURL(url);
    downloadUrls = [];
    $("downloads").textContent = "";
  }

  // What a file is, for the groups of download links.
  function groupOf(name) {
    if (name.endsWith(".svg")) return "Figures (SVG)";
    if (name.endsWith(".csv")) return "Tables (CSV)";
    if (name.endsWith(".html")) return "Pages";
    if (/(Result|Graph|Summary)M?\.txt$/.test(name)) return "Reports";
    return "Data files";
  }

  // Download links for `files`, grouped, and one for all of them as `archiveName`.
  function showDownloads(files, archiveName) {
    clearDownloads();
    const box = $("downloads");
    const link = (parent, name, bytes, cls) => {
      const a = document.createElement("a");
      const url = URL.createObjectURL(new Blob([bytes], { type: mimeOf(name) }));
      downloadUrls.push(url);
      a.href = url;
      a.download = name.split("/").pop();
      a.dataset.file = name;
      a.textContent = name.split("/").pop();
      if (cls) a.className = cls;
      parent.appendChild(a);
    };
    if (files.length === 0) return;
    const all = document.createElement("p");
    all.append("Everything in one archive: ");
    link(all, archiveName, trpfitZip.zip(files), "all");
    box.appendChild(all);
    const groups = new Map();
    for (const f of files) {
      const folder = f.name.includes("/") && !f.name.startsWith("figures/") ? f.name.split("/")[0] + "/: " : "";
      const key = folder + groupOf(f.name);
      if (!groups.has(key)) {
        const line = document.createElement("p");
        const label = document.createElement("span");
        label.className = "group";
        label.textContent = key + " ";
        line.appendChild(label);
        box.appendChild(line);
        groups.set(key, line);
      }
      link(groups.get(key), f.name, f.bytes);
    }
  }

  // The report page inline; a shadow root keeps its styles to itself.
  function showReportPage(html) {
    const box = $("report");
    box.textContent = "";
    if (!html) return;
    const host = document.createElement("div");
    host.id = "report-page";
    box.appendChild(host);
    const root = host.attachShadow({ mode: "open" });
    root.innerHTML = html;
    keepLinksInside(root);
    pageHtml = html;
  }

  // Links of a page shown inline: one to a place in the page scrolls to it
  // (the place lies in the shadow root, where the browser does not look);
  // any other is left to the caller or refused, since it would leave the page.
  function keepLinksInside(root, other) {
    root.addEventListener("click", (e) => {
      const a = e.target.closest("a");
      if (!a) return;
      e.preventDefault();
      const href = a.getAttribute("href") || "";
      if (href.startsWith("#")) {
        const target = root.getElementById(decodeURIComponent(href.slice(1)));
        if (target) target.scrollIntoView();
      } else if (other) {
        other(href);
      }
    });
  }
  let pageHtml = "";

  // Analyses one data file, shows its outcome, its report page and its
  // downloads. Returns the run: {name, analysis, report, builtData, dataName}.
  async function analyseOne(bytes, name, program, builtData) {
    showMessage("");
    showWarnings([]);
    showStage("Reading " + name + "…");
    const analysis = await window.trpfit.analyse(bytes, program, {
      name,
      onStage: (text) => showStage(name + ": " + text),
    });
    const run = { name, analysis, report: null, builtData, dataName: name };
    const who = analysis.program || (program === "auto" ? "trpfit" : program);
    if (analysis.status !== 0) {
      showMessage(analysis.message);
      showStage(name + ": failed (exit status " + analysis.status + ")");
    } else {
      showStage(name + ": reports written; making the report page…");
      run.report = await window.trpfit.report(
        analysis.result, analysis.graph, analysis.summary, stem(name), reportNames(analysis.program));
      if (run.report.status !== 0) showMessage("trpfit: " + run.report.message);
      showStage(name + ": done (" + who + ")");
    }
    showWarnings(analysis.warnings.concat(run.report ? run.report.warnings : []));
    return run;
  }

  function stem(name) {
    const base = name.split(/[\\/]/).pop();
    const dot = base.lastIndexOf(".");
    return dot > 0 ? base.slice(0, dot) : base;
  }

  async function runSingle(bytes, name, builtData) {
    setState("running");
    $("outputs").hidden = false;
    $("batch").textContent = "";
    showReportPage("");
    clearDownloads();
    try {
      const run = await analyseOne(bytes, name, $("program").value, builtData);
      showReportPage(run.report && run.report.page);
      showDownloads(runFiles(run), stem(name) + "-trpfit.zip");
    } catch (error) {
      showMessage("trpfit: " + error.message);
    }
    setState("done");
  }

  async function readFile(file) {
    return new Uint8Array(await file.arrayBuffer());
  }

  async function takeDataFiles(fileList) {
    const files = Array.from(fileList);
    if (files.length === 0) return;
    if (files.length === 1) {
      await runSingle(await readFile(files[0]), files[0].name, null);
    } else {
      await batch.run(files);
    }
  }

  function wireDrop(zone, take) {
    zone.addEventListener("dragover", (e) => { e.preventDefault(); zone.classList.add("over"); });
    zone.addEventListener("dragleave", () => zone.classList.remove("over"));
    zone.addEventListener("drop", (e) => {
      e.preventDefault();
      zone.classList.remove("over");
      take(e.dataTransfer.files);
    });
  }

  function init() {
    for (const radio of document.querySelectorAll('input[name="mode"]')) {
      radio.addEventListener("change", () => {
        $("data-panel").hidden = $("mode-import").checked;
        $("import-panel").hidden = !$("mode-import").checked;
      });
    }
    $("data-files").addEventListener("change", (e) => takeDataFiles(e.target.files));
    wireDrop($("drop"), takeDataFiles);
    // A file dropped elsewhere must not replace the page.
    window.addEventListener("dragover", (e) => e.preventDefault());
    window.addEventListener("drop", (e) => e.preventDefault());
    importForm.init();
    trpfitEngine.start();
    trpfitEngine.ready.then(
      () => {
        showStage("Ready: choose a data file or instrument exports.");
        setState("ready");
      },
      (error) => {
        showStage("This browser cannot run the analysis.");
        showMessage(error.message + " (the page needs WebAssembly with exceptions: a current Chrome, Edge, Firefox or Safari)");
        setState("failed");
      }
    );
  }

  return {
    $, setState, showStage, keepLinksInside, showMessage, showWarnings, showDownloads, clearDownloads,
    showReportPage, analyseOne, runSingle, runFiles, stem, readFile, wireDrop, init,
    shownPage: () => pageHtml,
  };
})();

document.addEventListener("DOMContentLoaded", page.init);
