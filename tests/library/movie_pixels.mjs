// Plays shipped library movies in headless Chromium with Ruffle and checks from the pixels of a
// screenshot that their parameters took effect.
//
// Also checks that texts outside ASCII in movie references draw alike in pages of every
// encoding, and that the shipped detection script, filled in as the add-in fills it, keeps a visitor
// with Ruffle on the page and sends one without a Flash player to the no-Flash page.
//
// usage: node movie_pixels.mjs MOVIES_DIR RUFFLE_DIR OUTPUT_DIR [DETECTION_TEMPLATE]
//   MOVIES_DIR  the built FlashMovies folder
//   RUFFLE_DIR  node_modules/@ruffle-rs/ruffle
//   OUTPUT_DIR  where the screenshot is written
//   DETECTION_TEMPLATE  flashdetect.txt of the install folder
import http from "node:http";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { chromium } from "playwright-core";

const [moviesDir, ruffleDir, outDir, detectTemplate] = process.argv.slice(2);
if (!moviesDir || !ruffleDir || !outDir) {
  console.error("usage: node movie_pixels.mjs MOVIES_DIR RUFFLE_DIR OUTPUT_DIR");
  process.exit(2);
}
const TIME_LIMIT_MS = Number(process.env.TLX_PIXEL_TIMEOUT_MS || 45000);
const CHROMIUM = process.env.TLX_CHROMIUM || "/usr/bin/chromium";

// Each case: a movie shown in a box at a fixed place of the page, and what its pixels must show.
const W = 360, H = 88;
const cases = [
  { name: "button-red-text", x: 20, y: 20, w: W, h: H,
    movie: "btgel.swf?T1=Hello&T2=&TC=FF0000&TU=&TW=_self&BS=&CWR=0&CWG=0&CWB=0" },
  { name: "button-weighted", x: 20, y: 130, w: W, h: H,
    movie: "btgel.swf?T1=Hello&T2=&TC=FF0000&TU=&TW=_self&BS=&CWR=-100&CWG=100&CWB=0" },
  // the properties dialog writes objects without FlashVars: the address alone must do
  { name: "button-query-only", x: 20, y: 240, w: W, h: H, flashVars: false,
    movie: "btpill.swf?T1=Query+only&T2=More+Text&TC=0000FF&TU=&TW=_self&BS=&CWR=0&CWG=0&CWB=0" },
  // a typed "+" travels as %2B and must reach the movie as "+", not as a blank
  { name: "button-plus-signs", x: 400, y: 240, w: W, h: H,
    movie: "btgel.swf?T1=%2B%2B%2B%2B&T2=&TC=FF0000&TU=&TW=_self&BS=&CWR=0&CWG=0&CWB=0" },
  { name: "heading-green-text", x: 400, y: 20, w: 468, h: 60,
    movie: "hdstone.swf?T1=Welcome&TC=00C000&TU=&TW=_self&BM=&CWR=0&CWG=0&CWB=0" },
  { name: "heading-colour-text", x: 400, y: 130, w: 468, h: 60,
    movie: "hdwave.swf?T1=Welcome+Home&TC=00C000&TU=&TW=_self&BM=bgwaves.swf&CWR=0&CWG=0&CWB=0" },
  // intro movies read their texts from the text file TF next to them
  { name: "intro-text-file", x: 20, y: 350, w: 250, h: 180,
    movie: "mvplain.swf?TF=tlx-texts.htm&TC=FF0000&TM=&TE=&BM=&TS=40&TU=&TW=_self&CWR=0&CWG=0&CWB=0" },
  { name: "intro-empty-file", x: 300, y: 350, w: 250, h: 180,
    movie: "mvplain.swf?TF=tlx-empty.htm&TC=FF0000&TM=&TE=&BM=&TS=40&TU=&TW=_self&CWR=0&CWG=0&CWB=0" },
];
// the intro movie text files, as the intro movie dialog writes them
const TEXT_FILES = {
  "/tlx-texts.htm": "T1=WELCOME & HELLO&T2=More text&eof=1\r\n",
  "/tlx-empty.htm": "T1=&T2=&eof=1\r\n",
};

