// Publishes a copy of the sample web with one object of each kind and the detection script in
// it, serves the copy from a plain static web server on the loopback (Python's http.server)
// and checks in headless Chromium, with nothing but what the copy holds, that every movie
// draws, that the button's click follows its link, that the detection script keeps the
// visitor on the page, and that the pages without Flash are byte for byte the web's. The same
// page served from the web itself (no player), and the published one opened without
// JavaScript, go to the no-Flash page.
//
// usage: node published_web.mjs TAMBERLUX SAMPLE_WEB SHIPPED_INSTALL OUTPUT_DIR
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { chromium } from "playwright-core";

const [tamberlux, sampleWeb, shippedInstall, outDir] = process.argv.slice(2);
if (!tamberlux || !sampleWeb || !shippedInstall || !outDir) {
  console.error("usage: node published_web.mjs TAMBERLUX SAMPLE_WEB SHIPPED_INSTALL OUTPUT_DIR");
  process.exit(2);
}
const TIME_LIMIT_MS = Number(process.env.TLX_PIXEL_TIMEOUT_MS || 45000);
const CHROMIUM = process.env.TLX_CHROMIUM || "/usr/bin/chromium";
let failed = false;
const ok = (text) => console.log("ok: " + text);
const fail = (text) => { console.error("FAILED: " + text); failed = true; };

const work = fs.mkdtempSync(path.join(os.tmpdir(), "tlx-published-"));
const web = path.join(work, "web");
const dest = path.join(work, "dest");
const install = path.join(work, "install");
const env = { ...process.env, HOME: path.join(work, "home"), XDG_DATA_HOME: path.join(work, "data") };
fs.cpSync(sampleWeb, web, { recursive: true });
const ORIGINAL_PAGES = ["about.htm", "contact.htm"];

function run(args) {
  return execFileSync(tamberlux, args, { env, encoding: "utf8" }).trim();
}

// One object of each kind, at the end of the index page, as the dialogs insert them.
const index = path.join(web, "index.htm");
const ids = {};
ids.button = run(["insert", index, "button", "Orange Tab", "T1=Go", "T2=About us", "TU=about.htm", "BS=Click",
  "--install", install]);
ids.heading = run(["insert", index, "heading", "Wave", "T1=Welcome", "TC=#C00000", "BM=Ocean Waves", "--install", install]);
ids.intro = run(["insert", index, "intro", "Story Teller", "T1=HELLO", "T2=Fresh bread", "TC=#C00000",
  "TM=Calm Pads", "TE=Zoom In", "BM=Starry Night", "--install", install]);
// device text in Japanese, in blue (which the tab has nowhere else), in a windows-1252 page
// (the main text bold, the one under it regular)
ids.japanese = run(["insert", index, "button", "Orange Tab", "T1=\u65e5\u672c\u8a9e", "T2=\u65e5\u672c\u8a9e",
  "TC=#0000FF", "--install", install]);
ids.art = run(["insert", index, "art", "Golden Star", "--install", install]);
ids.file = run(["insert", index, "file", path.join(install, "FlashMovies", "artsun.swf"), "width=130", "height=100",
  "--install", install]);

// The detection script as the panel inserts it: "This Page" for visitors with Flash,
// NonFlashPage.htm for the others, just before the body.
const template = fs.readFileSync(path.join(shippedInstall, "flashdetect.txt"), "latin1")
  .replace(/FlashPage\.htm/gi, "This Page").replace(/NonPage\.htm/gi, "NonFlashPage.htm");
const indexText = fs.readFileSync(index, "latin1");
const bodyAt = indexText.search(/<body/i);
fs.writeFileSync(index, indexText.slice(0, bodyAt) + template + "\r\n" + indexText.slice(bodyAt), "latin1");
fs.writeFileSync(path.join(web, "NonFlashPage.htm"), "<html><body>No Flash here</body></html>\r\n");
ORIGINAL_PAGES.push("NonFlashPage.htm");

try {
  console.log(run(["publish", web, dest, "--install", install]));
  ok("tamberlux publish exits 0: every movie and companion is in the copy");
} catch (e) {
  fail("tamberlux publish: " + (e.stdout || "") + (e.stderr || "") + e.message);
}

