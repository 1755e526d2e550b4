// The editor's text in the URL fragment, deflated and base64url-encoded, so
// that a link carries the file. Only the fragment: it never reaches a server.

function toBase64Url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000)
    binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

async function pipe(bytes, stream) {
  const piped = new Blob([bytes]).stream().pipeThrough(stream);
  return new Uint8Array(await new Response(piped).arrayBuffer());
}

export async function encodeText(text) {
  return toBase64Url(await pipe(new TextEncoder().encode(text), new CompressionStream('deflate')));
}

// null when the fragment holds no text of ours (or a damaged one).
export async function decodeText(fragment) {
  const match = /^#?text=([A-Za-z0-9_-]+)$/.exec(fragment);
  if (!match) return null;
  try {
    return new TextDecoder().decode(await pipe(fromBase64Url(match[1]), new DecompressionStream('deflate')));
  } catch {
    return null;
  }
}