function objectMarkup(c) {
  const vars = c.movie.slice(c.movie.indexOf("?") + 1);
  const fv = c.flashVars === false ? "" : `<PARAM NAME=FlashVars VALUE="${vars}">`;
  const efv = c.flashVars === false ? "" : ` FlashVars="${vars}"`;
  return `<div style="position:absolute;left:${c.x}px;top:${c.y}px;width:${c.w}px;height:${c.h}px">` +
    `<OBJECT classid="clsid:D27CDB6E-AE6D-11cf-96B8-444553540000" ID=o${c.name} WIDTH=${c.w} HEIGHT=${c.h}>` +
    `<PARAM NAME=movie VALUE="${c.movie}"><PARAM NAME=quality VALUE=high><PARAM NAME=bgcolor VALUE=#FFFFFF>${fv}` +
    `<EMBED src="${c.movie}" quality=high bgcolor=#FFFFFF${efv} TYPE="application/x-shockwave-flash" ` +
    `WIDTH=${c.w} HEIGHT=${c.h}></EMBED></OBJECT></div>`;
}

const page = `<!DOCTYPE html><html><head><meta charset="utf-8"><title>movies</title>
<style>body{margin:0;background:#fff}</style>
<script>window.RufflePlayer = {config: {autoplay: "on", splashScreen: false, unmuteOverlay: "hidden", letterbox: "off"}};</script>
<script src="/ruffle/ruffle.js"></script></head><body>
${cases.map(objectMarkup).join("\n")}
</body></html>`;

// The detection script as the add-in inserts it: the Flash page "This Page", the no-Flash page
// "NonFlashPage.htm", just before the page's body.
const RUFFLE_HEAD = `<script>window.RufflePlayer = {config: {autoplay: "on", splashScreen: false, unmuteOverlay: "hidden"}};</script>
<script src="/ruffle/ruffle.js"></script>`;
function detectionPage(withRuffle) {
  const script = fs.readFileSync(detectTemplate, "latin1")
    .replace(/FlashPage\.htm/gi, "This Page").replace(/NonPage\.htm/gi, "NonFlashPage.htm");
  return `<html><head><title>detect</title>${withRuffle ? RUFFLE_HEAD : ""}</head>${script}<body>Flash page</body></html>`;
}

const TYPES = { ".swf": "application/x-shockwave-flash", ".js": "text/javascript", ".wasm": "application/wasm",
  ".htm": "text/html", ".html": "text/html", ".map": "application/json" };

function serveFile(res, root, rel) {
  const file = path.resolve(root, "." + path.posix.normalize("/" + rel));
  if (!file.startsWith(path.resolve(root) + path.sep)) { res.writeHead(403).end(); return; }
  fs.readFile(file, (err, data) => {
    if (err) { res.writeHead(404).end(); return; }
    res.writeHead(200, { "Content-Type": TYPES[path.extname(file).toLowerCase()] || "application/octet-stream" });
    res.end(data);
  });
}

const server = http.createServer((req, res) => {
  const url = decodeURIComponent(new URL(req.url, "http://x").pathname);
  if (url === "/" || url === "/index.htm") {
    res.writeHead(200, { "Content-Type": "text/html" }).end(page);
  } else if (detectTemplate && (url === "/detect-ruffle.htm" || url === "/detect-none.htm")) {
    res.writeHead(200, { "Content-Type": "text/html" }).end(detectionPage(url === "/detect-ruffle.htm"));
  } else if (url.startsWith("/encoding-") && PAGE_ENCODINGS.includes(url.slice(10, -4))) {
    const charset = url.slice(10, -4);
    res.writeHead(200, { "Content-Type": `text/html; charset=${charset}` }).end(encodingPage(charset));
  } else if (TEXT_FILES[url] !== undefined) {
    res.writeHead(200, { "Content-Type": "text/html" }).end(TEXT_FILES[url]);
  } else if (url === "/NonFlashPage.htm") {
    res.writeHead(200, { "Content-Type": "text/html" }).end("<html><body>No Flash</body></html>");
  } else if (url.startsWith("/ruffle/")) {
    serveFile(res, ruffleDir, url.slice("/ruffle/".length));
  } else {
    serveFile(res, moviesDir, url.slice(1));
  }
});