for (const page of ORIGINAL_PAGES) {
  const same = fs.readFileSync(path.join(web, page)).equals(fs.readFileSync(path.join(dest, page)));
  same ? ok(`${page}, without Flash, is byte for byte the web's`) : fail(`${page} differs from the web's`);
}
{
  const before = fs.readFileSync(index, "latin1");
  const after = fs.readFileSync(path.join(dest, "index.htm"), "latin1");
  const added = after.match(/<script>\/\* Flash movies of this page play with Ruffle \*\/.*?<\/script>/);
  const restored = added ? after.replace(added[0], "") : null;
  if (added && restored === before && after.indexOf(added[0]) < after.indexOf('id="FLASHCheck1"'))
    ok("index.htm got exactly one element, the player's script, before the detection script");
  else fail("index.htm in the copy is not the web's page plus the player's script before its scripts");
}

// A plain static server for a folder; resolves to [process, base address].
function serve(folder) {
  return new Promise((resolve, reject) => {
    const server = spawn("python3", ["-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", folder],
      { stdio: ["ignore", "pipe", "pipe"] });
    let seen = "";
    server.stdout.on("data", (d) => {
      seen += d;
      const m = /port (\d+)/.exec(seen);
      if (m) resolve([server, `http://127.0.0.1:${m[1]}`]);
    });
    server.on("exit", (code) => reject(new Error(`http.server ended (${code})`)));
  });
}

// How many pixels of each box differ from the page's background, from a screenshot (with
// `near`, how many are within 120 of that colour instead).
async function drawn(measurer, png, boxes, background, near = null) {
  return measurer.evaluate(async ({ b64, boxes, background, near }) => {
    const img = new Image();
    img.src = "data:image/png;base64," + b64;
    await img.decode();
    const canvas = document.createElement("canvas");
    canvas.width = img.width; canvas.height = img.height;
    const ctx = canvas.getContext("2d");
    ctx.drawImage(img, 0, 0);
    const out = {};
    for (const [name, b] of Object.entries(boxes)) {
      if (!b || b.w < 1 || b.h < 1) { out[name] = 0; continue; }
      const d = ctx.getImageData(b.x, b.y, b.w, b.h).data;
      let n = 0;
      const off = (i, c) => Math.abs(d[i] - c[0]) + Math.abs(d[i + 1] - c[1]) + Math.abs(d[i + 2] - c[2]);
      for (let i = 0; i < d.length; i += 4)
        if (near ? off(i, near) <= 120 : off(i, background) > 60) n++;
      out[name] = n / (d.length / 4);
    }
    return out;
  }, { b64: png.toString("base64"), boxes, background, near });
}

