// The page's side of the engine: starts the Web Worker from the two inline
// scripts (a page opened from disk cannot load a worker from a separate
// file, but it can from a Blob URL), sends it one operation at a time and
// exposes window.trpfit for automation.
"use strict";

const trpfitEngine = (() => {
  let worker = null;
  let nextId = 1;
  const pending = new Map();
  let loadStarted = 0;
  let loadMs = null;
  let readyResolve, readyReject;
  const ready = new Promise((resolve, reject) => { readyResolve = resolve; readyReject = reject; });

  function start() {
    const source =
      document.getElementById("trpfit-engine-source").textContent + "\n" +
      document.getElementById("trpfit-worker-source").textContent;
    const url = URL.createObjectURL(new Blob([source], { type: "text/javascript" }));
    loadStarted = performance.now();
    try {
      worker = new Worker(url);
    } catch (error) {
      readyReject(new Error("the engine could not start: " + error.message));
      throw error;
    }
    worker.onmessage = (event) => {
      const m = event.data;
      if (m.type === "ready") {
        if (loadMs === null) loadMs = performance.now() - loadStarted;
        readyResolve();
        return;
      }
      const call = pending.get(m.id);
      if (m.type === "fatal") {
        for (const c of pending.values()) c.reject(new Error(m.text));
        pending.clear();
        readyReject(new Error(m.text));
        return;
      }
      if (!call) return;
      if (m.type === "stage") {
        if (call.onStage) call.onStage(m.text);
      } else if (m.type === "done") {
        pending.delete(m.id);
        call.resolve({ rc: m.rc, outputs: m.outputs });
      } else if (m.type === "failed") {
        pending.delete(m.id);
        // The engine may be left in a broken state: the next call gets a new one.
        restart();
        call.reject(new Error(m.text));
      }
    };
    worker.onerror = (event) => {
      event.preventDefault();
      const text = event.message || "the engine stopped";
      if (loadMs === null) readyReject(new Error("the engine could not start: " + text));
      for (const c of pending.values()) c.reject(new Error(text));
      pending.clear();
      restart();
    };
    URL.revokeObjectURL(url);
  }

  function restart() {
    if (worker) worker.terminate();
    worker = null;
  }

  // Runs `op` on `inputs` ({name: string or Uint8Array}); resolves to
  // {rc, outputs: {name: Uint8Array}}. Calls run one after the other.
  function call(op, inputs, onStage) {
    if (!worker) start();
    const id = nextId++;
    return new Promise((resolve, reject) => {
      pending.set(id, { resolve, reject, onStage });
      worker.postMessage({ type: "call", id, op, inputs });
    });
  }

  return { call, start, ready, loadMs: () => loadMs };
})();

const trpfitText = (() => {
  const decoder = new TextDecoder();
  const encoder = new TextEncoder();
  return {
    decode: (bytes) => (bytes ? decoder.decode(bytes) : ""),
    encode: (text) => encoder.encode(text),
    bytes: (data) => (typeof data === "string" ? encoder.encode(data) : new Uint8Array(data)),
  };
})();

// Today's date as the programs print it: MM-DD-YYYY.
function trpfitToday() {
  const d = new Date();
  const two = (n) => String(n).padStart(2, "0");
  return two(d.getMonth() + 1) + "-" + two(d.getDate()) + "-" + d.getFullYear();
}