// Pixel statistics of each case's box, computed in the browser from the screenshot.
async function measure(browserPage, png) {
  return browserPage.evaluate(async ({ b64, boxes }) => {
    const img = new Image();
    img.src = "data:image/png;base64," + b64;
    await img.decode();
    const canvas = document.createElement("canvas");
    canvas.width = img.width; canvas.height = img.height;
    const ctx = canvas.getContext("2d");
    ctx.drawImage(img, 0, 0);
    const out = {};
    for (const b of boxes) {
      const d = ctx.getImageData(b.x, b.y, b.w, b.h).data;
      let n = 0, r = 0, g = 0, bl = 0, red = 0, green = 0, blue = 0, nonWhite = 0;
      for (let i = 0; i < d.length; i += 4) {
        const R = d[i], G = d[i + 1], B = d[i + 2];
        n++; r += R; g += G; bl += B;
        if (R > 190 && G < 70 && B < 70) red++;
        if (G > 140 && R < 90 && B < 90) green++;
        if (B > 170 && R < 70 && G < 70) blue++;
        if (R < 240 || G < 240 || B < 240) nonWhite++;
      }
      out[b.name] = { meanR: r / n, meanG: g / n, meanB: bl / n, red, green, blue, nonWhite, pixels: n };
    }
    return out;
  }, { b64: png.toString("base64"), boxes: cases.map(({ name, x, y, w, h }) => ({ name, x, y, w, h })) });
}

// What must hold once everything has rendered; each entry: [description, test].
const checks = [
  ["the button shows its text in TC=FF0000 (red pixels)", (m) => m["button-red-text"].red >= 60],
  ["the button face is drawn (most of the box is not white)", (m) => m["button-red-text"].nonWhite > 0.5 * m["button-red-text"].pixels],
  ["weighting CWR=-100, CWG=100 removes the red text", (m) => m["button-weighted"].red < 10],
  ["weighting CWR=-100, CWG=100 shifts the mean colour from red to green",
    (m) => m["button-weighted"].meanG - m["button-red-text"].meanG > 40 && m["button-red-text"].meanR - m["button-weighted"].meanR > 40],
  ["a button given its keys only in the movie address shows TC=0000FF (blue pixels)", (m) => m["button-query-only"].blue >= 40],
  ["a button whose text is \"++++\" (%2B in the address) shows it in red", (m) => m["button-plus-signs"].red >= 30],
  ["the NoColor heading ignores TC=00C000 (no green pixels) but draws its plate", (m) => m["heading-green-text"].green < 10 && m["heading-green-text"].nonWhite > 0.5 * m["heading-green-text"].pixels],
  ["the heading shows its text in TC=00C000 (green pixels)", (m) => m["heading-colour-text"].green >= 60],
  ["the heading's background movie BM fills the box behind the text", (m) => m["heading-colour-text"].nonWhite > 0.6 * m["heading-colour-text"].pixels],
  ["the intro movie shows the heading of its text file TF in TC=FF0000", (m) => m["intro-text-file"].red >= 60],
  ["the intro movie shows no heading when its text file has an empty one", (m) => m["intro-empty-file"].red < 5 && m["intro-empty-file"].nonWhite > 0.5 * m["intro-empty-file"].pixels],
];

// Texts outside ASCII travel in a movie reference as %XX escapes of their UTF-8 bytes, so a
// button shows them alike in a page of any encoding. Every page has the same boxes: in the left
// column each text escaped, as the add-in writes it; in the right column the same text as its
// raw UTF-8 bytes, as it was written before, which a page in another encoding reads as other
// characters (the check that the comparison can tell texts apart); below, the button without
// text (the check that the text is drawn at all). Ruffle's embedded device font has no CJK
// glyphs, so these pages draw device text with the browser's fonts (fonts-wqy-zenhei).
const ENCODED_TEXTS = ["Crème brûlée", "Grüße aus Köln", "ようこそ", "欢迎光临"];
const PAGE_ENCODINGS = ["utf-8", "windows-1252", "gbk", "shift_jis"];
const EW = 300, EH = 70;
const encodedBox = (column, row) => ({ x: 20 + column * (EW + 20), y: 10 + row * (EH + 10), w: EW, h: EH });
const encodedBoxes = [];
ENCODED_TEXTS.forEach((text, row) => {
  encodedBoxes.push({ name: `escaped-${row}`, ...encodedBox(0, row), t1: encodeURIComponent(text).replace(/%20/g, "+") });
  encodedBoxes.push({ name: `raw-${row}`, ...encodedBox(1, row), t1: text.replace(/ /g, "+") });
});
encodedBoxes.push({ name: "no-text", ...encodedBox(0, ENCODED_TEXTS.length), t1: "" });