const servers = [];
const userDir = fs.mkdtempSync(path.join(os.tmpdir(), "tlx-chromium-"));
let browser;
try {
  const [published, base] = await serve(dest);
  servers.push(published);
  const [plain, plainBase] = await serve(web);
  servers.push(plain);
  browser = await chromium.launchPersistentContext(userDir, {
    executablePath: CHROMIUM, headless: true, viewport: { width: 1000, height: 2200 },
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--autoplay-policy=no-user-gesture-required"],
  });
  const tab = browser.pages()[0] || await browser.newPage();
  const errors = [];
  tab.on("pageerror", (e) => errors.push(e.message));
  const measurer = await browser.newPage();
  await tab.goto(`${base}/index.htm`, { waitUntil: "load", timeout: TIME_LIMIT_MS });
  const names = { ...ids, sampleHeading: "oKestreliteHD001", sampleButton: "oKestreliteBT002" };
  const deadline = Date.now() + TIME_LIMIT_MS;
  let shares, shot, boxes;
  for (;;) {
    boxes = await tab.evaluate((names) => {
      const out = {};
      for (const [name, id] of Object.entries(names)) {
        // the player stands in for the EMBED inside the OBJECT, or for the OBJECT itself
        const o = document.getElementById(id);
        const e = o && (o.querySelector("ruffle-embed, ruffle-object") || o);
        const r = e && e.getBoundingClientRect();
        out[name] = r && { x: Math.round(r.left), y: Math.round(r.top), w: Math.round(r.width), h: Math.round(r.height) };
      }
      return out;
    }, names);
    shot = await tab.screenshot({ type: "png" });
    // the page's background, #FFF8EE
    shares = await drawn(measurer, shot, boxes, [0xFF, 0xF8, 0xEE]);
    if (Object.values(shares).every((s) => s > 0.03) || Date.now() > deadline) break;
    await new Promise((r) => setTimeout(r, 500));
  }
  fs.mkdirSync(outDir, { recursive: true });
  fs.writeFileSync(path.join(outDir, "published.png"), shot);
  for (const [name, share] of Object.entries(shares))
    share > 0.03 ? ok(`the ${name} movie (${names[name]}) draws (${(share * 100).toFixed(0)}% of its box)`)
      : fail(`the ${name} movie (${names[name]}) shows nothing but the page (screenshot ${path.join(outDir, "published.png")})`);
  for (const e of errors) console.error("  page error: " + e);

  // the player's own font has no Japanese: the visitor's fonts draw both texts, the main one
  // in the upper half of the button, the one under it in its lowest third
  const b = boxes.japanese;
  const parts = { bold: { ...b, h: Math.round(b.h / 2) }, regular: { ...b, y: b.y + Math.round(b.h * 0.64), h: Math.round(b.h * 0.36) } };
  for (const [weight, blue] of Object.entries(await drawn(measurer, shot, parts, null, [0, 0, 0xFF])))
    blue > 0.005 ? ok(`the ${weight} Japanese button text is drawn (${(blue * 100).toFixed(1)}% of its part in its blue)`)
      : fail(`the ${weight} Japanese button text is not drawn (screenshot ${path.join(outDir, "published.png")})`);

  // the player reads the window mode from the EMBED, which the markup leaves to the OBJECT
  const wmode = await tab.evaluate((id) => {
    const e = document.getElementById(id).querySelector("ruffle-embed, embed");
    return e && e.getAttribute("wmode");
  }, names.sampleHeading);
  wmode === "transparent" ? ok("the heading plays with its OBJECT's window mode (transparent)")
    : fail(`the heading's player got the window mode ${wmode}, not its OBJECT's TRANSPARENT`);

  tab.url() === `${base}/index.htm` ? ok("the detection script keeps a visitor with the published player on the page")
    : fail(`the detection script went to ${tab.url()}`);

  const button = await tab.evaluate((id) => {
    const o = document.getElementById(id);
    const r = (o.querySelector("ruffle-embed, ruffle-object") || o).getBoundingClientRect();
    return { x: r.left + r.width / 2, y: r.top + r.height / 2 };
  }, ids.button);
  // Headless Chromium draws with a software renderer, on which Ruffle opens a note about
  // hardware acceleration over a movie once the mouse comes over it (a visitor closes it); it
  // is kept out of the way here so that the click reaches the movie.
  await tab.evaluate(() => {
    for (const player of document.querySelectorAll("ruffle-embed, ruffle-object")) {
      const style = document.createElement("style");
      style.textContent = "#hardware-acceleration-modal { display: none !important; }";
      if (player.shadowRoot) player.shadowRoot.appendChild(style);
    }
  });
  await tab.mouse.move(button.x, button.y, { steps: 4 });
  await new Promise((r) => setTimeout(r, 300));
  await tab.mouse.click(button.x, button.y);
  try {
    // (the player may put an empty query after the link's address)
    await tab.waitForURL((u) => u.origin === base && u.pathname === "/about.htm", { timeout: 15000 });
    ok("a click on the button follows its link to about.htm");
  } catch (e) {
    fail(`a click on the button stayed on ${tab.url()}`);
  }

  // the same page from the web itself: no player, so the detection script sends the visitor on
  await tab.goto(`${plainBase}/index.htm`, { waitUntil: "load", timeout: TIME_LIMIT_MS });
  try {
    await tab.waitForURL(`${plainBase}/NonFlashPage.htm`, { timeout: 10000 });
    ok("without the player the detection script goes to NonFlashPage.htm");
  } catch (e) {
    fail(`without the player the detection script stayed on ${tab.url()}`);
  }

  // without JavaScript the detection script's NOSCRIPT sends the visitor on
  const context = await chromium.launch({ executablePath: CHROMIUM, headless: true, args: ["--no-sandbox", "--disable-gpu"] });
  try {
    const page = await (await context.newContext({ javaScriptEnabled: false })).newPage();
    await page.goto(`${base}/index.htm`, { waitUntil: "load", timeout: TIME_LIMIT_MS });
    try {
      await page.waitForURL(`${base}/NonFlashPage.htm`, { timeout: 10000 });
      ok("without JavaScript the published page goes to NonFlashPage.htm");
    } catch (e) {
      fail(`without JavaScript the published page stayed on ${page.url()}`);
    }
  } finally {
    await context.close();
  }
} catch (e) {
  fail(e && e.stack || String(e));
} finally {
  if (browser) await browser.close();
  for (const s of servers) s.kill();
  fs.rmSync(userDir, { recursive: true, force: true });
  if (!failed) fs.rmSync(work, { recursive: true, force: true });
  else console.error("the web and its copy are kept in " + work);
}
process.exit(failed ? 1 : 0);
