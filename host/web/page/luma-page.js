// The page's side of the web host (host/web/web_page.h): the canvas, the menu, the dialog, the
// notices and the input events, and the loading of the program.
//
// The page's address may hold the capture tool's options (?frames=600&hold=F1:10-40&cursor=...),
// which make a scripted run whose report lands in #luma-report; ?time=N times its last N frames.
"use strict";

const LumaPage = (() => {
  // The numbers of web_page.h.
  const EVENT = { escape: 1, command: 2, move: 3, buttonDown: 4, buttonUp: 5, keyDown: 6, keyUp: 7 };
  const COMMAND = { quit: 0, dialog: 1, alwaysOnTop: 2 };
  const BUTTON = { 0: 0, 2: 1 }; // MouseEvent.button: left and right
  const DIALOG = { close: 1, escape: 2 };
  // Ctrl with these keys stands for the menu's commands, as on the SDL host.
  const SHORTCUTS = { KeyQ: COMMAND.quit, KeyD: COMMAND.dialog, KeyT: COMMAND.alwaysOnTop };
  // The keys the program reads; the page keeps them from the browser (F1 would open its help,
  // F3 its search).
  // Each with its virtual key, for the key-down messages the showcase takes its presses from.
  const PROGRAM_KEYS = new Map([["F1", 0x70], ["F2", 0x71], ["F3", 0x72], ["KeyR", 0x52]]);
  for (let digit = 0; digit <= 9; ++digit) PROGRAM_KEYS.set("Digit" + digit, 0x30 + digit);
  const KEY_WAS_DOWN = 1 << 30; // the auto-repeat bit of a key-down message

  const element = (id) => document.getElementById(id);
  const events = [];
  const held = new Set();
  const cursor = { x: 0, y: 0 };
  let canvas = null;
  let context = null;
  let image = null;
  let zoom = 1;
  let running = false;
  let scripted = false;

  function queue(kind, detail = 0) {
    if (running) events.push({ kind, detail, x: cursor.x, y: cursor.y });
  }

  // The cursor in client pixels; outside the canvas it goes on past its edges, like a point
  // on the screen.
  function track(mouse) {
    // A centred canvas may start half a pixel in; it is drawn from the whole pixel.
    const box = canvas.getBoundingClientRect();
    cursor.x = Math.floor((mouse.clientX - Math.round(box.left)) / zoom);
    cursor.y = Math.floor((mouse.clientY - Math.round(box.top)) / zoom);
  }

  // The largest whole zoom at which the canvas fits the window below the menu.
  function fit() {
    const top = canvas.getBoundingClientRect().top + window.scrollY;
    const room = Math.min((document.documentElement.clientWidth - 16) / canvas.width,
                          (window.innerHeight - top - 8) / canvas.height);
    zoom = Math.max(1, Math.floor(room));
    canvas.style.width = canvas.width * zoom + "px";
    canvas.style.height = canvas.height * zoom + "px";
  }

  function onKeyDown(key) {
    if (!running || element("luma-dialog-box").open) return;
    if (key.code === "Escape") {
      key.preventDefault();
      queue(EVENT.escape);
    } else if (key.ctrlKey && key.code in SHORTCUTS) {
      key.preventDefault();
      if (!key.repeat) queue(EVENT.command, SHORTCUTS[key.code]);
    } else if (PROGRAM_KEYS.has(key.code) && !key.ctrlKey && !key.altKey && !key.metaKey) {
      key.preventDefault();
      held.add(key.code);
      queue(EVENT.keyDown, PROGRAM_KEYS.get(key.code) | (key.repeat ? KEY_WAS_DOWN : 0));
    }
  }

  function onKeyUp(key) {
    if (held.delete(key.code)) queue(EVENT.keyUp, PROGRAM_KEYS.get(key.code));
  }

  function onButton(mouse, kind) {
    if (!(mouse.button in BUTTON)) return;
    track(mouse);
    queue(kind, BUTTON[mouse.button]);
  }

  function listen() {
    document.addEventListener("keydown", onKeyDown);
    document.addEventListener("keyup", onKeyUp);
    // A key let go while the page was not looking must not stay held.
    window.addEventListener("blur", () => held.clear());
    window.addEventListener("resize", fit);
    canvas.addEventListener("mousemove", (mouse) => {
      track(mouse);
      queue(EVENT.move);
    });
    canvas.addEventListener("mousedown", (mouse) => {
      mouse.preventDefault();
      onButton(mouse, EVENT.buttonDown);
    });
    // Released anywhere, so that no button stays down for the program.
    window.addEventListener("mouseup", (mouse) => onButton(mouse, EVENT.buttonUp));
    canvas.addEventListener("contextmenu", (mouse) => mouse.preventDefault());
    element("luma-quit").addEventListener("click", () => queue(EVENT.command, COMMAND.quit));
    element("luma-dialog").addEventListener("click", () => queue(EVENT.command, COMMAND.dialog));
    // The program toggles the check mark itself, as the menu's owner.
    element("luma-topmost").addEventListener("click", (click) => {
      click.preventDefault();
      queue(EVENT.command, COMMAND.alwaysOnTop);
    });
  }

  // The page's address as the program's arguments: ?frames=600&stress gives --frames 600
  // --stress.
  function argumentsFromAddress() {
    const args = [];
    for (const [name, value] of new URLSearchParams(window.location.search)) {
      args.push("--" + name);
      if (value !== "") args.push(value);
    }
    return args;
  }

  function load(program) {
    const script = document.createElement("script");
    script.src = program + ".js";
    document.body.appendChild(script);
  }

  // What the canvas shows, as a scripted run's report gives it: its size and place, and how
  // many colours its pixels, read back, have.
  function describeCanvas() {
    const box = canvas.getBoundingClientRect();
    const pixels = new Uint32Array(context.getImageData(0, 0, canvas.width, canvas.height).data.buffer);
    return "canvas " + canvas.width + "x" + canvas.height + " at " + Math.round(box.left) + "," +
           Math.round(box.top) + " zoom " + zoom + "\nshown colours " + new Set(pixels).size + "\n";
  }

  function showError(caption, text) {
    console.error(caption + ": " + text);
    const box = document.createElement("div");
    box.className = "error-box";
    const title = document.createElement("strong");
    title.textContent = caption;
    box.append(title, document.createElement("br"), text);
    element("luma-errors").append(box);
  }

  return {
    start(program) {
      canvas = element("luma-canvas");
      context = canvas.getContext("2d");
      listen();
      fit();
      const args = argumentsFromAddress();
      scripted = args.length > 0;
      window.Module = {
        arguments: args,
        print: (text) => console.log(text),
        printErr: (text) => console.error(text),
        onAbort: (what) => showError("Error", "The program stopped: " + what),
      };
      load(program);
    },

    open(width, height) {
      running = true;
      canvas.width = width;
      // The client area's last row is the guard row, which is never shown.
      canvas.height = height - 1;
      fit();
    },

    present(rgba, width, height) {
      if (!image || image.width !== width || image.height !== height)
        image = context.createImageData(width, height);
      image.data.set(rgba);
      context.putImageData(image, 0, 0);
    },

    keyHeld: (code) => held.has(code),
    nextEvent: () => events.shift() || null,
    checkTopmost(checked) {
      element("luma-topmost").checked = checked;
    },

    // The text arrives as the program's Shift-JIS bytes.
    messageBox(caption, bytes) {
      showError(caption, new TextDecoder("shift_jis").decode(bytes));
    },

    // Resolves with what the user did: Close, or Escape (which the program takes as quit).
    dialog() {
      const box = element("luma-dialog-box");
      return new Promise((resolve) => {
        const done = (action) => {
          box.removeEventListener("cancel", onCancel);
          element("luma-dialog-close").removeEventListener("click", onClose);
          box.close();
          resolve(action);
        };
        const onCancel = (cancel) => {
          cancel.preventDefault();
          done(DIALOG.escape);
        };
        const onClose = () => done(DIALOG.close);
        box.addEventListener("cancel", onCancel);
        element("luma-dialog-close").addEventListener("click", onClose);
        box.showModal();
      });
    },

    ended(exitCode) {
      running = false;
      events.length = 0;
      const notice = element("luma-ended");
      notice.textContent = "The program has ended (exit code " + exitCode + "). Reload the page to start it again.";
      notice.hidden = false;
      // A scripted run leaves its last frame for a screenshot.
      if (!scripted) canvas.hidden = true;
      document.title += " (ended)";
    },

    report(text) {
      const report = element("luma-report");
      report.textContent = text + describeCanvas();
      // The console carries it too, for a browser that is watched rather than dumped.
      console.log("luma-report\n" + report.textContent);
      report.hidden = false;
    },
  };
})();