function encodingPage(charset) {
  const objects = encodedBoxes.map((b) => objectMarkup({ name: b.name, x: b.x, y: b.y, w: b.w, h: b.h,
    movie: `btgel.swf?T1=${b.t1}&T2=&TC=FF0000&TU=&TW=_self&BS=&CWR=0&CWG=0&CWB=0` }));
  // raw UTF-8 bytes, whatever the declared encoding, as an editor that keeps bytes writes them
  return Buffer.from(`<!DOCTYPE html><html><head><meta charset="${charset}"><title>${charset}</title>
<style>body{margin:0;background:#fff}</style>
<script>window.RufflePlayer = {config: {autoplay: "on", splashScreen: false, unmuteOverlay: "hidden", letterbox: "off", deviceFontRenderer: "canvas"}};</script>
<script src="/ruffle/ruffle.js"></script></head><body>
${objects.join("\n")}
</body></html>`, "utf8");
}

// How many pixels of each box differ (by more than 48 in a channel) between two screenshots.
async function differingPixels(measurer, pngA, pngB, boxes) {
  return measurer.evaluate(async ({ a, b, boxes }) => {
    const pixels = async (b64) => {
      const img = new Image();
      img.src = "data:image/png;base64," + b64;
      await img.decode();
      const canvas = document.createElement("canvas");
      canvas.width = img.width; canvas.height = img.height;
      const ctx = canvas.getContext("2d");
      ctx.drawImage(img, 0, 0);
      return ctx;
    };
    const [ca, cb] = [await pixels(a), await pixels(b)];
    const out = {};
    for (const [name, boxA, boxB] of boxes) {
      const da = ca.getImageData(boxA.x, boxA.y, boxA.w, boxA.h).data;
      const db = cb.getImageData(boxB.x, boxB.y, boxB.w, boxB.h).data;
      let n = 0;
      for (let i = 0; i < da.length; i += 4)
        if (Math.abs(da[i] - db[i]) > 48 || Math.abs(da[i + 1] - db[i + 1]) > 48 || Math.abs(da[i + 2] - db[i + 2]) > 48) n++;
      out[name] = n;
    }
    return out;
  }, { a: pngA.toString("base64"), b: pngB.toString("base64"), boxes });
}

// The screenshot of a page once its movies have settled: two pictures half a second apart alike.
async function settledShot(tab, measurer, url) {
  await tab.goto(url, { waitUntil: "load", timeout: TIME_LIMIT_MS });
  const deadline = Date.now() + TIME_LIMIT_MS;
  await new Promise((r) => setTimeout(r, 1500));
  let shot = await tab.screenshot({ type: "png" });
  for (;;) {
    await new Promise((r) => setTimeout(r, 500));
    const next = await tab.screenshot({ type: "png" });
    const diff = await differingPixels(measurer, shot, next, encodedBoxes.map((b) => [b.name, b, b]));
    shot = next;
    if (Object.values(diff).every((n) => n === 0) || Date.now() > deadline) return shot;
  }
}

