// Several data files dropped at once: analysed one after the other, each
// in a folder of its own, with the index of `trpfit run` (statuses and the
// figure of component positions) shown as the runs finish.
"use strict";

const batch = (() => {
  let runs = [];

  // Folder names from the file names, made unique in the order of the files.
  function folderNames(files) {
    const used = new Set();
    return files.map((f) => {
      const base = page.stem(f.name).replace(/[^A-Za-z0-9._-]/g, "_") || "data";
      let name = base;
      for (let k = 2; used.has(name); k++) name = base + "-" + k;
      used.add(name);
      return name;
    });
  }

  function record(run) {
    const a = run.analysis;
    const components = run.report ? run.report.tables.find((t) => t.name === "components.csv") : null;
    return {
      file: run.name,
      program: a.program,
      exitStatus: String(a.status),
      errText: [...a.warnings, a.message].filter((l) => l !== "").join("\n"),
      components: components ? components.csv : "",
      link: run.report && run.report.page ? run.folder + "/report.html" : "",
    };
  }

  async function showIndex() {
    const index = await window.trpfit.index(runs.map(record));
    const box = page.$("batch");
    box.textContent = "";
    const host = document.createElement("div");
    host.id = "batch-index";
    box.appendChild(host);
    const root = host.attachShadow({ mode: "open" });
    root.innerHTML = index.page;
    // The links point into the archive's folders; here they show the run.
    page.keepLinksInside(root, (href) => {
      const run = runs.find((r) => r.folder + "/report.html" === decodeURIComponent(href));
      if (run) {
        page.showReportPage(run.report.page);
        page.showMessage(run.analysis.message);
        page.showWarnings(run.analysis.warnings);
      }
    });
    return index;
  }

  async function run(fileList) {
    const files = Array.from(fileList);
    page.setState("running");
    page.$("outputs").hidden = false;
    page.clearDownloads();
    page.showReportPage("");
    runs = [];
    const folders = folderNames(files);
    let index = null;
    try {
      for (let i = 0; i < files.length; i++) {
        const bytes = await page.readFile(files[i]);
        const r = await page.analyseOne(bytes, files[i].name, page.$("program").value, null);
        r.folder = folders[i];
        runs.push(r);
        page.showStage("Analysed " + (i + 1) + " of " + files.length + " data files");
        index = await showIndex();
      }
      const failed = runs.filter((r) => r.analysis.status !== 0).length;
      page.showMessage(failed === 0 ? "" : failed + " of " + runs.length + " data files failed; the index names the causes.");
      page.showWarnings([]);
      const all = [
        { name: "index.html", bytes: trpfitText.encode(index.page) },
        { name: "runs.csv", bytes: trpfitText.encode(index.runs) },
        { name: "components.csv", bytes: trpfitText.encode(index.components) },
      ];
      if (index.figure) all.push({ name: "positions.svg", bytes: trpfitText.encode(index.figure) });
      for (const r of runs) all.push(...page.runFiles(r, r.folder + "/"));
      page.showDownloads(all, "trpfit-batch.zip");
    } catch (error) {
      page.showMessage("trpfit: " + error.message);
    }
    page.setState("done");
  }

  return { run, runs: () => runs };
})();
