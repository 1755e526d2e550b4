// The pexilon-config program, compiled to WebAssembly, run as on a terminal:
// the editor's text is written to a file in MEMFS and main() is called with
// the command line. Output is taken byte by byte (FS.init's stream
// callbacks) rather than line by line (print), so that what `fmt` writes,
// trailing newline or none, is exactly what the program wrote.

const decoder = new TextDecoder();
const encoder = new TextEncoder();

// The name diagnostics carry, as `pexilon-config check camera.conf` would.
export const FILE_NAME = 'camera.conf';

export async function loadProgram() {
  const { default: createPexilonConfig } = await import('./pexilon-config.mjs');
  let out = [];
  let err = [];
  const module = await createPexilonConfig({
    preRun: [(m) => m.FS.init(null, (c) => { if (c !== null) out.push(c); },
                                   (c) => { if (c !== null) err.push(c); })],
  });
  module.FS.mkdir('/work');
  module.FS.chdir('/work');

  // Runs one command over `text`; returns its exit status and both streams.
  function run(args, text) {
    if (text !== undefined) module.FS.writeFile(FILE_NAME, encoder.encode(text));
    out = [];
    err = [];
    let status;
    try {
      status = module.callMain(args);
    } catch (e) {
      // exit() from inside the program arrives as an ExitStatus.
      if (e && typeof e.status === 'number') status = e.status;
      else throw e;
    }
    return { status, stdout: decoder.decode(new Uint8Array(out)), stderr: decoder.decode(new Uint8Array(err)) };
  }
  return { run };
}