async function checkEncodings(tab, measurer, port) {
  const shots = {};
  for (const charset of PAGE_ENCODINGS)
    shots[charset] = await settledShot(tab, measurer, `http://127.0.0.1:${port}/encoding-${charset}.htm`);
  for (const charset of PAGE_ENCODINGS)
    fs.writeFileSync(path.join(outDir, `encoding-${charset}.png`), shots[charset]);
  const utf8 = shots["utf-8"];
  const noText = encodedBoxes.find((b) => b.name === "no-text");
  const drawn = await differingPixels(measurer, utf8, utf8,
    ENCODED_TEXTS.map((text, row) => [text, encodedBox(0, row), noText]));
  const results = [];
  for (const [text, n] of Object.entries(drawn))
    results.push([`"${text}" draws its text in the UTF-8 page (${n} pixels unlike the button without text)`, n > 300]);
  for (const charset of PAGE_ENCODINGS.slice(1)) {
    const boxes = [];
    ENCODED_TEXTS.forEach((text, row) => {
      boxes.push([`escaped ${text}`, encodedBox(0, row), encodedBox(0, row)]);
      boxes.push([`raw ${text}`, encodedBox(1, row), encodedBox(0, row)]);
    });
    const diff = await differingPixels(measurer, shots[charset], utf8, boxes);
    for (const text of ENCODED_TEXTS) {
      const same = diff[`escaped ${text}`], garbled = diff[`raw ${text}`];
      results.push([`escaped "${text}" in a ${charset} page draws as in the UTF-8 page (${same} pixels differ)`, same <= 30]);
      results.push([`raw UTF-8 "${text}" in a ${charset} page draws other characters (${garbled} pixels differ)`, garbled > 300]);
    }
  }
  for (const [text, ok] of results) {
    if (ok) {
      console.log("ok: " + text);
    } else {
      console.error("FAILED: not true: " + text + ` (screenshots: ${outDir}/encoding-*.png)`);
      process.exitCode = 1;
    }
  }
}

async function checkDetection(tab, port) {
  const base = `http://127.0.0.1:${port}`;
  await tab.goto(`${base}/detect-none.htm`, { waitUntil: "load", timeout: TIME_LIMIT_MS });
  try {
    await tab.waitForURL(`${base}/NonFlashPage.htm`, { timeout: 10000 });
    console.log("ok: the detection script sends a browser without a Flash player to NonFlashPage.htm");
  } catch (e) {
    console.error(`FAILED: without a Flash player the detection script stayed on ${tab.url()}`);
    process.exitCode = 1;
  }
  await tab.goto(`${base}/detect-ruffle.htm`, { waitUntil: "load", timeout: TIME_LIMIT_MS });
  await new Promise((r) => setTimeout(r, 1500));
  if (tab.url() === `${base}/detect-ruffle.htm`) {
    console.log("ok: the detection script keeps a browser with Ruffle on \"This Page\"");
  } else {
    console.error(`FAILED: with Ruffle the detection script went to ${tab.url()}`);
    process.exitCode = 1;
  }
}

async function main() {
  fs.mkdirSync(outDir, { recursive: true });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const port = server.address().port;
  const userDir = fs.mkdtempSync(path.join(os.tmpdir(), "tlx-chromium-"));
  let browser;
  try {
    browser = await chromium.launchPersistentContext(userDir, {
      executablePath: CHROMIUM, headless: true, viewport: { width: 900, height: 560 },
      args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
        "--disable-component-update", "--disable-sync", "--autoplay-policy=no-user-gesture-required"],
    });
    const tab = browser.pages()[0] || await browser.newPage();
    const problems = [];
    tab.on("pageerror", (e) => problems.push("page error: " + e.message));
    const measurer = await browser.newPage();
    await tab.goto(`http://127.0.0.1:${port}/`, { waitUntil: "load", timeout: TIME_LIMIT_MS });
    const deadline = Date.now() + TIME_LIMIT_MS;
    let stats, failing, shot;
    for (;;) {
      shot = await tab.screenshot({ type: "png" });
      stats = await measure(measurer, shot);
      failing = checks.filter(([, test]) => !test(stats)).map(([text]) => text);
      if (failing.length === 0 || Date.now() > deadline) break;
      await new Promise((r) => setTimeout(r, 500));
    }
    // the animations settle within a second or two; take the final picture after they have
    fs.writeFileSync(path.join(outDir, "movies.png"), shot);
    console.log(JSON.stringify(stats, null, 1));
    if (failing.length) {
      console.error(`FAILED after ${TIME_LIMIT_MS} ms (screenshot: ${path.join(outDir, "movies.png")}):`);
      for (const f of failing) console.error("  not true: " + f);
      for (const p of problems) console.error("  " + p);
      process.exitCode = 1;
    } else {
      for (const [text] of checks) console.log("ok: " + text);
    }
    await checkEncodings(tab, measurer, port);
    if (detectTemplate) await checkDetection(tab, port);
  } finally {
    if (browser) await browser.close();
    server.close();
    fs.rmSync(userDir, { recursive: true, force: true });
  }
}

main().catch((e) => { console.error("FAILED: " + (e && e.stack || e)); process.exit(1); });
