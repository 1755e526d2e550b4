// The pexilon-config program, compiled to WebAssembly, run as on a terminal:
// the editor's text is written to a file in MEMFS and main() is called with
// the command line. Standard output and error are devices that keep the bytes
// as the C library writes them, a buffer at a time: not print's lines, which
// would lose whether `fmt`'s text ends in a newline, nor FS.init's callbacks,
// one call per byte, which cost more than the check on a large file.

const decoder = new TextDecoder();
const encoder = new TextEncoder();

// The name diagnostics carry, as `pexilon-config check camera.conf` would.
export const FILE_NAME = 'camera.conf';

export async function loadProgram() {
  const { default: createPexilonConfig } = await import('./pexilon-config.mjs');
  const streams = { out: [], err: [] };
  const module = await createPexilonConfig({});
  const { FS } = module;
  const device = (name) => ({
    open() {},
    close() {},
    write(stream, buffer, offset, length) {
      streams[name].push(buffer.slice(offset, offset + length));
      return length;
    },
  });
  // fds 1 and 2, closed and opened again on the devices (open takes the
  // lowest free descriptor).
  for (const [fd, name, major] of [[1, 'out', 200], [2, 'err', 201]]) {
    const id = FS.makedev(major, 0);
    FS.registerDevice(id, device(name));
    FS.mkdev(`/dev/pexilon-${name}`, id);
    FS.close(FS.getStream(fd));
    const opened = FS.open(`/dev/pexilon-${name}`, 'w');
    if (opened.fd !== fd) throw new Error(`standard stream ${fd} came back as ${opened.fd}`);
  }
  FS.mkdir('/work');
  FS.chdir('/work');
  const text = (chunks) => {
    const bytes = new Uint8Array(chunks.reduce((n, c) => n + c.length, 0));
    let at = 0;
    for (const c of chunks) { bytes.set(c, at); at += c.length; }
    return decoder.decode(bytes);
  };

  // Runs one command, over `input` when it is given (else over the text the
  // last call wrote); returns its exit status and both streams.
  function run(args, input) {
    if (input !== undefined) FS.writeFile(FILE_NAME, encoder.encode(input));
    streams.out = [];
    streams.err = [];
    let status;
    try {
      status = module.callMain(args);
    } catch (e) {
      // exit() from inside the program arrives as an ExitStatus.
      if (e && typeof e.status === 'number') status = e.status;
      else throw e;
    }
    return { status, stdout: text(streams.out), stderr: text(streams.err) };
  }
  return { run };
}