window.trpfit = {
  // Analyses one data file as quenfit, monofit or, with "auto", the program
  // its line 2 asks for. options: {date: "MM-DD-YYYY" (default today),
  // name: the data file's name in messages (default the program's own,
  // "DATA." or "DATAM."), onStage: function(stage)}. Resolves to {result,
  // graph, summary, warnings, status, message, program}: the reports' bytes
  // (null for a report the run did not create), the warning lines and the
  // failure line ("quenfit: NAME, line 4: cause") as the program writes them
  // to standard error, and its exit status.
  async analyse(data, program = "auto", options = {}) {
    if (!["quenfit", "monofit", "auto"].includes(program)) {
      throw new Error('program must be "quenfit", "monofit" or "auto"');
    }
    const { rc, outputs } = await trpfitEngine.call(
      "analyse",
      {
        data: trpfitText.bytes(data),
        program,
        date: options.date || trpfitToday(),
        name: options.name || "",
      },
      options.onStage
    );
    const warnings = trpfitText.decode(outputs.warnings);
    return {
      result: outputs.result || null,
      graph: outputs.graph || null,
      summary: outputs.summary || null,
      warnings: warnings === "" ? [] : warnings.split("\n"),
      status: rc === 0 ? Number(trpfitText.decode(outputs.status)) : 1,
      message: trpfitText.decode(outputs.message),
      program: trpfitText.decode(outputs.program),
    };
  },

  // The report page of a run's three reports, as `trpfit report` makes it:
  // {page, figures: [{name, svg}], tables: [{name, csv}], warnings, status,
  // message}; names are paths in the output folder ("figures/...svg").
  // names: {result, graph, summary} as shown in messages.
  async report(result, graph, summary, label = "", names = {}) {
    const inputs = { result, graph, summary, label };
    if (names.result) inputs.resultName = names.result;
    if (names.graph) inputs.graphName = names.graph;
    if (names.summary) inputs.summaryName = names.summary;
    const { rc, outputs } = await trpfitEngine.call("report", inputs);
    const figures = [];
    const tables = [];
    for (const [name, bytes] of Object.entries(outputs)) {
      if (name.startsWith("figure:")) figures.push({ name: name.slice(7), svg: trpfitText.decode(bytes) });
      if (name.startsWith("table:")) tables.push({ name: name.slice(6), csv: trpfitText.decode(bytes) });
    }
    const warnings = trpfitText.decode(outputs.warnings);
    return {
      page: outputs.page ? trpfitText.decode(outputs.page) : null,
      figures,
      tables,
      warnings: warnings === "" ? [] : warnings.split("\n"),
      status: rc === 0 ? Number(trpfitText.decode(outputs.status) || "0") : 1,
      message: trpfitText.decode(outputs.message),
    };
  },

  // Instrument exports to a data file, with the options of `trpfit import`.
  // exports: [{name, bytes}] in series order; standard: {name, bytes} or null;
  // options: {corrected, overrideHeader, quencher, concentrations, grid,
  // spectra: [choice per export], program, title, format, matrix, output
  // (the data file's name in messages)}. Resolves to {data, summary, facts,
  // status, message}: the summary and a refusal are the lines `trpfit
  // import` prints, facts one line per export.
  async importExports(exports, standard, options = {}) {
    const inputs = { count: String(exports.length) };
    exports.forEach((e, i) => {
      inputs["export." + i] = trpfitText.bytes(e.bytes);
      inputs["export." + i + ".name"] = e.name;
      const choice = options.spectra && options.spectra[i];
      if (choice) inputs["export." + i + ".spectrum"] = String(choice);
    });
    if (standard) {
      inputs["standard"] = trpfitText.bytes(standard.bytes);
      inputs["standard.name"] = standard.name;
      if (standard.spectrum) inputs["standard.spectrum"] = String(standard.spectrum);
    }
    for (const key of ["quencher", "concentrations", "grid", "program", "title", "format", "matrix", "output"]) {
      if (options[key] !== undefined && options[key] !== null && options[key] !== "") {
        inputs[key] = String(options[key]);
      }
    }
    if (options.corrected) inputs.corrected = "1";
    if (options.overrideHeader) inputs.overrideHeader = "1";
    const { rc, outputs } = await trpfitEngine.call("import", inputs);
    const factsText = trpfitText.decode(outputs.facts);
    return {
      data: outputs.data || null,
      summary: trpfitText.decode(outputs.summary),
      facts: factsText === "" ? [] : factsText.split("\n"),
      status: rc === 0 ? Number(trpfitText.decode(outputs.status)) : 1,
      message: trpfitText.decode(outputs.message),
    };
  },

  // The batch index page over runs: records [{file, program, exitStatus,
  // errText (the warning and failure lines),
  // components (the run's components.csv or ""), link (its report page in
  // the archive or "")}]. Resolves to {page, figure, runs, components}.
  async index(records) {
    const inputs = { count: String(records.length) };
    records.forEach((r, i) => {
      for (const key of ["file", "program", "exitStatus", "errText", "components", "link"]) {
        inputs["run." + i + "." + key] = String(r[key] === undefined ? "" : r[key]);
      }
    });
    const { outputs } = await trpfitEngine.call("index", inputs);
    const text = (key) => trpfitText.decode(outputs[key]);
    return {
      page: text("page"), figure: text("figure"), runs: text("runs"), components: text("components"),
      statuses: text("statuses").split("\n").filter((l) => l !== ""),
    };
  },

  // Milliseconds from the start of the worker to the engine being ready.
  loadMs: () => trpfitEngine.loadMs(),
  whenReady: () => trpfitEngine.ready,
};
